// bench-acquisition: what recording from a 10 Hz instrument costs the logger reader (CPU time,
// wake-ups), how many readings per second a 100 ms tick takes from it and whether any is lost,
// stamped twice with one run time or holds values never sent, also with lines cut short on the
// wire; how many lines per second the decoder splits and the run-line parser reads; and how
// long a silent port takes to be reported.
// Usage: bench-acquisition [seconds-of-recording]   (simulator: $TR_SIMULATOR or the built one)

#include "decoder.h"
#include "loggerreader.h"
#include "portcommands.h"
#include "portpath.h"
#include "qtseriallink.h"
#include "runsample.h"
#include "seams.h"
#include "silencebudget.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

namespace
{

constexpr std::chrono::milliseconds kTick{100}; // the recording loop's timer
constexpr int kFileFrames = 5000; // more than a run sends, so every line is told apart

// CPU time and voluntary context switches (sleeps that ended with a wake-up) of this process.
struct Usage {
    double cpuSeconds = 0;
    long wakeUps = 0;
};

Usage processUsage()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return {static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9, ru.ru_nvcsw};
}

// A program folder whose every port is a link; only the simulator's becomes real.
bool prepareFolder(const QTemporaryDir& dir)
{
    if (!dir.isValid() || !QDir(dir.path()).mkpath(QStringLiteral("ports")))
        return false;
    for (int n = kFirstComPort; n <= kLastComPort; ++n)
        if (!QFile::link(dir.filePath(QStringLiteral("nowhere/COM%1").arg(n)),
                         dir.filePath(QStringLiteral("ports/COM%1").arg(n))))
            return false;
    return true;
}

// The temperatures of line k the simulator sends, in degrees C; every line's differ.
std::array<float, kRecorderChannels> sentTemperatures(int k)
{
    return {static_cast<float>(400.0 + k * 0.1), static_cast<float>(900.0 - k * 0.1),
            static_cast<float>(455.0 + (k % 97)), 63.2f};
}

bool writeFramesFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (int k = 0; k < kFileFrames; ++k) {
        const std::array<float, kRecorderChannels> t = sentTemperatures(k);
        file.write(QStringLiteral("%1,%2,%3,%4,%5\n")
                       .arg(k)
                       .arg(t[0], 0, 'f', 1)
                       .arg(t[1], 0, 'f', 1)
                       .arg(t[2], 0, 'f', 1)
                       .arg(t[3], 0, 'f', 1)
                       .toLatin1());
    }
    return true;
}

// The line a reading came from, found by its first temperature; nothing when no sent line
// holds all four of its values.
std::optional<int> sentLineOf(const LoggerReading& reading)
{
    const int k = static_cast<int>(std::lround((reading.values[0] - 400.0) * 10));
    if (k < 0 || k >= kFileFrames)
        return std::nullopt;
    const std::array<float, kRecorderChannels> sent = sentTemperatures(k);
    for (int i = 0; i < kRecorderChannels; ++i)
        if (std::fabs(reading.values[i] - sent[i]) > 0.05f)
            return std::nullopt;
    return k;
}

// How long the logger may stay silent, measured as the program measures it at start-up.
std::chrono::milliseconds measureBudget()
{
    SystemClock clock;
    SilenceBudgetMeasurement measurement(clock);
    std::chrono::milliseconds budget = kDefaultSilenceBudget;
    QEventLoop loop;
    QObject::connect(&measurement, &SilenceBudgetMeasurement::measured, &loop,
                     [&](std::chrono::milliseconds measured) {
                         budget = measured;
                         loop.quit();
                     });
    measurement.start();
    loop.exec();
    return budget;
}

struct Recording {
    double wallSeconds = 0;
    Usage used;
    int readings = 0;
    int emptyTicks = 0; // ticks that found no new reading
    int silences = 0;   // times the silence deadline passed
    qint64 rejected = 0;
    int linesLost = 0;   // lines sent but never taken, from the gaps between stored lines
    int neverSent = 0;   // readings whose values no sent line holds
    int sameRunTime = 0; // readings stamped with the run time of the one before
};

// Start (open, a new reader session whose first line only proves that data arrive), then a
// 100 ms tick that takes the newest reading, as the recording loop does, for `seconds`.
bool record(const QString& simulator, const QString& fault, double seconds,
            std::chrono::milliseconds budget, Recording& out)
{
    QTemporaryDir dir;
    if (!prepareFolder(dir))
        return false;
    const QString framesPath = dir.filePath(QStringLiteral("frames.txt"));
    if (!writeFramesFile(framesPath))
        return false;
    QProcess sim;
    sim.start(simulator, {"--folder", dir.path(), "--port", "1", "--rate", "10", "--frames",
                          framesPath, "--fault", fault});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(10000))
        return false;

    QtSerialLink link(dir.path());
    SystemClock clock;
    LoggerReader reader(link, clock);
    QObject::connect(&reader, &LoggerReader::silent, [&] { ++out.silences; });
    qint16 comPort = 1;
    OpenLoggerPort(link, comPort);
    reader.start(true, kRecorderChannels, budget);
    const float startClock = clock.secondsSinceMidnight();
    int lastLine = -1;
    double lastRunTime = -1;

    QTimer tick;
    tick.setInterval(kTick);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const std::optional<LoggerReading> reading = reader.takeNewest();
        if (!reading) {
            ++out.emptyTicks;
            return;
        }
        ++out.readings;
        const double runTime = RunTimeOfSample(reading->clock, startClock);
        out.sameRunTime += runTime == lastRunTime;
        lastRunTime = runTime;
        const std::optional<int> line = sentLineOf(*reading);
        if (!line) {
            ++out.neverSent;
            return;
        }
        if (lastLine >= 0 && *line > lastLine + 1)
            out.linesLost += *line - lastLine - 1;
        lastLine = *line;
    });

    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(static_cast<qint64>(seconds * 1000)), &loop,
                       &QEventLoop::quit);
    QElapsedTimer wall;
    const Usage before = processUsage();
    wall.start();
    tick.start();
    loop.exec();
    tick.stop();
    const Usage after = processUsage();
    out.wallSeconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
    out.used = {after.cpuSeconds - before.cpuSeconds, after.wakeUps - before.wakeUps};
    out.rejected = reader.rejectedLines();

    reader.stop();
    link.close();
    sim.terminate();
    sim.waitForFinished(3000);
    return true;
}

void benchRecording(const QString& simulator, double seconds, std::chrono::milliseconds budget)
{
    Recording clean;
    if (!record(simulator, QStringLiteral("none"), seconds, budget, clean)) {
        std::printf("(a)-(c) skipped: the simulator %s did not come up\n", qPrintable(simulator));
        return;
    }
    const double wall = clean.wallSeconds;
    std::printf("recording a 10 Hz instrument on a 100 ms tick for %.2f s:\n", wall);
    std::printf("(a) CPU: %.4f s, %.5f CPU s per wall s (target <= 0.005)\n", clean.used.cpuSeconds,
                clean.used.cpuSeconds / wall);
    std::printf("(b) wake-ups: %ld, %.1f per second (target <= 30)\n", clean.used.wakeUps,
                static_cast<double>(clean.used.wakeUps) / wall);
    std::printf("(c) readings: %d, %.2f per second (instrument: 10); lines lost %d, ticks without "
                "a new reading %d, two readings at one run time %d, silences %d, rejected %lld\n",
                clean.readings, clean.readings / wall, clean.linesLost, clean.emptyTicks,
                clean.sameRunTime, clean.silences, static_cast<long long>(clean.rejected));

    Recording cut;
    if (!record(simulator, QStringLiteral("partial"), seconds, budget, cut)) {
        std::printf("(e) skipped: the simulator did not come up\n");
        return;
    }
    std::printf("(e) with lines cut short (--fault partial), %.2f s: %d readings, %.2f per "
                "second; rejected lines %lld; readings holding values never sent %d; lines lost "
                "%d; %.5f CPU s per wall s, %.1f wake-ups per second\n",
                cut.wallSeconds, cut.readings, cut.readings / cut.wallSeconds,
                static_cast<long long>(cut.rejected), cut.neverSent, cut.linesLost,
                cut.used.cpuSeconds / cut.wallSeconds,
                static_cast<double>(cut.used.wakeUps) / cut.wallSeconds);
}

// A port that never sends: how long the reader takes to call it silent, and what waiting
// for that costs.
void benchSilentPort(const QString& folder, std::chrono::milliseconds budget)
{
    QtSerialLink closed(folder); // never opened: nothing arrives
    SystemClock clock;
    LoggerReader reader(closed, clock);
    QEventLoop loop;
    bool silent = false;
    QObject::connect(&reader, &LoggerReader::silent, &loop, [&] {
        silent = true;
        loop.quit();
    });
    QTimer::singleShot(budget * 2 + std::chrono::seconds(1), &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    wall.start();
    const Usage before = processUsage();
    reader.start(true, kRecorderChannels, budget);
    loop.exec();
    const Usage after = processUsage();
    std::printf("(f) silent port: %s after %.2f s (budget %.2f s), %.4f CPU s, %ld wake-ups\n",
                silent ? "reported silent" : "never reported",
                static_cast<double>(wall.nsecsElapsed()) * 1e-9,
                static_cast<double>(budget.count()) / 1000.0, after.cpuSeconds - before.cpuSeconds,
                after.wakeUps - before.wakeUps);
}

void benchDecoder()
{
    std::vector<QString> frames;
    std::vector<QString> lines;
    for (int k = 0; k < 64; ++k) {
        frames.push_back(QStringLiteral("%1,%2,%3,%4,%5")
                             .arg(k)
                             .arg(500.0 + k * 1.7, 0, 'f', 1)
                             .arg(480.0 - k * 0.3, 0, 'f', 1)
                             .arg(455.1 + k, 0, 'f', 1)
                             .arg(63.2 + k * 0.1, 0, 'f', 1));
        lines.push_back(QStringLiteral("%1   %2   %3   %4   %5")
                            .arg(k * 0.1 + 0.1, 0, 'f', 1)
                            .arg(932 + k)
                            .arg(896 - k)
                            .arg(851 + k)
                            .arg(146));
    }
    constexpr int kRounds = 2'000'000;

    const auto decode = [&](qint16 degC, const char* what) {
        QElapsedTimer t;
        t.start();
        double checksum = 0;
        for (int i = 0; i < kRounds; ++i) {
            const QString& frame = frames[static_cast<std::size_t>(i) % frames.size()];
            checksum += FrameReadings(frame, 4, degC == 1)[3];
        }
        const double s = static_cast<double>(t.nsecsElapsed()) * 1e-9;
        std::printf("(d) FrameReadings, %s: %.0f per second (target >= 1,000,000) "
                    "[checksum %.1f]\n",
                    what, kRounds / s, checksum);
    };
    decode(0, "instrument frames in F");
    decode(1, "instrument frames in C");

    QElapsedTimer t;
    t.start();
    double checksum = 0;
    for (int i = 0; i < kRounds; ++i)
        checksum += ParseSampleLine(lines[static_cast<std::size_t>(i) % lines.size()])->values[3];
    const double s = static_cast<double>(t.nsecsElapsed()) * 1e-9;
    std::printf("(d) ParseSampleLine, stored run lines: %.0f per second (target >= 1,000,000) "
                "[checksum %.1f]\n",
                kRounds / s, checksum);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 5.0;
    QString simulator = qEnvironmentVariable("TR_SIMULATOR");
    if (simulator.isEmpty())
        simulator = QStringLiteral(TR_DEFAULT_SIMULATOR);

    QTemporaryDir scratch;
    if (!prepareFolder(scratch)) {
        std::fprintf(stderr, "no scratch folder\n");
        return 1;
    }
    QElapsedTimer t;
    t.start();
    const std::chrono::milliseconds budget = measureBudget();
    std::printf("start-up measurement: the logger may stay silent %.2f s; took %.2f s\n",
                static_cast<double>(budget.count()) / 1000.0,
                static_cast<double>(t.nsecsElapsed()) * 1e-9);

    benchRecording(simulator, seconds > 0 ? seconds : 5.0, budget);
    benchDecoder();
    benchSilentPort(scratch.path(), budget);
    return 0;
}
