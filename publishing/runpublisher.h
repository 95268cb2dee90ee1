#pragma once
// Feeds the run being recorded to the plant: every reading and event the run model announces
// goes to the MQTT broker and to InfluxDB, after the model has stored and journaled it. The
// publishers only queue; the record never waits for them.

#include "influxpublisher.h"
#include "mqttpublisher.h"
#include "publishingsettings.h"

#include "runevent.h"
#include "runsample.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <memory>
#include <optional>

class QTimer;
class RunModel;

// What the settings ask for, checked.
struct PublishingPlan {
    std::optional<MqttOptions> mqtt;
    bool homeAssistant = false;
    std::optional<InfluxOptions> influx;
    QString host; // the tag and the discovery's node
    QString problem; // why a setting could not be used, in words; empty when all are good
    bool isEmpty() const { return !mqtt && !influx; }
};
// The InfluxDB 2 token is read from the environment here.
PublishingPlan PlanPublishing(const PublishingSettings& settings);

class RunPublisher : public QObject
{
    Q_OBJECT
public:
    RunPublisher(const RunModel& run, PublishingPlan plan, QObject* parent = nullptr);
    // Hands over what waits before the publishers end. The MQTT publisher sends what it holds
    // before it goes; InfluxDB, whose writes need the event loop, is given its chance by
    // deliverBeforeExit() first.
    ~RunPublisher() override;

    // At the end of the program, once the application's event loop has ended: hands over what
    // waits and, while a write to InfluxDB is still to be made or answered, runs the loop again
    // until it is answered or a few seconds have passed.
    void deliverBeforeExit();

    MqttPublisher* mqtt() const { return mqtt_.get(); }
    InfluxPublisher* influx() const { return influx_.get(); }
    // For the status line: what is not delivered and why; empty while all goes well.
    QString statusText() const { return statusText_; }
    // Why a publisher does not deliver, without the counts ("MQTT: broker ... not
    // reachable"); empty while both do. For a log that names a change once.
    QString problems() const;

signals:
    void statusChanged();

private:
    void onRunReplaced();
    void onSampleAdded(qsizetype row);
    void onEventAdded(qsizetype index);
    void updateStatus();
    // Readings and events wait here and are formatted and handed to both publishers together,
    // about once a second, in the wake-up of the reading that finds a second gone by: one
    // wake-up of each publisher's thread a second, none of the main thread's own.
    struct Pending {
        std::optional<RunSample> sample; // else the event
        RunEvent event;
        qint64 utcMs = 0; // when it reached the model
        // Of the run it came from: a run opened meanwhile may have others.
        int channels = 0;
        bool celsius = false;
    };
    void queue(Pending pending);
    void handOff();
    std::vector<Pending> pending_;
    QElapsedTimer sinceHandOff_;
    // Hands over what a run's last readings left waiting, when no reading follows.
    QTimer* lateHandOff_ = nullptr;

    const RunModel& run_;
    PublishingPlan plan_;
    std::unique_ptr<MqttPublisher> mqtt_;
    std::unique_ptr<InfluxPublisher> influx_;
    QString tags_;
    QTimer* statusTimer_ = nullptr;
    QString statusText_;
};
