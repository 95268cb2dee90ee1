#include "influxpublisher.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <algorithm>

namespace
{

constexpr int kTransferTimeoutMs = 10000;

} // namespace

InfluxPublisher::InfluxPublisher(InfluxOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options))
{
    // Made once: the writes only differ in their bodies. No cookies: the database sets none.
    request_.setUrl(options_.url);
    request_.setHeader(QNetworkRequest::ContentTypeHeader,
                       QByteArrayLiteral("text/plain; charset=utf-8"));
    if (!options_.token.isEmpty())
        request_.setRawHeader(QByteArrayLiteral("Authorization"),
                              QByteArrayLiteral("Token ") + options_.token);
    request_.setTransferTimeout(kTransferTimeoutMs);
    request_.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request_.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request_.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request_.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &InfluxPublisher::sendBatch);
}

InfluxPublisher::~InfluxPublisher()
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

void InfluxPublisher::add(const QByteArray& point)
{
    if (point.isEmpty())
        return;
    buffer_.push_back(point);
    if (static_cast<qsizetype>(buffer_.size() + sending_.size()) > options_.bufferLimit) {
        buffer_.pop_front();
        ++dropped_;
        emit changed();
    } else if (failures_ > 0) {
        emit changed();
    }
}

void InfluxPublisher::schedule()
{
    if (timer_->isActive() || buffer_.empty())
        return;
    auto wait = options_.interval;
    for (int i = 0; i < failures_ && wait < options_.retryMax; ++i)
        wait *= 2;
    timer_->start(std::min(wait, options_.retryMax));
}

void InfluxPublisher::send()
{
    // A write still under way, or a database that failed, keeps the batch for the timer.
    if (reply_ || failures_ > 0) {
        schedule();
        return;
    }
    timer_->stop();
    sendBatch();
}

void InfluxPublisher::sendBatch()
{
    if (reply_) {
        schedule();
        return;
    }
    if (buffer_.empty())
        return;
    QByteArray body;
    while (!buffer_.empty() && static_cast<qsizetype>(sending_.size()) < options_.batchLimit) {
        body += buffer_.front();
        body += '\n';
        sending_.push_back(std::move(buffer_.front()));
        buffer_.pop_front();
    }
    reply_ = network_.post(request_, body);
    connect(reply_, &QNetworkReply::finished, this, &InfluxPublisher::onFinished);
}

void InfluxPublisher::onFinished()
{
    QNetworkReply* reply = std::exchange(reply_, nullptr);
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool accepted = reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
    const QString before = problem_;
    if (accepted) {
        sending_.clear();
        failures_ = 0;
        problem_.clear();
    } else {
        // The batch goes back in front, in order; what no longer fits is the oldest.
        for (auto it = sending_.rbegin(); it != sending_.rend(); ++it)
            buffer_.push_front(std::move(*it));
        sending_.clear();
        while (static_cast<qsizetype>(buffer_.size()) > options_.bufferLimit) {
            buffer_.pop_front();
            ++dropped_;
        }
        ++failures_;
        const QByteArray answer = reply->readAll().left(200).simplified();
        problem_ = status > 0 ? QStringLiteral("answered %1 %2")
                                    .arg(status)
                                    .arg(QString::fromUtf8(answer))
                                    .trimmed()
                              : QStringLiteral("not reachable: ") + reply->errorString();
    }
    if (problem_ != before || failures_ > 0)
        emit changed();
    schedule();
    if (isIdle())
        emit becameIdle();
}
