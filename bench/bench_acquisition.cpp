// bench-acquisition: what the frame reader costs while it waits, how long a silent port takes
// to be reported, and how many lines per second the decoder splits.
// Usage: bench-acquisition [seconds-of-reading]   (simulator: $TR_SIMULATOR or the built one)

#include "decoder.h"
#include "framereader.h"
#include "portcommands.h"
#include "portpath.h"
#include "qtseriallink.h"
#include "seams.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <vector>

namespace
{

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
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

qint32 measureBudget(const QString& folder)
{
    QtSerialLink closed(folder);
    SystemClock clock;
    QString buffer, text;
    return MeasurePollBudget(clock, closed, buffer, text, kLineBreak, YieldWaiting);
}

void benchWaitingCpu(const QString& simulator, double seconds, qint32 pollLimit)
{
    QTemporaryDir dir;
    if (!prepareFolder(dir)) {
        std::printf("(a) skipped: no scratch folder\n");
        return;
    }
    QProcess sim;
    sim.start(simulator, {"--folder", dir.path(), "--port", "1", "--rate", "10"});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(10000)) {
        std::printf("(a) skipped: the simulator %s did not come up\n", qPrintable(simulator));
        return;
    }
    QtSerialLink link(dir.path());
    qint16 comPort = 1;
    StartComm(link, comPort);

    int frames = 0, failures = 0;
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = processCpuSeconds();
    while (wall.elapsed() < seconds * 1000.0) {
        qint16 stopFlag = 0;
        QString commText, commBuffer;
        if (ReadComm(link, pollLimit, stopFlag, commText, commBuffer, YieldWaiting, YieldNow) ==
            ReadCommResult::Frame)
            ++frames;
        else
            ++failures;
    }
    const double cpu = processCpuSeconds() - cpu0;
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
    sim.terminate();
    sim.waitForFinished(3000);

    std::printf("(a) ReadComm waiting on a 10 Hz instrument: %.2f s wall, %.4f s CPU, "
                "%.4f CPU s per wall s (target < 0.02); %d frames, %d give-ups\n",
                elapsed, cpu, cpu / elapsed, frames, failures);
}

void benchSilentPort(const QString& folder, qint32 pollLimit)
{
    QtSerialLink closed(folder); // never opened: nothing arrives
    qint16 stopFlag = 0;
    QString commText, commBuffer;
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = processCpuSeconds();
    const ReadCommResult r =
        ReadComm(closed, pollLimit, stopFlag, commText, commBuffer, YieldWaiting, YieldNow);
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
    std::printf("(c) silent port: %s after %.2f s (%.4f CPU s) with PollLimit %d\n",
                r == ReadCommResult::GaveUp ? "gave up" : "unexpected result", elapsed,
                processCpuSeconds() - cpu0, pollLimit);
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
            QString kxx = input[static_cast<std::size_t>(i) % input.size()];
            BreakoutTempData(kxx, readings, 4, degC, texts);
            checksum += readings[3];
        }
        const double s = static_cast<double>(t.nsecsElapsed()) * 1e-9;
        std::printf("(b) BreakoutTempData, %s: %.0f per second (target >= 1,000,000) "
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
    const qint32 pollLimit = measureBudget(scratch.path());
    std::printf("start-up measurement: PollLimit %d in %.2f s\n", pollLimit,
                static_cast<double>(t.nsecsElapsed()) * 1e-9);

    benchWaitingCpu(simulator, seconds > 0 ? seconds : 5.0, pollLimit);
    benchDecoder();
    benchSilentPort(scratch.path(), pollLimit);
    return 0;
}
