#pragma once
// Publishes to an MQTT broker through libmosquitto, whose own thread keeps the connection and
// makes it again by itself. Nothing here waits on the network: a message is queued and handed
// to the library from the event loop, at most `window` of them unacknowledged at a time, so a
// broker that is down or slow fills a bounded queue instead of the memory or the sample tick.
// When the queue is full the oldest message goes, and is counted.
//
// Messages wait in the queue until handOff(), which the user calls about once a second, hands
// them over together; their acknowledgements are taken in passing at the next hand-off: a
// burst of readings costs one wake-up of each thread instead of four per reading. Only a
// backlog after an outage is handed over by this publisher itself, as room comes free.
//
// The status topic is "online" (retained) while connected, and the broker's Last Will sets it
// to "offline" when the program dies; a deliberate end publishes "offline" itself.

#include "publishformat.h"
#include "publishingsettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <unordered_map>
#include <vector>

struct mosquitto;
class QHostInfo;
class QTimer;

struct MqttOptions {
    MqttAddress broker;
    QString topicBase;
    QString clientId;
    // How soon a lost broker is tried again: from `reconnectDelay`, doubled up to the maximum.
    std::chrono::seconds reconnectDelay{1};
    std::chrono::seconds reconnectDelayMax{10};
    qsizetype queueLimit = 36000; // an hour of readings at 10 Hz
    int window = 100;
    std::chrono::milliseconds handOff{1000};
};

class MqttPublisher : public QObject
{
    Q_OBJECT
public:
    explicit MqttPublisher(MqttOptions options, QObject* parent = nullptr);
    // When connected: sends what is queued, says "offline" and disconnects, waiting at most
    // about four seconds for the broker in all.
    ~MqttPublisher() override;

    // Queued until the next handOff().
    void publishReading(const QByteArray& payload);
    void publishEvent(const QByteArray& payload);
    // Gives the library what is queued, as much as the window of unacknowledged messages lets.
    void handOff() { drain(); }
    // Retained messages (Home Assistant discovery) sent now and after every reconnect.
    void setRetained(std::vector<DiscoveryMessage> messages);

    const QString& topicBase() const { return options_.topicBase; }
    bool isConnected() const { return connected_; }
    // Readings queued or sent but not acknowledged by the broker.
    qsizetype waiting() const { return waitingReadings_; }
    // Readings dropped from a full queue.
    qint64 dropped() const { return dropped_; }
    // Why the broker is not connected, in words; empty while it is.
    QString problem() const { return problem_; }

signals:
    // The connection, the dropped count, or the backlog while disconnected, changed.
    void changed();

private:
    struct Message {
        QByteArray topic;
        QByteArray payload;
        bool reading = false;
    };
    void enqueue(Message message);
    void resolve();
    void onResolved(const QHostInfo& info);
    void tryConnect();
    void onConnected(int code);
    void onDisconnected(int code);
    void onAcknowledged();
    void takeAcknowledged();
    void sendRetained();
    void drain();

    static void connectCallback(mosquitto*, void* self, int code);
    static void disconnectCallback(mosquitto*, void* self, int code);
    static void publishCallback(mosquitto*, void* self, int mid);

    MqttOptions options_;
    const QByteArray readingTopic_;
    const QByteArray eventTopic_;
    mosquitto* mosq_ = nullptr;
    bool loopStarted_ = false;
    bool connected_ = false;
    // More waiting than the window took: handed on as acknowledgements come, read by the
    // network thread.
    std::atomic<bool> catchingUp_{false};
    QString problem_;
    QTimer* resolveRetry_ = nullptr;
    QTimer* handOff_ = nullptr;
    QTimer* connectRetry_ = nullptr;
    std::chrono::milliseconds connectDelay_{1000};
    QByteArray address_; // the broker's address, looked up
    std::deque<Message> queue_;
    std::unordered_map<int, bool> inFlight_; // message id -> is a reading
    std::vector<DiscoveryMessage> retained_;
    qsizetype waitingReadings_ = 0;
    qint64 dropped_ = 0;

    // Acknowledged message ids, gathered by the network thread until this thread takes them.
    std::mutex ackMutex_;
    std::vector<int> acknowledged_;
    std::condition_variable ackSignal_; // for the destructor only

    // The destructor waits for the network thread's word that the broker was left cleanly.
    std::mutex endMutex_;
    std::condition_variable endSignal_;
    bool ended_ = false;
};
