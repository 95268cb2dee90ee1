// bench-publishing: what publishing costs a recording at 10 Hz. A run model takes a reading
// every 100 ms, in rounds of N seconds publishing every reading to a mosquitto broker the bench
// starts on a free port and to an InfluxDB listener in a child process (so that neither side's
// receiving is counted), each followed by N seconds recording a run nobody publishes. Prints
// CPU seconds per second and wake-ups per second (context switches, all threads) of this
// process for both, their difference, and each round's.
// With --breakdown, also the main thread's CPU per second of publishing by what its event
// loop delivered.
// Usage: bench-publishing [--only mqtt|influx] [--rounds N] [--breakdown] [seconds]
//        (default 3 rounds of 10 s; needs mosquitto)

#include "runmodel.h"
#include "eventcost.h"
#include "runpublisher.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>

namespace
{

// Context switches and CPU seconds (from schedstat, in nanoseconds) of each thread, by name, so
// that a rise can be traced to its thread.
struct ThreadUse {
    long switches = 0;
    double cpuSeconds = 0;
};
std::map<QString, ThreadUse> threadSwitches()
{
    std::map<QString, ThreadUse> byName;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(tid + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        QString name;
        long switches = 0;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Name:"))
                name = QString::fromUtf8(line.mid(5).trimmed());
            else if (line.startsWith("voluntary_ctxt_switches:") ||
                     line.startsWith("nonvoluntary_ctxt_switches:"))
                switches += line.mid(line.indexOf(':') + 1).trimmed().toLong();
        }
        QFile schedstat(tasks.filePath(tid + QStringLiteral("/schedstat")));
        double cpu = 0;
        if (schedstat.open(QIODevice::ReadOnly))
            cpu = schedstat.readAll().split(' ').value(0).toDouble() / 1e9;
        byName[name].switches += switches;
        byName[name].cpuSeconds += cpu;
    }
    return byName;
}

struct Usage {
    double cpuSeconds = 0;
    long switches = 0;
    std::map<QString, ThreadUse> threadSwitches;
};

Usage usageNow()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return {seconds(u.ru_utime) + seconds(u.ru_stime), u.ru_nvcsw + u.ru_nivcsw,
            threadSwitches()};
}

// The listener child: answers every POST with 204 until killed.
int listen()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return 1;
    std::printf("%d\n", server.serverPort());
    std::fflush(stdout);
    QObject::connect(&server, &QTcpServer::newConnection, [&server] {
        QTcpSocket* s = server.nextPendingConnection();
        auto* pending = new QByteArray;
        QObject::connect(s, &QTcpSocket::readyRead, s, [s, pending] {
            *pending += s->readAll();
            for (;;) {
                const qsizetype end = pending->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                const qsizetype at = pending->toLower().indexOf("content-length:");
                const int length =
                    at < 0 ? 0 : pending->mid(at + 15, pending->indexOf('\r', at) - at - 15).trimmed().toInt();
                if (pending->size() < end + 4 + length)
                    return;
                pending->remove(0, end + 4 + length);
                s->write("HTTP/1.1 204 No Content\r\nContent-Length: 0\r\n\r\n");
            }
        });
    });
    return QCoreApplication::exec();
}

// Records `seconds` of readings at 10 Hz into `run`, then calls `done` with the usage.
void recordFor(RunModel& run, double seconds, std::function<void(Usage, double, int)> done)
{
    RunHeader header;
    run.startRecording(header, 0);
    auto* tick = new QTimer;
    auto* clock = new QElapsedTimer;
    auto* count = new int(0);
    const Usage before = usageNow();
    clock->start();
    QObject::connect(tick, &QTimer::timeout, [=, &run] {
        const float v = 850.0f + static_cast<float>(*count % 50);
        run.addReading(static_cast<float>(clock->elapsed()) / 1000.0f, {v, v + 10, v + 20, v + 30});
        ++*count;
        if (clock->elapsed() >= seconds * 1000) {
            tick->stop();
            const Usage after = usageNow();
            const double wall = static_cast<double>(clock->elapsed()) / 1000.0;
            run.stopRecording();
            Usage used{after.cpuSeconds - before.cpuSeconds, after.switches - before.switches, {}};
            for (const auto& [name, use] : after.threadSwitches) {
                const ThreadUse earlier =
                    before.threadSwitches.count(name) ? before.threadSwitches.at(name) : ThreadUse{};
                used.threadSwitches[name] = {use.switches - earlier.switches,
                                             use.cpuSeconds - earlier.cpuSeconds};
            }
            done(used, wall, *count);
            tick->deleteLater();
            delete clock;
            delete count;
        }
    });
    tick->setTimerType(Qt::PreciseTimer);
    tick->start(100);
}

} // namespace

int main(int argc, char* argv[])
{
    TimedApplication<QCoreApplication> app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--listen")))
        return listen();
    QString only;
    double seconds = 10;
    int rounds = 3;
    bool breakdown = false;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--breakdown"))
            breakdown = true;
        else if (args[i] == QLatin1String("--only") && i + 1 < args.size())
            only = args[++i];
        else if (args[i] == QLatin1String("--rounds") && i + 1 < args.size())
            rounds = args[++i].toInt();
        else
            seconds = args[i].toDouble();
    }
    if (rounds < 1)
        rounds = 1;
    if (!(seconds > 0) || (!only.isEmpty() && only != QLatin1String("mqtt") &&
                           only != QLatin1String("influx"))) {
        std::fprintf(stderr, "Usage: bench-publishing [--only mqtt|influx] [--rounds N] [--breakdown] [seconds]\n");
        return 2;
    }

    QTemporaryDir folder;
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 brokerPort = probe.serverPort();
    probe.close();
    QFile conf(folder.filePath(QStringLiteral("mosquitto.conf")));
    conf.open(QIODevice::WriteOnly);
    conf.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\n%2")
                   .arg(brokerPort)
                   .arg(geteuid() == 0 ? "user root\n" : "")
                   .toUtf8());
    conf.close();
    QProcess broker;
    broker.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), conf.fileName()});
    QProcess listener;
    listener.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--listen")});
    if (!broker.waitForStarted() || !listener.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench-publishing: mosquitto or the listener did not start\n");
        return 1;
    }
    const int listenerPort = listener.readLine().trimmed().toInt();
    QThread::msleep(500); // the broker opens its port

    PublishingSettings settings;
    settings.mqttUrl = QStringLiteral("mqtt://127.0.0.1:%1").arg(brokerPort);
    settings.influxUrl = QStringLiteral("http://127.0.0.1:%1/write?db=bench").arg(listenerPort);
    settings.homeAssistant = true;
    if (only == QLatin1String("mqtt"))
        settings.influxUrl.clear();
    if (only == QLatin1String("influx"))
        settings.mqttUrl.clear();

    // Readings published go into `run`; the quiet phases record into `quietRun`, which no
    // publisher follows. Phases alternate, so that a change in the machine's load (it is shared)
    // falls on both alike.
    RunModel run(folder.filePath(QStringLiteral("TCFiles")));
    RunModel quietRun(folder.filePath(QStringLiteral("TCFiles2")));
    std::unique_ptr<RunPublisher> publisher;
    std::vector<std::pair<Usage, double>> quiet, published;
    int readings = 0;
    double publishingMainCpu = 0, publishedSeconds = 0; // the main thread's, for --breakdown
    const auto perSecond = [](const std::vector<std::pair<Usage, double>>& phases, bool cpu) {
        double sum = 0, wall = 0;
        for (const auto& [usage, seconds] : phases) {
            sum += cpu ? usage.cpuSeconds : static_cast<double>(usage.switches);
            wall += seconds;
        }
        return sum / wall;
    };
    const auto report = [&] {
        std::printf("%-34s %10s %12s\n", "10 Hz, per second of run", "CPU s/s", "wake-ups/s");
        std::printf("%-34s %10.5f %12.1f\n", "recording only", perSecond(quiet, true),
                    perSecond(quiet, false));
        std::printf("%-34s %10.5f %12.1f\n", "recording and publishing", perSecond(published, true),
                    perSecond(published, false));
        std::printf("%-34s %10.5f %12.1f\n", "publishing adds",
                    perSecond(published, true) - perSecond(quiet, true),
                    perSecond(published, false) - perSecond(quiet, false));
        for (size_t r = 0; r < published.size(); ++r)
            std::printf("  round %zu: adds %.5f CPU s/s\n", r + 1,
                        published[r].first.cpuSeconds / published[r].second -
                            quiet[r].first.cpuSeconds / quiet[r].second);
        std::printf("  by thread, last round:     publishing CPU s/s  wake-ups/s   quiet CPU s/s\n");
        for (const auto& [name, use] : published.back().first.threadSwitches) {
            const auto& quietThreads = quiet.back().first.threadSwitches;
            const double quietCpu =
                quietThreads.count(name) ? quietThreads.at(name).cpuSeconds / quiet.back().second : 0;
            std::printf("    %-30s %10.5f %10.1f %12.5f\n", qPrintable(name),
                        use.cpuSeconds / published.back().second,
                        static_cast<double>(use.switches) / published.back().second, quietCpu);
        }
        std::printf("readings published: %d", readings);
        if (const MqttPublisher* mqtt = publisher->mqtt())
            std::printf("; MQTT waiting %lld dropped %lld", static_cast<long long>(mqtt->waiting()),
                        static_cast<long long>(mqtt->dropped()));
        if (const InfluxPublisher* influx = publisher->influx())
            std::printf("; InfluxDB waiting %lld dropped %lld",
                        static_cast<long long>(influx->waiting()),
                        static_cast<long long>(influx->dropped()));
        std::printf("\n");
        if (breakdown)
            app.printBreakdown(publishingMainCpu, publishedSeconds, "second of publishing");
        publisher.reset();
        listener.kill();
        broker.terminate();
        broker.waitForFinished();
        listener.waitForFinished();
        QCoreApplication::quit();
    };
    std::function<void()> nextRound = [&] {
        if (static_cast<int>(published.size()) == rounds) {
            report();
            return;
        }
        app.timing = breakdown;
        const double mainCpuBefore = ThreadCpuSeconds();
        recordFor(run, seconds, [&, mainCpuBefore](Usage usage, double wall, int count) {
            app.timing = false;
            publishingMainCpu += ThreadCpuSeconds() - mainCpuBefore;
            publishedSeconds += wall;
            published.emplace_back(usage, wall);
            readings += count;
            recordFor(quietRun, seconds, [&](Usage usage, double wall, int) {
                quiet.emplace_back(usage, wall);
                nextRound();
            });
        });
    };
    publisher = std::make_unique<RunPublisher>(run, PlanPublishing(settings));
    // Three seconds to connect and to make what is made once, then the rounds.
    recordFor(run, 3, [&](Usage, double, int count) {
        readings += count;
        nextRound();
    });
    return QCoreApplication::exec();
}
