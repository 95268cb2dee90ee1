// Publishing to the plant: the messages as a dashboard reads them, the settings, and a real
// broker (mosquitto on a free port) and an HTTP listener taking every reading of a recording,
// also across a broker stopped for 30 s.

#include "publishformat.h"
#include "publishingdialog.h"
#include "publishingsettings.h"
#include "runmodel.h"
#include "runpublisher.h"
#include "simulatorprocess.h"

#include <QAccessible>
#include <QCheckBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <mosquitto.h>
#include <mutex>
#include <unistd.h>

namespace
{

RunSample sampleAt(float time, float a, float b, float c, float d)
{
    return {time, {a, b, c, d}};
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// mosquitto on 127.0.0.1:port, anonymous, keeping its sessions over a restart so that a
// subscriber misses nothing sent while it was reconnecting.
class Broker
{
public:
    explicit Broker(const QString& folder) : folder_(folder), port_(freePort())
    {
        QFile conf(folder_ + "/mosquitto.conf");
        if (conf.open(QIODevice::WriteOnly))
            conf.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\n"
                                      "persistence true\npersistence_location %2/\n%3")
                           .arg(port_)
                           .arg(folder_)
                           .arg(geteuid() == 0 ? "user root\n" : "")
                           .toUtf8());
    }
    ~Broker() { stop(); }
    bool start()
    {
        process_.start(QStringLiteral("mosquitto"), {"-c", folder_ + "/mosquitto.conf"});
        if (!process_.waitForStarted(5000))
            return false;
        for (int i = 0; i < 50; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, port_);
            if (s.waitForConnected(100))
                return true;
            QTest::qWait(100);
        }
        return false;
    }
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(1000);
    }
    quint16 port() const { return port_; }
    QString url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(port_); }

private:
    QString folder_;
    quint16 port_;
    QProcess process_;
};

// A subscriber to everything, with a session the broker keeps for it.
class Subscriber
{
public:
    struct Message {
        QString topic;
        QByteArray payload;
        bool retained;
    };
    explicit Subscriber(quint16 port)
    {
        mosquitto_lib_init();
        mosq_ = mosquitto_new("publishing-test", false, this);
        mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
        mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void*, int rc) {
            if (rc == 0)
                mosquitto_subscribe(m, nullptr, "#", 1);
        });
        mosquitto_message_callback_set(
            mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto* s = static_cast<Subscriber*>(self);
                const std::lock_guard<std::mutex> lock(s->mutex_);
                s->messages_.push_back({QString::fromUtf8(m->topic),
                                        QByteArray(static_cast<const char*>(m->payload),
                                                   m->payloadlen),
                                        m->retain});
            });
        mosquitto_connect(mosq_, "127.0.0.1", port, 30);
        mosquitto_loop_start(mosq_);
    }
    ~Subscriber()
    {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, true);
        mosquitto_destroy(mosq_);
    }
    void clear()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        messages_.clear();
    }
    std::vector<Message> messages(const QString& topicEnd)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::vector<Message> found;
        for (const Message& m : messages_)
            if (m.topic.endsWith(topicEnd))
                found.push_back(m);
        return found;
    }
    // Run times of the readings received, each once.
    QSet<QString> readingTimes()
    {
        QSet<QString> times;
        for (const Message& m : messages(QStringLiteral("/reading")))
            times.insert(QString::number(
                QJsonDocument::fromJson(m.payload).object().value("run_time").toDouble(), 'f',
                1));
        return times;
    }

private:
    mosquitto* mosq_ = nullptr;
    std::mutex mutex_;
    std::vector<Message> messages_;
};

// Takes line-protocol writes as InfluxDB 1 does; refuses the first `refusals` with 503.
class LineListener : public QObject
{
public:
    int refusals = 0;
    QList<QByteArray> lines;
    QList<QByteArray> requests; // request line and headers

    LineListener()
    {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = server_.nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, this, [this, s] { take(s); });
        });
    }
    QString url() const
    {
        return QStringLiteral("http://127.0.0.1:%1/write?db=plant").arg(server_.serverPort());
    }

private:
    void take(QTcpSocket* s)
    {
        QByteArray& buffer = pending_[s];
        buffer += s->readAll();
        for (;;) {
            const qsizetype end = buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray head = buffer.left(end);
            const qsizetype at = head.toLower().indexOf("content-length:");
            const int length = at < 0 ? 0 : head.mid(at + 15, head.indexOf('\r', at) - at - 15)
                                                  .trimmed().toInt();
            if (buffer.size() < end + 4 + length)
                return;
            const QByteArray body = buffer.mid(end + 4, length);
            buffer.remove(0, end + 4 + length);
            requests << head;
            if (refusals > 0) {
                --refusals;
                s->write("HTTP/1.1 503 Service Unavailable\r\nContent-Length: 4\r\n\r\nbusy");
                continue;
            }
            lines << body.split('\n');
            lines.removeAll(QByteArray());
            s->write("HTTP/1.1 204 No Content\r\nContent-Length: 0\r\n\r\n");
        }
    }
    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

// Records `count` readings at 10 Hz into `run`, channel 2 failed in every fifth.
void record(RunModel& run, int count, const std::function<void(int)>& atReading = {})
{
    RunHeader header;
    header.channelCount = 4;
    run.startRecording(header, 1000.0f);
    QTimer tick;
    int n = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const float v = 800.0f + n;
        run.addReading(1000.0f + n * 0.1f, {v, n % 5 == 0 ? kNoReading : v + 20, v + 40, v + 60});
        if (atReading)
            atReading(n);
        if (++n == count)
            tick.stop();
    });
    tick.start(100);
    QTRY_VERIFY_WITH_TIMEOUT(n == count, count * 100 + 60000);
    run.stopRecording();
}

QSet<QString> runTimes(const RunModel& run)
{
    QSet<QString> times;
    for (qsizetype i = 0; i < run.size(); ++i)
        times.insert(QString::number(run.sample(i).time, 'f', 1));
    return times;
}

// The run times a subscriber has not received, in order, for a failure message.
QString missingTimes(const QSet<QString>& received, const RunModel& run)
{
    QStringList missing;
    for (qsizetype i = 0; i < run.size(); ++i) {
        const QString time = QString::number(run.sample(i).time, 'f', 1);
        if (!received.contains(time))
            missing << time;
    }
    return QStringLiteral("not received: ") + missing.join(u' ');
}

} // namespace

class TestPublishing : public QObject
{
    Q_OBJECT
private slots:
    void messages_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("expected");
        const QDateTime t(QDate(2026, 12, 7), QTime(3, 27, 2, 180), Qt::UTC);
        const RunSample s = sampleAt(12.3f, 842.4f, kNoReading, -3.5f, 901.0f);
        const QString tags = RunTags("cell 3", t);
        QTest::newRow("reading") << ReadingMessage(s, 4, false, t)
                                 << QByteArray("{\"run_time\": 12.3, \"time\": \"2026-12-07T03:27:02.1Z\", \"unit\": \"F\", \"channels\": [842, null, -4, 901]}");
        QTest::newRow("two channels, C") << ReadingMessage(sampleAt(0.5f, 20, 21, 0, 0), 2, true, t)
                                         << QByteArray("{\"run_time\": 0.5, \"time\": \"2026-12-07T03:27:02.1Z\", \"unit\": \"C\", \"channels\": [20, 21]}");
        QTest::newRow("event") << EventMessage(123.4f, "logger \"COM1\" disconnected", t)
                               << QByteArray("{\"run_time\": 123.4, \"time\": \"2026-12-07T03:27:02.1Z\", \"text\": \"logger \\\"COM1\\\" disconnected\"}");
        QTest::newRow("point") << ReadingPoint(s, 4, tags, t)
                               << QByteArray("thermocouple,host=cell\\ 3,run=20261207T032702Z "
                                             "ch1=842,ch3=-4,ch4=901 1796614022180000000");
        QTest::newRow("point without readings")
            << ReadingPoint(sampleAt(1, kNoReading, kNoReading, 5, 5), 2, tags, t) << QByteArray();
        QTest::newRow("event point") << EventPoint(5, "a \"b\"", ",host=h,run=r", t)
                                     << QByteArray("thermocouple_event,host=h,run=r run_time=5.0,"
                                                   "text=\"a \\\"b\\\"\" 1796614022180000000");
    }
    void messages()
    {
        QFETCH(QByteArray, message);
        QTEST(message, "expected");
    }

    // The dialog keeps what it can use, and names in words what it cannot, staying open.
    void dialog_data()
    {
        QTest::addColumn<QString>("broker");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("influx");
        QTest::addColumn<QString>("problem"); // part of it; empty: saved and closed
        QTest::newRow("saved") << "mqtt://b:1884" << "plant/cell3" << "http://db:8086/write?db=c" << "";
        QTest::newRow("all empty") << "" << "" << "" << "";
        QTest::newRow("broker") << "b:1884" << "" << "" << "mqtt://HOST:PORT, not 'b:1884'.";
        QTest::newRow("base") << "mqtt://b" << "plant/#" << "" << "wildcards";
        QTest::newRow("influx 2") << "" << "" << "https://db/api/v2/write?org=o&bucket=b" << "";
        QTest::newRow("mqtt path") << "mqtt://b/x" << "" << "" << "without a path";
        QTest::newRow("influx path") << "" << "" << "http://db:8086/" << "not '/'.";
        QTest::newRow("no db") << "" << "" << "http://db:8086/write" << "/write?db=NAME.";
        QTest::newRow("no bucket") << "" << "" << "http://db/api/v2/write?org=o" << "bucket=BUCKET.";
    }
    void dialog()
    {
        QFETCH(QString, broker);
        QFETCH(QString, base);
        QFETCH(QString, influx);
        QFETCH(QString, problem);
        QTemporaryDir folder;
        PublishingDialog dialog(folder.path());
        QCOMPARE(QAccessible::queryAccessibleInterface(dialog.brokerField)->text(QAccessible::Name),
                 QString("MQTT broker"));
        dialog.open();
        dialog.brokerField->setText(broker);
        dialog.topicBaseField->setText(base);
        dialog.homeAssistantBox->setChecked(true);
        dialog.influxField->setText(influx);
        dialog.accept();
        QCOMPARE(dialog.isVisible(), !problem.isEmpty());
        QVERIFY2(dialog.problemLabel->text().contains(problem), qPrintable(dialog.problemLabel->text()));
        QCOMPARE(QFile::exists(folder.filePath(kPublishingFile)), problem.isEmpty());
        if (problem.isEmpty()) {
            QVERIFY(ReadPublishingSettings(folder.path()) == dialog.settings());
            const PublishingPlan plan = PlanPublishing(dialog.settings());
            QVERIFY(plan.problem.isEmpty());
            QCOMPARE(bool(plan.mqtt), !broker.isEmpty());
            QCOMPARE(bool(plan.influx), !influx.isEmpty());
            QCOMPARE(PublishingDialog(folder.path()).influxField->text(), influx);
        }
    }

    // Every reading reaches the broker and the database, in spite of a broker that comes only
    // after the start and is stopped for 30 s in the middle of the run, and a database that
    // refuses the first writes; the run itself holds every reading.
    void everyReadingArrives()
    {
        if (QStandardPaths::findExecutable("mosquitto", {"/usr/sbin", "/usr/bin"}).isEmpty())
            QSKIP("mosquitto is not installed (./test.sh installs it)");
        QTemporaryDir folder;
        Broker broker(folder.path());
        QVERIFY(broker.start());
        Subscriber subscriber(broker.port());
        // The broker keeps the subscriber's session while it is down, from before the start.
        QTest::qWait(500);
        broker.stop();
        LineListener listener;
        listener.refusals = 2;

        PublishingSettings settings;
        settings.mqttUrl = broker.url();
        settings.topicBase = "plant/cell3";
        settings.homeAssistant = true;
        settings.influxUrl = listener.url();
        PublishingPlan plan = PlanPublishing(settings);
        QVERIFY(plan.problem.isEmpty());
        // The broker is tried again each second, so the test does not wait out a long back-off.
        plan.mqtt->reconnectDelayMax = std::chrono::seconds(1);
        plan.influx->retryMax = std::chrono::milliseconds(2000);
        RunModel run(folder.path() + "/TCFiles");
        RunPublisher publisher(run, plan);

        constexpr int kReadings = 400;
        constexpr int kStopAt = 50;
        QString statusDuringOutage;
        record(run, kReadings, [&](int n) {
            if (n == 10)
                QVERIFY(broker.start());
            if (n == 20)
                run.addEvent(1002.0f, "logger disconnected");
            if (n == kStopAt)
                broker.stop();
            if (n == kStopAt + 250)
                statusDuringOutage = publisher.statusText();
            if (n == kStopAt + 300)
                QVERIFY(broker.start());
        });
        QCOMPARE(run.size(), kReadings);
        QVERIFY2(statusDuringOutage.contains(QStringLiteral("MQTT: broker 127.0.0.1:%1 not "
                                                            "reachable").arg(broker.port())) &&
                     statusDuringOutage.contains("readings not delivered"),
                 qPrintable(statusDuringOutage));

        QTRY_VERIFY2_WITH_TIMEOUT(subscriber.readingTimes() == runTimes(run),
                                  qPrintable(missingTimes(subscriber.readingTimes(), run)), 20000);
        QCOMPARE(publisher.mqtt()->dropped(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(publisher.mqtt()->waiting(), 0, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(listener.lines.size(), kReadings + 1, 20000);
        const QByteArray eventPoint = listener.lines.takeAt(21);
        QVERIFY2(eventPoint.startsWith("thermocouple_event,host=") &&
                     eventPoint.contains(" run_time=2.0,text=\"logger disconnected\" "),
                 eventPoint);
        QCOMPARE(publisher.influx()->dropped(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(publisher.statusText().isEmpty(), 5000);

        // Each reading with its values as the run holds them. What was in flight when the broker
        // stopped (the last hand-off, a second of readings) may come once more, unchanged: MQTT
        // delivers at least once. Nothing else comes twice.
        const auto readings = subscriber.messages("/reading");
        QVERIFY(readings.size() >= size_t(kReadings) && readings.size() <= size_t(kReadings + 20));
        QHash<QString, QJsonArray> byTime;
        QStringList twice;
        for (const auto& m : readings) {
            const QJsonObject o = QJsonDocument::fromJson(m.payload).object();
            const double runTime = o["run_time"].toDouble();
            const QString time = QString::number(runTime, 'f', 1);
            if (byTime.contains(time)) {
                QCOMPARE(byTime[time], o["channels"].toArray());
                if (runTime > kStopAt / 10.0 || runTime < kStopAt / 10.0 - 2)
                    twice << time;
            }
            byTime[time] = o["channels"].toArray();
        }
        QVERIFY2(twice.isEmpty(), qPrintable("came twice: " + twice.join(u' ')));
        for (qsizetype i = 0; i < run.size(); ++i) {
            const RunSample& s = run.sample(i);
            const QJsonArray channels = byTime[QString::number(s.time, 'f', 1)];
            QCOMPARE(channels.size(), 4);
            for (int c = 0; c < 4; ++c)
                QCOMPARE(channels[c].isNull() ? QString("-9999") : QString::number(channels[c].toInt()),
                         FormatReading(s.values[size_t(c)]));
            const QList<QByteArray> point = listener.lines[i].split(' ');
            QCOMPARE(point.size(), 3);
            QVERIFY(point[0].startsWith("thermocouple,host="));
            QCOMPARE(point[1].contains("ch2="), HasReading(s.values[1]));
            QVERIFY(point[1].startsWith("ch1=" + FormatReading(s.values[0]).toUtf8()));
        }
        QVERIFY(listener.requests.first().startsWith("POST /write?db=plant HTTP/1.1"));
        QVERIFY(listener.requests.size() < kReadings / 5); // batched, not one per reading

        const auto events = subscriber.messages("plant/cell3/event");
        QCOMPARE(events.size(), size_t(1));
        QVERIFY(events[0].payload.startsWith("{\"run_time\": 2.0, \"time\": \"") &&
                events[0].payload.endsWith("Z\", \"text\": \"logger disconnected\"}"));
        const auto status = subscriber.messages("plant/cell3/status");
        QVERIFY(!status.empty());
        QCOMPARE(status.back().payload, QByteArray("online"));
        const auto discovery = subscriber.messages("/ch4/config");
        QVERIFY(!discovery.empty());
        QCOMPARE(QJsonDocument::fromJson(discovery.back().payload)["state_topic"].toString(),
                 QString("plant/cell3/reading"));
    }

    // Readings wait up to a second to be handed over together. A run begun meanwhile does not
    // change how the readings of the one before are published, and the last readings of a run
    // go out although no reading follows them.
    void readingsWaitingWhenTheRunIsReplaced()
    {
        QTemporaryDir folder;
        LineListener listener;
        PublishingSettings settings;
        settings.influxUrl = listener.url();
        RunModel run(folder.path() + "/TCFiles");
        RunPublisher publisher(run, PlanPublishing(settings));
        RunHeader four;
        four.channelCount = 4;
        run.startRecording(four, 0);
        run.addReading(0.1f, {801, 802, 803, 804});
        run.addReading(0.2f, {811, 812, 813, 814});
        RunHeader two;
        two.channelCount = 2;
        run.startRecording(two, 0);
        run.addReading(0.1f, {901, 902, kNoReading, kNoReading});
        QTRY_COMPARE_WITH_TIMEOUT(listener.lines.size(), 3, 5000);
        QVERIFY2(listener.lines[1].contains(" ch1=811,ch2=812,ch3=813,ch4=814 "),
                 listener.lines[1]);
        QVERIFY2(listener.lines[2].contains(" ch1=901,ch2=902 "), listener.lines[2]);
    }

    // The recorder without a window, killed: the broker says "offline" for it (its Last Will).
    // Started again, it keeps the killed run's journal as a file, records until SIGTERM, saves
    // the run and has published every reading the file holds.
    void headlessRecorder()
    {
        if (QStandardPaths::findExecutable("mosquitto", {"/usr/sbin", "/usr/bin"}).isEmpty())
            QSKIP("mosquitto is not installed (./test.sh installs it)");
        QTemporaryDir folder;
        // A copy of the program has the scratch folder for its program folder.
        const QString program = folder.filePath("thermocouple-recorder");
        QVERIFY(QFile::copy(qEnvironmentVariable("TR_PROGRAM"), program));
        QVERIFY(SimulatorProcess::blockRealPorts(folder.path(), 3));
        SimulatorProcess simulator(folder.path());
        QVERIFY2(simulator.start(3), qPrintable(simulator.why()));
        QTemporaryDir brokerFolder;
        Broker broker(brokerFolder.path());
        QVERIFY(broker.start());
        Subscriber subscriber(broker.port());
        const QString base = "thermocouple-recorder/" + PlantHostName();
        const auto lastStatus = [&] {
            const auto status = subscriber.messages(base + "/status");
            return status.empty() ? QByteArray() : status.back().payload;
        };

        QProcess recorder;
        const QStringList arguments{"--headless", "--port", "3", "--mqtt", broker.url()};
        recorder.start(program, arguments);
        QTRY_COMPARE_WITH_TIMEOUT(lastStatus(), QByteArray("online"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(subscriber.messages("/reading").size() > 10, 10000);
        recorder.kill();
        QVERIFY(recorder.waitForFinished(5000));
        QTRY_COMPARE_WITH_TIMEOUT(lastStatus(), QByteArray("offline"), 10000);
        subscriber.clear();

        // Unattended, an alarm is kept and published as an event of the run.
        QFile alarms(folder.filePath("alarms.ini"));
        QVERIFY(alarms.open(QIODevice::WriteOnly));
        alarms.write("[channel1]\nhigh=1\n");
        alarms.close();
        LineListener listener;
        recorder.start(program, arguments + QStringList{"--influx", listener.url()});
        QTRY_COMPARE_WITH_TIMEOUT(lastStatus(), QByteArray("online"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(subscriber.messages("/reading").size() > 20, 10000);
        recorder.terminate();
        // Waited for with the event loop running: the listener answers the last write.
        QTRY_COMPARE_WITH_TIMEOUT(recorder.state(), QProcess::NotRunning, 10000);
        const QString log = recorder.readAllStandardError();
        QCOMPARE(recorder.exitCode(), 0);
        QVERIFY2(log.contains("The unsaved run of an earlier recorder ("), qPrintable(log));
        QCOMPARE(lastStatus(), QByteArray("offline"));

        const QDir data(folder.filePath("TCFiles"));
        const QStringList saved = data.entryList({"Run *"});
        QCOMPARE(saved.size(), 1);
        QVERIFY2(log.contains("as " + data.filePath(saved.first())), qPrintable(log));
        QCOMPARE(data.entryList({"Recovered run *"}).size(), 1);
        RunModel run(folder.filePath("scratch"));
        QCOMPARE(run.open(data.filePath(saved.first())).outcome, DataFileRead::Outcome::Ok);
        QVERIFY(run.size() > 20);
        QCOMPARE(subscriber.readingTimes(), runTimes(run));
        // InfluxDB too has the run's last second, written as the recorder ended.
        qsizetype points = 0;
        for (const QByteArray& line : listener.lines)
            points += line.startsWith("thermocouple,") ? 1 : 0;
        QCOMPARE(points, run.size());
        QVERIFY(!run.events().empty());
        QVERIFY2(run.events().front().text.startsWith("ALARM Ch 1 high: "),
                 qPrintable(run.events().front().text));
        const auto events = subscriber.messages("/event");
        QVERIFY(!events.empty() && events.front().payload.contains("\"ALARM Ch 1 high: "));
        QVERIFY2(log.contains(": ALARM Ch 1 high: "), qPrintable(log));
    }
};

QTEST_MAIN(TestPublishing)
#include "test_publishing.moc"
