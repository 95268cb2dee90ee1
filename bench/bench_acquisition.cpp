// bench-acquisition: what recording from a 10 Hz instrument costs while the frame reader waits
// (CPU time, wake-ups), how many readings per second it takes and whether any is lost or
// damaged, also with lines cut short on the wire; how many lines per second the decoder
// splits; and how long a silent port takes to be reported.
// Usage: bench-acquisition [seconds-of-recording]   (simulator: $TR_SIMULATOR or the built one)

#include "decoder.h"
#include "framereader.h"
#include "portcommands.h"
#include "portpath.h"
#include "qtseriallink.h"
#include "seams.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace
{

constexpr std::chrono::milliseconds kTick{100}; // the recording loop's timer
constexpr int kChannels = 4;
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

// The readings the simulator sends, one line each, every one different. Returns the index of
// each line's temperature fields (all but the counter), by which a stored frame is traced back
// to the line it came from.
QHash<QString, int> writeFramesFile(const QString& path)
{
    QHash<QString, int> sent;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return sent;
    for (int k = 0; k < kFileFrames; ++k) {
        const QString temperatures = QStringLiteral("%1,%2,%3,%4")
                                         .arg(400.0 + k * 0.1, 0, 'f', 1)
                                         .arg(900.0 - k * 0.1, 0, 'f', 1)
                                         .arg(455.0 + (k % 97), 0, 'f', 1)
                                         .arg(63.2, 0, 'f', 1);
        sent.insert(temperatures, k);
        file.write(QStringLiteral("%1,%2\n").arg(k).arg(temperatures).toLatin1());
    }
    return sent;
}

PollBudget measureBudget(const QString& folder)
{
    QtSerialLink closed(folder);
    SystemClock clock;
    QString buffer, text;
    return MeasurePollBudget(clock, closed, buffer, text, kLineBreak, YieldWaiting);
}

struct Recording {
    double wallSeconds = 0;
    Usage used;
    int readings = 0;
    int gaveUp = 0;
    qint64 rejected = 0;
    qint64 droppedByBacklog = 0;
    int linesLost = 0;      // lines sent but never taken, from the gaps between stored lines
    int misshapen = 0;      // stored frames that fail the shape check
    int neverSent = 0;      // stored frames whose readings no sent line holds
    bool startFound = true; // Start's read found a frame
};

// Start (open, new session, one frame to prove data arrive), then a 100 ms tick that takes one
// frame per tick, as the recording loop does, for `seconds`.
bool record(const QString& simulator, const QString& fault, double seconds,
            std::chrono::milliseconds budget, Recording& out)
{
    QTemporaryDir dir;
    if (!prepareFolder(dir))
        return false;
    const QString framesPath = dir.filePath(QStringLiteral("frames.txt"));
    const QHash<QString, int> sent = writeFramesFile(framesPath);
    QProcess sim;
    sim.start(simulator, {"--folder", dir.path(), "--port", "1", "--rate", "10", "--frames",
                          framesPath, "--fault", fault});
    if (sent.isEmpty() || !sim.waitForStarted(5000) || !sim.waitForReadyRead(10000))
        return false;

    QtSerialLink link(dir.path());
    qint16 comPort = 1;
    OpenLoggerPort(link, comPort);
    FrameAssembler assembler;
    assembler.reset();
    qint16 notSampling = 0;
    QString frameText;
    int lastLine = -1;

    const auto store = [&](const QString& frame) {
        ++out.readings;
        if (!IsInstrumentFrame(frame, kChannels))
            ++out.misshapen;
        const int line = sent.value(frame.section(QLatin1Char(','), 1), -1);
        if (line < 0) {
            ++out.neverSent;
            return;
        }
        if (lastLine >= 0 && line > lastLine + 1)
            out.linesLost += line - lastLine - 1;
        lastLine = line;
    };

    out.startFound = ReadFrame(link, assembler, budget, notSampling, frameText, kChannels,
                               out.rejected) == ReadFrameResult::Frame;
    if (out.startFound)
        store(frameText);

    QTimer tick;
    tick.setInterval(kTick);
    bool inTick = false;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        // A tick due while an earlier one still waits for its frame is dropped, not nested.
        if (inTick)
            return;
        inTick = true;
        if (ReadFrame(link, assembler, budget, notSampling, frameText, kChannels, out.rejected) ==
            ReadFrameResult::Frame)
            store(frameText);
        else
            ++out.gaveUp;
        inTick = false;
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
    out.droppedByBacklog = assembler.droppedFrames();

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
    std::printf("recording a 10 Hz instrument on a 100 ms tick for %.2f s%s:\n", wall,
                clean.startFound ? "" : " (Start's read found no frame)");
    std::printf("(a) CPU: %.4f s, %.5f CPU s per wall s (target <= 0.005)\n", clean.used.cpuSeconds,
                clean.used.cpuSeconds / wall);
    std::printf("(b) wake-ups: %ld, %.1f per second (target <= 30)\n", clean.used.wakeUps,
                static_cast<double>(clean.used.wakeUps) / wall);
    std::printf("(c) readings: %d, %.2f per second (instrument: 10); lines lost %d, dropped by "
                "the backlog limit %lld, give-ups %d, rejected %lld\n",
                clean.readings, clean.readings / wall, clean.linesLost,
                static_cast<long long>(clean.droppedByBacklog), clean.gaveUp,
                static_cast<long long>(clean.rejected));

    Recording cut;
    if (!record(simulator, QStringLiteral("partial"), seconds, budget, cut)) {
        std::printf("(e) skipped: the simulator did not come up\n");
        return;
    }
    std::printf("(e) with lines cut short (--fault partial), %.2f s: %d readings, %.2f per "
                "second; rejected frames %lld; stored frames failing the shape check %d, "
                "holding readings never sent %d; lines lost %d; %.5f CPU s per wall s, "
                "%.1f wake-ups per second\n",
                cut.wallSeconds, cut.readings, cut.readings / cut.wallSeconds,
                static_cast<long long>(cut.rejected), cut.misshapen, cut.neverSent, cut.linesLost,
                cut.used.cpuSeconds / cut.wallSeconds,
                static_cast<double>(cut.used.wakeUps) / cut.wallSeconds);
}

void benchSilentPort(const QString& folder, std::chrono::milliseconds budget)
{
    QtSerialLink closed(folder); // never opened: nothing arrives
    FrameAssembler assembler;
    qint16 notSampling = 0;
    qint64 rejected = 0;
    QString frameText;
    QElapsedTimer wall;
    wall.start();
    const Usage before = processUsage();
    const ReadFrameResult r =
        ReadFrame(closed, assembler, budget, notSampling, frameText, kChannels, rejected);
    const Usage after = processUsage();
    std::printf("(f) silent port: %s after %.2f s (budget %.2f s), %.4f CPU s, %ld wake-ups\n",
                r == ReadFrameResult::GaveUp ? "gave up" : "unexpected result",
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
    std::array<float, kMaxChannels> readings{};
    std::array<QString, kMaxChannels> texts;

    const auto run = [&](const std::vector<QString>& input, qint16 degC, const char* what) {
        constexpr int kRounds = 2'000'000;
        QElapsedTimer t;
        t.start();
        double checksum = 0;
        for (int i = 0; i < kRounds; ++i) {
            QString frame = input[static_cast<std::size_t>(i) % input.size()];
            DecodeFrame(frame, readings, 4, degC, texts);
            checksum += readings[3];
        }
        const double s = static_cast<double>(t.nsecsElapsed()) * 1e-9;
        std::printf("(d) DecodeFrame, %s: %.0f per second (target >= 1,000,000) "
                    "[checksum %.1f]\n",
                    what, kRounds / s, checksum);
    };
    run(frames, 0, "instrument frames in F");
    run(frames, 1, "instrument frames in C");
    run(lines, 0, "stored run lines");
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
    const PollBudget budget = measureBudget(scratch.path());
    std::printf("start-up measurement: pollPasses %d, a read waits at most %.2f s; took %.2f s\n",
                budget.pollPasses, static_cast<double>(budget.timeBudget.count()) / 1000.0,
                static_cast<double>(t.nsecsElapsed()) * 1e-9);

    benchRecording(simulator, seconds > 0 ? seconds : 5.0, budget.timeBudget);
    benchDecoder();
    benchSilentPort(scratch.path(), budget.timeBudget);
    return 0;
}
