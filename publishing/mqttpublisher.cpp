#include "mqttpublisher.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QTimer>
#include <mosquitto.h>
#include <mutex>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace
{

constexpr int kQos = 1; // acknowledged, so the library sends it again after a reconnect
constexpr int kKeepAliveSeconds = 30;
constexpr auto kResolveRetry = std::chrono::seconds(5);
constexpr auto kEndWait = std::chrono::seconds(2);
const QByteArray kOnline = QByteArrayLiteral("online");
const QByteArray kOffline = QByteArrayLiteral("offline");

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

} // namespace

MqttPublisher::MqttPublisher(MqttOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)),
      readingTopic_((options_.topicBase + QStringLiteral("/reading")).toUtf8()),
      eventTopic_((options_.topicBase + QStringLiteral("/event")).toUtf8())
{
    initLibrary();
    mosq_ = mosquitto_new(options_.clientId.toUtf8().constData(), true, this);
    const QByteArray statusTopic = (options_.topicBase + QStringLiteral("/status")).toUtf8();
    mosquitto_will_set(mosq_, statusTopic.constData(), kOffline.size(), kOffline.constData(),
                       kQos, true);
    mosquitto_reconnect_delay_set(mosq_, static_cast<unsigned>(options_.reconnectDelay.count()),
                                  static_cast<unsigned>(options_.reconnectDelayMax.count()), true);
    mosquitto_connect_callback_set(mosq_, &MqttPublisher::connectCallback);
    mosquitto_disconnect_callback_set(mosq_, &MqttPublisher::disconnectCallback);
    mosquitto_publish_callback_set(mosq_, &MqttPublisher::publishCallback);
    problem_ = QStringLiteral("connecting to %1:%2").arg(options_.broker.host).arg(options_.broker.port);
    resolveRetry_ = new QTimer(this);
    resolveRetry_->setSingleShot(true);
    resolveRetry_->setInterval(kResolveRetry);
    connect(resolveRetry_, &QTimer::timeout, this, &MqttPublisher::resolve);
    connectRetry_ = new QTimer(this);
    connectRetry_->setSingleShot(true);
    connect(connectRetry_, &QTimer::timeout, this, &MqttPublisher::tryConnect);
    connectDelay_ = options_.reconnectDelay;
    handOff_ = new QTimer(this);
    handOff_->setSingleShot(true);
    handOff_->setInterval(options_.handOff);
    connect(handOff_, &QTimer::timeout, this, &MqttPublisher::drain);
    // The name is looked up by Qt's own thread: the library would do it on this one.
    QTimer::singleShot(0, this, &MqttPublisher::resolve);
}

MqttPublisher::~MqttPublisher()
{
    if (loopStarted_) {
        if (connected_) {
            // What is queued goes out first, so that a run ended on purpose is published whole
            // when the broker answers in time.
            const auto deadline = std::chrono::steady_clock::now() + kEndWait;
            drain();
            while (connected_ && (!inFlight_.empty() || !queue_.empty())) {
                {
                    std::unique_lock<std::mutex> lock(ackMutex_);
                    if (acknowledged_.empty() &&
                        !ackSignal_.wait_until(lock, deadline,
                                               [this] { return !acknowledged_.empty(); }))
                        break;
                }
                drain();
            }
            const QByteArray topic = (options_.topicBase + QStringLiteral("/status")).toUtf8();
            mosquitto_publish(mosq_, nullptr, topic.constData(), kOffline.size(),
                              kOffline.constData(), kQos, true);
            mosquitto_disconnect(mosq_);
            std::unique_lock<std::mutex> lock(endMutex_);
            endSignal_.wait_until(lock, deadline + kEndWait, [this] { return ended_; });
        }
        mosquitto_loop_stop(mosq_, true);
    }
    mosquitto_destroy(mosq_);
}

void MqttPublisher::resolve()
{
    QHostInfo::lookupHost(options_.broker.host, this, &MqttPublisher::onResolved);
}

void MqttPublisher::onResolved(const QHostInfo& info)
{
    const QList<QHostAddress> addresses = info.addresses();
    if (info.error() != QHostInfo::NoError || addresses.isEmpty()) {
        problem_ = QStringLiteral("broker %1 not found: %2")
                       .arg(options_.broker.host, info.errorString());
        emit changed();
        resolveRetry_->start();
        return;
    }
    // A broker listening on IPv4 only is the common case; "localhost" may list ::1 first.
    QHostAddress address = addresses.first();
    for (const QHostAddress& a : addresses)
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            address = a;
            break;
        }
    address_ = address.toString().toUtf8();
    tryConnect();
}

void MqttPublisher::tryConnect()
{
    // Does not wait: the connection is made by the library's thread, which also makes it again
    // whenever it is lost. A first attempt that fails at once (a broker that is down refuses
    // at once) leaves that thread idle, so it is repeated from here until one is under way.
    const int rc = mosquitto_connect_async(mosq_, address_.constData(), options_.broker.port,
                                           kKeepAliveSeconds);
    const int error = errno;
    if (rc != MOSQ_ERR_SUCCESS) {
        const QString why = rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(std::strerror(error))
                                                 : QString::fromUtf8(mosquitto_strerror(rc));
        problem_ = QStringLiteral("broker %1:%2 not reachable (%3)")
                       .arg(options_.broker.host)
                       .arg(options_.broker.port)
                       .arg(why);
        emit changed();
        connectRetry_->start(connectDelay_);
        connectDelay_ = std::min(connectDelay_ * 2,
                                 std::chrono::milliseconds(options_.reconnectDelayMax));
        return;
    }
    if (!loopStarted_) {
        if (mosquitto_loop_start(mosq_) == MOSQ_ERR_SUCCESS)
            loopStarted_ = true;
        else
            problem_ = QStringLiteral("the client could not start its thread");
    }
    emit changed();
}

// The library calls these on its own thread; the work is done on this object's.
void MqttPublisher::connectCallback(mosquitto*, void* self, int code)
{
    auto* publisher = static_cast<MqttPublisher*>(self);
    {
        std::lock_guard<std::mutex> lock(publisher->endMutex_);
        publisher->ended_ = false;
    }
    QMetaObject::invokeMethod(
        publisher, [publisher, code] { publisher->onConnected(code); }, Qt::QueuedConnection);
}

void MqttPublisher::disconnectCallback(mosquitto*, void* self, int code)
{
    auto* publisher = static_cast<MqttPublisher*>(self);
    {
        std::lock_guard<std::mutex> lock(publisher->endMutex_);
        publisher->ended_ = true;
    }
    publisher->endSignal_.notify_all();
    QMetaObject::invokeMethod(
        publisher, [publisher, code] { publisher->onDisconnected(code); }, Qt::QueuedConnection);
}

void MqttPublisher::publishCallback(mosquitto*, void* self, int mid)
{
    auto* publisher = static_cast<MqttPublisher*>(self);
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(publisher->ackMutex_);
        first = publisher->acknowledged_.empty();
        publisher->acknowledged_.push_back(mid);
    }
    publisher->ackSignal_.notify_all();
    // The next hand-off takes them in passing; only a backlog waiting for room is woken.
    if (first && publisher->catchingUp_)
        QMetaObject::invokeMethod(
            publisher, [publisher] { publisher->onAcknowledged(); }, Qt::QueuedConnection);
}

void MqttPublisher::onConnected(int code)
{
    if (code != 0) {
        problem_ = QStringLiteral("the broker refused the connection: %1")
                       .arg(QString::fromUtf8(mosquitto_connack_string(code)));
        emit changed();
        return;
    }
    connected_ = true;
    problem_.clear();
    const QByteArray topic = (options_.topicBase + QStringLiteral("/status")).toUtf8();
    mosquitto_publish(mosq_, nullptr, topic.constData(), kOnline.size(), kOnline.constData(),
                      kQos, true);
    sendRetained();
    drain();
    emit changed();
}

void MqttPublisher::onDisconnected(int code)
{
    if (!connected_ && code == 0)
        return;
    connected_ = false;
    catchingUp_ = false;
    problem_ = QStringLiteral("broker %1:%2 not reachable")
                   .arg(options_.broker.host)
                   .arg(options_.broker.port);
    emit changed();
}

void MqttPublisher::onAcknowledged()
{
    takeAcknowledged();
    // A backlog that outgrew the window goes on at once: catching up after an outage.
    if (catchingUp_ && static_cast<int>(inFlight_.size()) <= options_.window / 2)
        drain();
}

void MqttPublisher::publishReading(const QByteArray& payload)
{
    enqueue({readingTopic_, payload, true});
}

void MqttPublisher::publishEvent(const QByteArray& payload)
{
    enqueue({eventTopic_, payload, false});
}

void MqttPublisher::setRetained(std::vector<DiscoveryMessage> messages)
{
    retained_ = std::move(messages);
    if (connected_)
        sendRetained();
}

void MqttPublisher::sendRetained()
{
    for (const DiscoveryMessage& m : retained_)
        mosquitto_publish(mosq_, nullptr, m.topic.constData(), static_cast<int>(m.payload.size()),
                          m.payload.constData(), kQos, true);
}

void MqttPublisher::enqueue(Message message)
{
    if (message.reading)
        ++waitingReadings_;
    queue_.push_back(std::move(message));
    bool lost = false;
    while (static_cast<qsizetype>(queue_.size()) > options_.queueLimit) {
        if (queue_.front().reading) {
            --waitingReadings_;
            ++dropped_;
        }
        queue_.pop_front();
        lost = true;
    }
    if (lost || !connected_)
        emit changed();
}

void MqttPublisher::takeAcknowledged()
{
    std::vector<int> mids;
    {
        std::lock_guard<std::mutex> lock(ackMutex_);
        mids.swap(acknowledged_);
    }
    for (const int mid : mids) {
        const auto it = inFlight_.find(mid);
        if (it == inFlight_.end())
            continue; // the status or a retained message
        if (it->second)
            --waitingReadings_;
        inFlight_.erase(it);
    }
}

void MqttPublisher::drain()
{
    handOff_->stop();
    takeAcknowledged();
    while (connected_ && !queue_.empty() &&
           static_cast<int>(inFlight_.size()) < options_.window) {
        Message& m = queue_.front();
        int mid = 0;
        const int rc = mosquitto_publish(mosq_, &mid, m.topic.constData(),
                                         static_cast<int>(m.payload.size()),
                                         m.payload.constData(), kQos, false);
        if (rc == MOSQ_ERR_NO_CONN) {
            // The disconnect callback is on its way; the message waits for the next connection.
            connected_ = false;
            catchingUp_ = false;
            return;
        }
        if (rc == MOSQ_ERR_SUCCESS) {
            inFlight_.emplace(mid, m.reading);
        } else if (m.reading) {
            // Refused for good (too large for the broker, out of memory): counted, not retried.
            --waitingReadings_;
            ++dropped_;
        }
        queue_.pop_front();
    }
    catchingUp_ = connected_ && !queue_.empty();
    if (catchingUp_) {
        // Acknowledgements that came while the window was filled did not know that a backlog
        // waits, and the ones after them do not wake this thread either: without this the
        // backlog would stall after its first window.
        bool acknowledged = false;
        {
            std::lock_guard<std::mutex> lock(ackMutex_);
            acknowledged = !acknowledged_.empty();
        }
        if (acknowledged)
            QMetaObject::invokeMethod(this, &MqttPublisher::onAcknowledged, Qt::QueuedConnection);
    }
    // Acknowledgements still to come are taken at the next hand-off, or after two when no
    // reading follows (the user's next hand-off comes first, sparing a wake-up); a backlog is
    // looked at after one, should a wake-up be missed after all.
    if (connected_ && (catchingUp_ || !inFlight_.empty()))
        handOff_->start(catchingUp_ ? options_.handOff : 2 * options_.handOff);
}
