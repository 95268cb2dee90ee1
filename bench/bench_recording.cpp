// bench-recording: what recording at 10 Hz costs the program as a user runs it. The real main
// window with the program's own clock, timers and serial link on the instrument simulator,
// shown (offscreen unless QT_QPA_PLATFORM says otherwise), Start pressed, N seconds recorded.
// Prints, over the recording: CPU seconds per second and wake-ups per second (voluntary and
// involuntary context switches) of the whole process and of each thread, the main thread's CPU
// time per sample, the samples taken and how many neighbours share one run time; and, measured
// in the three seconds before Start, what one wake-up of the idle window's event loop costs.
// With --unplug, the simulator's adapter is pulled 3 s into the run and plugged in again 3 s
// later; the figure printed is how long after the link came back the first reading joined the
// run.
// With --breakdown, also the main thread's CPU per sample by what the event loop delivered.
// Usage: bench-recording [--unplug] [--breakdown] [seconds]
//        (default 30, 12 with --unplug; simulator: $TR_SIMULATOR or the built one)

#include "mainwindow.h"
#include "programstate.h"
#include "qtseriallink.h"
#include "scriptedprompts.h"
#include "seams.h"
#include "simulatorprocess.h"
#include "windowcontrols.h"
#include "eventcost.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <vector>

namespace
{

constexpr int kSimulatorPort = 1;
constexpr double kDefaultSeconds = 30;

QByteArray readProcFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// utime + stime of a /proc stat line, in seconds. The name in parentheses may hold blanks, so
// the fields are counted from its closing parenthesis (state is the first after it).
double statCpuSeconds(const QByteArray& stat)
{
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return static_cast<double>(fields[11].toLongLong() + fields[12].toLongLong()) /
           static_cast<double>(sysconf(_SC_CLK_TCK));
}

long statusSwitches(const QByteArray& status)
{
    long sum = 0;
    for (const QByteArray& line : status.split('\n'))
        if (line.startsWith("voluntary_ctxt_switches:") ||
            line.startsWith("nonvoluntary_ctxt_switches:"))
            sum += line.mid(line.indexOf(':') + 1).trimmed().toLong();
    return sum;
}

struct ThreadUsage {
    QString name;
    double cpuSeconds = 0;
    long switches = 0;
};

struct Usage {
    double processCpuSeconds = 0;
    long endedThreadsSwitches = 0; // getrusage also counts threads that have ended
    double mainThreadCpuSeconds = 0;
    std::map<int, ThreadUsage> threads; // by thread id
};

Usage usageNow()
{
    Usage u;
    u.processCpuSeconds = statCpuSeconds(readProcFile(QStringLiteral("/proc/self/stat")));
    u.mainThreadCpuSeconds = ThreadCpuSeconds(); // called on the main thread only
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    u.endedThreadsSwitches = ru.ru_nvcsw + ru.ru_nivcsw;
    const QString tasks = QStringLiteral("/proc/self/task/");
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        ThreadUsage t;
        t.name =
            QString::fromLocal8Bit(readProcFile(tasks + tid + QStringLiteral("/comm"))).trimmed();
        t.cpuSeconds = statCpuSeconds(readProcFile(tasks + tid + QStringLiteral("/stat")));
        t.switches = statusSwitches(readProcFile(tasks + tid + QStringLiteral("/status")));
        u.threads[tid.toInt()] = t;
    }
    return u;
}

long switchesOf(const std::map<int, ThreadUsage>& threads)
{
    long sum = 0;
    for (const auto& [tid, t] : threads)
        sum += t.switches;
    return sum;
}

struct Recorded {
    bool ready = false; // the window came up and took its first frame
    QString why;
    // The main thread's CPU per wake-up of a 10 Hz timer that does nothing, the window shown
    // and idle: what the event loop and the machine cost before any work is done.
    double idleWakeUpMs = 0;
    std::vector<float> runTimes; // of every sample recorded, in order
    QStringList messages;        // shown to the user meanwhile
};

// Prompts nobody answers: the texts are noted, every question is cancelled.
class NotingPrompts final : public Prompts
{
public:
    QStringList texts;
    MsgAnswer message(const MessageRequest& r) override
    {
        texts << r.text;
        return r.buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    }
    QString input(const QString& prompt, const QString&, const QString&) override
    {
        texts << prompt;
        return {};
    }
    std::optional<QString> openFile(const FileDialogRequest& r) override
    {
        texts << r.title;
        return std::nullopt;
    }
    std::optional<QString> saveFile(const FileDialogRequest& r) override
    {
        texts << r.title;
        return std::nullopt;
    }
    bool printerSetup(QPrinter&) override { return false; }
    PrintOutput choosePrintOutput(const QString&) override { return PrintOutput::Cancel; }
};

// The only code that knows the main window's API. Builds it as the program does, on `folder`
// with the logger on COM `port`, shows it, lets its start-up measurement run, presses Start
// and records for `seconds`; `begins` and `ends` bracket the recording.
Recorded recordInWindow(const QString& folder, int port, double seconds,
                        const std::function<void()>& begins, const std::function<void()>& ends)
{
    Recorded out;
    ProgramState state;
    SystemClock clock;
    NotingPrompts prompts;
    QtSerialLink link(folder);
    ProcessLauncher launcher;
    QEventLoop loop;
    WindowServices services =
        MakeWindowServices(folder, prompts, clock, link, &launcher, [&loop] { loop.quit(); });
    MainWindow window(state, services);
    window.load();
    window.useSessionPort(static_cast<qint16>(port), QString());
    window.show();

    // Three seconds of an idle 10 Hz timer before Start, to measure the floor, after one second
    // for what showing the window left to do.
    constexpr int kSettleTicks = 10;
    constexpr int kIdleTicks = 30;
    QTimer idle;
    idle.setTimerType(Qt::PreciseTimer);
    idle.setInterval(100);
    int idleTicks = 0;
    double idleCpuAtFirst = 0;
    QTimer exposed;
    exposed.setInterval(20);
    QObject::connect(&exposed, &QTimer::timeout, &loop, [&] {
        if (!window.windowHandle() || !window.windowHandle()->isExposed())
            return;
        exposed.stop();
        window.afterShown(); // on screen already: the start-up measurement runs here
        idle.start();
    });
    QObject::connect(&idle, &QTimer::timeout, &loop, [&] {
        if (++idleTicks == kSettleTicks) {
            idleCpuAtFirst = ThreadCpuSeconds();
            return;
        }
        if (idleTicks < kSettleTicks + kIdleTicks)
            return;
        idle.stop();
        out.idleWakeUpMs =
            (ThreadCpuSeconds() - idleCpuAtFirst) * 1000 / kIdleTicks;
        controls(window).recordButtons[MainWindow::StartButton]->click();
        if (!window.run().isRecording()) {
            out.why = QStringLiteral("Start did not begin a recording");
            loop.quit();
            return;
        }
        out.ready = true;
        begins();
        QTimer::singleShot(std::chrono::milliseconds(static_cast<qint64>(seconds * 1000)),
                           Qt::PreciseTimer, &loop, [&] {
                               ends();
                               const RunModel& run = window.run();
                               for (qsizetype r = 0; r < run.size(); ++r)
                                   out.runTimes.push_back(run.sample(r).time);
                               controls(window).recordButtons[MainWindow::StopButton]->click();
                               loop.quit();
                           });
    });
    QTimer::singleShot(10000, &loop, [&] {
        if (exposed.isActive()) {
            out.why = QStringLiteral("the window was never exposed");
            loop.quit();
        }
    });
    exposed.start();
    loop.exec();
    out.messages = prompts.texts;
    return out;
}

void printFigures(const Usage& before, const Usage& after, double wall, const Recorded& rec)
{
    const double cpu = after.processCpuSeconds - before.processCpuSeconds;
    const long switches = switchesOf(after.threads) - switchesOf(before.threads);
    const size_t samples = rec.runTimes.size();
    int sharedTimes = 0;
    for (size_t i = 1; i < samples; ++i)
        if (rec.runTimes[i] == rec.runTimes[i - 1])
            ++sharedTimes;
    const double mainCpu = after.mainThreadCpuSeconds - before.mainThreadCpuSeconds;

    std::printf("recording at 10 Hz through the main window for %.2f s (platform %s):\n", wall,
                qPrintable(QGuiApplication::platformName()));
    std::printf("  CPU: %.3f s, %.4f CPU-s per s (target <= 0.005)\n", cpu, cpu / wall);
    std::printf("  wake-ups: %ld, %.1f per s (target <= 30); with threads that ended: %.1f per s\n",
                switches, static_cast<double>(switches) / wall,
                static_cast<double>(after.endedThreadsSwitches - before.endedThreadsSwitches) /
                    wall);
    std::printf("  samples recorded: %zu, %.2f per s\n", samples,
                static_cast<double>(samples) / wall);
    std::printf("  main thread: %.3f ms CPU per sample (target <= 0.5)\n",
                samples > 0 ? mainCpu * 1000 / static_cast<double>(samples) : 0.0);
    std::printf("  pairs of consecutive readings sharing one run time: %d\n", sharedTimes);
    std::printf("  floor: one wake-up of the idle window's event loop (a 10 Hz timer, nothing "
                "done) costs the main thread %.3f ms CPU\n",
                rec.idleWakeUpMs);

    std::printf("  per thread (id, name, CPU-s per s, wake-ups per s):\n");
    struct Row {
        int tid;
        ThreadUsage used;
    };
    std::vector<Row> rows;
    for (const auto& [tid, t] : after.threads) {
        const auto was = before.threads.find(tid);
        ThreadUsage d = t;
        if (was != before.threads.end()) {
            d.cpuSeconds -= was->second.cpuSeconds;
            d.switches -= was->second.switches;
        }
        rows.push_back({tid, d});
    }
    std::sort(rows.begin(), rows.end(),
              [](const Row& a, const Row& b) { return a.used.switches > b.used.switches; });
    for (const Row& r : rows)
        std::printf("    %7d %-16s %.4f %7.1f%s\n", r.tid, qPrintable(r.used.name),
                    r.used.cpuSeconds / wall, static_cast<double>(r.used.switches) / wall,
                    before.threads.count(r.tid) ? "" : "  (started during the recording)");
    for (const auto& [tid, t] : before.threads)
        if (!after.threads.count(tid))
            std::printf("    %7d %-16s ended during the recording\n", tid, qPrintable(t.name));
    if (!rec.messages.isEmpty())
        std::printf("  shown to the user: %s\n",
                    qPrintable(rec.messages.join(QStringLiteral(" | "))));
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("TR_SIMULATOR"))
        qputenv("TR_SIMULATOR", TR_DEFAULT_SIMULATOR);
    TimedApplication<QApplication> app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool unplug = args.removeAll(QStringLiteral("--unplug")) > 0;
    const bool breakdown = args.removeAll(QStringLiteral("--breakdown")) > 0;
    double seconds = args.isEmpty() ? 0 : args.first().toDouble();
    if (seconds <= 0)
        seconds = unplug ? 12 : kDefaultSeconds;

    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no scratch program folder\n");
        return 1;
    }
    // Every other port of the folder leads nowhere, never to a serial device of this machine.
    SimulatorProcess simulator(folder.path());
    QStringList simArgs{QStringLiteral("--rate"), QStringLiteral("10")};
    if (unplug)
        simArgs << QStringLiteral("--fault") << QStringLiteral("unplug")
                << QStringLiteral("--fault-after") << QStringLiteral("3")
                << QStringLiteral("--outage") << QStringLiteral("3");
    // When the link to the simulator's pty goes and comes back, in seconds from Start.
    QElapsedTimer sinceStart;
    double linkGone = -1, linkBack = -1;
    QTimer watchLink;
    watchLink.setInterval(5);
    const QString link = folder.filePath(QStringLiteral("ports/COM%1").arg(kSimulatorPort));
    QObject::connect(&watchLink, &QTimer::timeout, [&] {
        const bool there = QFileInfo::exists(link);
        if (!there && linkGone < 0)
            linkGone = sinceStart.elapsed() / 1000.0;
        if (there && linkGone >= 0 && linkBack < 0)
            linkBack = sinceStart.elapsed() / 1000.0;
    });
    if (!simulator.start(kSimulatorPort, simArgs)) {
        std::fprintf(stderr, "the simulator did not come up: %s\n", qPrintable(simulator.why()));
        return 1;
    }

    Usage before, after;
    timespec wallBefore{}, wallAfter{};
    const Recorded rec = recordInWindow(
        folder.path(), kSimulatorPort, seconds,
        [&] {
            clock_gettime(CLOCK_MONOTONIC, &wallBefore);
            before = usageNow();
            app.timing = breakdown;
            sinceStart.start();
            if (unplug)
                watchLink.start();
        },
        [&] {
            app.timing = false;
            after = usageNow();
            clock_gettime(CLOCK_MONOTONIC, &wallAfter);
        });
    simulator.stop();
    if (!rec.ready) {
        std::fprintf(stderr, "no recording: %s\n", qPrintable(rec.why));
        return 1;
    }
    const double wall = static_cast<double>(wallAfter.tv_sec - wallBefore.tv_sec) +
                        static_cast<double>(wallAfter.tv_nsec - wallBefore.tv_nsec) * 1e-9;
    if (!unplug) {
        printFigures(before, after, wall, rec);
        if (breakdown)
            app.printBreakdown(after.mainThreadCpuSeconds - before.mainThreadCpuSeconds,
                               static_cast<double>(rec.runTimes.size()), "sample");
        return 0;
    }
    // The first reading after the outage, by its run time (stamped when its line arrived).
    const auto joined = std::find_if(rec.runTimes.begin(), rec.runTimes.end(),
                                     [&](float t) { return linkBack >= 0 && t >= linkBack; });
    std::printf("adapter pulled %.2f s into the run, back at %.2f s; ", linkGone, linkBack);
    if (linkBack < 0 || joined == rec.runTimes.end()) {
        std::printf("no reading joined the run after it came back\n");
        return 1;
    }
    std::printf("the first reading joined the run %.2f s after the adapter came back "
                "(target <= 2 s); %zu readings in one run, messages shown: %lld\n",
                *joined - linkBack, rec.runTimes.size(), static_cast<long long>(rec.messages.size()));
    return 0;
}
