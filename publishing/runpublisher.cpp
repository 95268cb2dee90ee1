#include "runpublisher.h"

#include "runmodel.h"
#include "publishformat.h"

#include <QCoreApplication>
#include <QTimer>

namespace
{

// The status line follows the publishers at most this often.
constexpr auto kStatusPace = std::chrono::milliseconds(500);
// How often readings are handed to the publishers, and how much later than that the last ones
// of a run go when no reading follows them.
constexpr qint64 kHandOffMs = 1000;
constexpr qint64 kLateHandOffMs = 250;
// How long the end of the program waits for InfluxDB to take the last batch.
constexpr auto kEndWait = std::chrono::seconds(3);

QString backlog(const QString& what, const QString& problem, qsizetype waiting, qint64 dropped)
{
    QString text = QStringLiteral("   ") + what + QStringLiteral(": ") +
                   (problem.isEmpty() ? QStringLiteral("catching up") : problem);
    const qint64 undelivered = waiting + dropped;
    text += QStringLiteral(", %1 reading%2 not delivered")
                .arg(undelivered)
                .arg(undelivered == 1 ? QString() : QStringLiteral("s"));
    if (dropped > 0)
        text += QStringLiteral(" (%1 dropped)").arg(dropped);
    return text;
}

} // namespace

PublishingPlan PlanPublishing(const PublishingSettings& settings)
{
    PublishingPlan plan;
    plan.host = PlantHostName();
    QStringList problems;
    if (!settings.mqttUrl.isEmpty()) {
        QString problem;
        const std::optional<MqttAddress> address = ParseMqttUrl(settings.mqttUrl, &problem);
        const QString base =
            settings.topicBase.isEmpty() ? DefaultTopicBase() : settings.topicBase;
        const QString baseProblem = TopicBaseProblem(base);
        if (!address)
            problems << problem;
        else if (!baseProblem.isEmpty())
            problems << baseProblem;
        else {
            MqttOptions mqtt;
            mqtt.broker = *address;
            mqtt.topicBase = base;
            mqtt.clientId = QStringLiteral("thermocouple-recorder-%1-%2")
                                .arg(plan.host)
                                .arg(QCoreApplication::applicationPid());
            plan.mqtt = mqtt;
            plan.homeAssistant = settings.homeAssistant;
        }
    }
    if (!settings.influxUrl.isEmpty()) {
        QString problem;
        if (const std::optional<QUrl> url = ParseInfluxUrl(settings.influxUrl, &problem)) {
            InfluxOptions influx;
            influx.url = *url;
            influx.token = qgetenv(kInfluxTokenVariable);
            plan.influx = influx;
        } else {
            problems << problem;
        }
    }
    plan.problem = problems.join(u' ');
    return plan;
}

RunPublisher::RunPublisher(const RunModel& run, PublishingPlan plan, QObject* parent)
    : QObject(parent), run_(run), plan_(std::move(plan))
{
    statusTimer_ = new QTimer(this);
    statusTimer_->setSingleShot(true);
    statusTimer_->setInterval(kStatusPace);
    connect(statusTimer_, &QTimer::timeout, this, &RunPublisher::updateStatus);
    lateHandOff_ = new QTimer(this);
    lateHandOff_->setSingleShot(true);
    connect(lateHandOff_, &QTimer::timeout, this, &RunPublisher::handOff);
    const auto soon = [this] {
        if (!statusTimer_->isActive())
            statusTimer_->start();
    };
    if (plan_.mqtt) {
        mqtt_ = std::make_unique<MqttPublisher>(*plan_.mqtt);
        connect(mqtt_.get(), &MqttPublisher::changed, this, soon);
    }
    if (plan_.influx) {
        influx_ = std::make_unique<InfluxPublisher>(*plan_.influx);
        connect(influx_.get(), &InfluxPublisher::changed, this, soon);
    }
    connect(&run_, &RunModel::runReplaced, this, &RunPublisher::onRunReplaced);
    connect(&run_, &RunModel::sampleAdded, this, &RunPublisher::onSampleAdded);
    connect(&run_, &RunModel::eventAdded, this, &RunPublisher::onEventAdded);
    onRunReplaced();
}

RunPublisher::~RunPublisher()
{
    handOff();
}

void RunPublisher::deliverBeforeExit()
{
    handOff();
    if (!influx_ || influx_->isIdle())
        return;
    const auto end = [] { QCoreApplication::exit(0); };
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, end);
    const QMetaObject::Connection answered =
        connect(influx_.get(), &InfluxPublisher::becameIdle, this, end);
    deadline.start(kEndWait);
    QCoreApplication::exec(); // the first run has ended: this one is not nested in it
    disconnect(answered);
}

void RunPublisher::onRunReplaced()
{
    handOff(); // what waits belongs to the run before, and carries its tags
    // A run opened from a file or taken back from its journal is not news to the plant.
    tags_ = RunTags(plan_.host, QDateTime::currentDateTimeUtc());
    const bool celsius = run_.header().degreesCelsius == 1;
    if (mqtt_ && plan_.homeAssistant)
        mqtt_->setRetained(
            HomeAssistantDiscovery(mqtt_->topicBase(), plan_.host, run_.channelCount(), celsius));
}

void RunPublisher::onSampleAdded(qsizetype row)
{
    queue({run_.sample(row), {}, QDateTime::currentMSecsSinceEpoch(), run_.channelCount(),
           run_.header().degreesCelsius == 1});
}

void RunPublisher::onEventAdded(qsizetype index)
{
    queue({std::nullopt, run_.events()[static_cast<size_t>(index)],
           QDateTime::currentMSecsSinceEpoch(), run_.channelCount(),
           run_.header().degreesCelsius == 1});
}

void RunPublisher::queue(Pending pending)
{
    pending_.push_back(std::move(pending));
    const qint64 since = sinceHandOff_.isValid() ? sinceHandOff_.elapsed() : kHandOffMs;
    if (since >= kHandOffMs)
        handOff();
    else if (!lateHandOff_->isActive())
        lateHandOff_->start(std::chrono::milliseconds(kHandOffMs - since + kLateHandOffMs));
}

void RunPublisher::handOff()
{
    lateHandOff_->stop();
    sinceHandOff_.start();
    if (pending_.empty())
        return;
    for (const Pending& p : pending_) {
        const QDateTime at = QDateTime::fromMSecsSinceEpoch(p.utcMs, Qt::UTC);
        if (p.sample) {
            if (mqtt_)
                mqtt_->publishReading(ReadingMessage(*p.sample, p.channels, p.celsius, at));
            if (influx_)
                influx_->add(ReadingPoint(*p.sample, p.channels, tags_, at));
        } else {
            if (mqtt_)
                mqtt_->publishEvent(EventMessage(p.event.time, p.event.text, at));
            if (influx_)
                influx_->add(EventPoint(p.event.time, p.event.text, tags_, at));
        }
    }
    pending_.clear();
    if (mqtt_)
        mqtt_->handOff();
    if (influx_)
        influx_->send();
}

QString RunPublisher::problems() const
{
    QStringList parts;
    if (mqtt_ && !mqtt_->problem().isEmpty())
        parts << QStringLiteral("MQTT: ") + mqtt_->problem();
    if (influx_ && !influx_->problem().isEmpty())
        parts << QStringLiteral("InfluxDB: ") + influx_->problem();
    return parts.join(QStringLiteral("; "));
}

void RunPublisher::updateStatus()
{
    QString text;
    if (mqtt_ && (!mqtt_->problem().isEmpty() || mqtt_->dropped() > 0))
        text += backlog(QStringLiteral("MQTT"), mqtt_->problem(), mqtt_->waiting(),
                        mqtt_->dropped());
    if (influx_ && (!influx_->problem().isEmpty() || influx_->dropped() > 0))
        text += backlog(QStringLiteral("InfluxDB"), influx_->problem(), influx_->waiting(),
                        influx_->dropped());
    if (text != statusText_) {
        statusText_ = text;
        emit statusChanged();
    }
}
