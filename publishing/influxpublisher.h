#pragma once
// Writes points to InfluxDB over HTTP (line protocol), a batch about once a second through
// Qt's network classes. A failed write keeps its points and is tried again, less often the
// longer the database stays away; the buffer is bounded, and points dropped from a full buffer
// are counted. Nothing waits for a reply.

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <QUrl>
#include <chrono>
#include <deque>
#include <vector>

class QNetworkReply;
class QTimer;

struct InfluxOptions {
    QUrl url;
    QByteArray token; // InfluxDB 2: "Authorization: Token ..."; empty for none
    std::chrono::milliseconds interval{1000};
    std::chrono::milliseconds retryMax{30000};
    qsizetype bufferLimit = 36000; // an hour of readings at 10 Hz
    qsizetype batchLimit = 5000;
};

class InfluxPublisher : public QObject
{
    Q_OBJECT
public:
    explicit InfluxPublisher(InfluxOptions options, QObject* parent = nullptr);
    ~InfluxPublisher() override;

    // One point of line protocol, without its line end; an empty one is ignored. Points wait
    // for the next send().
    void add(const QByteArray& point);
    // Writes what waits as one batch, called about once a second; while the database fails,
    // the retries keep their own, longer pace.
    void send();

    // Points not yet accepted by the database.
    qsizetype waiting() const
    {
        return static_cast<qsizetype>(buffer_.size() + sending_.size());
    }
    qint64 dropped() const { return dropped_; }
    // Nothing waits and no write is under way.
    bool isIdle() const { return !reply_ && buffer_.empty(); }
    // Why the last write failed, in words; empty after a good one.
    QString problem() const { return problem_; }

signals:
    // The problem, the dropped count, or the backlog while writes fail, changed.
    void changed();
    // The database took everything there was to write.
    void becameIdle();

private:
    void sendBatch();
    void onFinished();
    void schedule();

    InfluxOptions options_;
    QNetworkAccessManager network_;
    QNetworkRequest request_;
    QTimer* timer_ = nullptr;
    QNetworkReply* reply_ = nullptr;
    std::deque<QByteArray> buffer_;
    std::vector<QByteArray> sending_;
    int failures_ = 0;
    qint64 dropped_ = 0;
    QString problem_;
};
