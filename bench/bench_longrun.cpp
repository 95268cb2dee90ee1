// bench-longrun: what a whole day of recording costs the main window. Builds the real window
// with scripted dialogs, a hand-set clock and a scripted serial port, shows it (offscreen) and
// prints:
//  - start-up: construction, load and show up to the first finished paint, and when the
//    measurement of the silence budget ran (real clocks here, as in the program);
//  - recording: UI-thread time per sample (the tick plus the repaint it causes) in windows of
//    1,000 samples from row 100 to row 800,000, and the process's memory, for a run of H hours
//    at ten samples a second; the first window's rows are measured once more in a new run
//    afterwards, which tells a cost that grows with the rows from a machine that got busier;
//  - Save As of a 45,000-line run, during the recording and after an Open;
//  - Open of 45,000- and 864,000-line data files up to the finished list and chart, and the
//    longest time the event loop went without a turn meanwhile.
// Figures are printed next to the targets they are meant to meet; nothing is asserted. Wall
// times follow the load of the machine; under valgrind --tool=callgrind --instr-atstart=no
// every recording window becomes a dump of its own, with instruction counts that do not.
//
// Usage: bench-longrun [--hours H] [--rows R1,R2,...] [--only startup|record|files]
//   (QT_QPA_PLATFORM=offscreen unless set otherwise)

#include "longrun.h"
#include "readinglistview.h"
#include "sectionbox.h"
#include "windowcontrols.h"

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QObject>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace
{

constexpr int kSamplesPerHour = 36000; // ten a second
constexpr int kWindowSamples = 1000;
const std::vector<int> kWindowRows{100, 10000, 100000, 400000, 800000};
constexpr int kSaveAsRows = 45000;
constexpr int kShortFileRows = 45000;
constexpr int kDayFileRows = 864000;

// Targets the figures are printed against.
constexpr double kTargetSampleMs = 1.0;
constexpr double kTargetFlatness = 0.20;
constexpr double kTargetRssMb = 150.0;
constexpr double kTargetSaveAsS = 0.2;
constexpr double kTargetOpenShortS = 1.0;
constexpr double kTargetOpenDayS = 15.0;
constexpr double kTargetStartupS = 0.3;

// ---------------------------------------------------------------- start-up

// Notes when the first paint of the window is complete: the window's first expose or update
// request that painted anything is handled here, so the time after it is the paint's end.
class FirstPaintWatch : public QObject
{
public:
    FirstPaintWatch(const PaintCounter& paints, QElapsedTimer& clock)
        : paints_(paints), clock_(clock)
    {
    }
    qint64 doneNs = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (doneNs >= 0 || !watched->isWindowType() ||
            (event->type() != QEvent::Expose && event->type() != QEvent::UpdateRequest))
            return false;
        watched->event(event);
        if (paints_.paints > 0)
            doneNs = clock_.nsecsElapsed();
        return true;
    }

private:
    const PaintCounter& paints_;
    QElapsedTimer& clock_;
};

struct Startup {
    double firstPaintDoneS = -1;
    double measureStartS = -1;
    double measureEndS = -1;
    bool exposedAtMeasureStart = false;
    int clockReads = 0;
    int readsBeforePaint = 0;
    bool painted = false;
};

// The real clock, noting when the measurement of the silence budget looks at it: its first and
// its last look are the measurement's start and end.
class WatchedClock final : public Clock
{
public:
    std::function<void()> onRead;
    float secondsSinceMidnight() override { return real_.secondsSinceMidnight(); }
    QDateTime now() override
    {
        if (onRead)
            onRead();
        return real_.now();
    }

private:
    SystemClock real_;
};

// The window as the program starts it: built, loaded, shown, and the measurement of the silence
// budget started behind the showing, with the real clocks.
Startup measureStartup()
{
    Startup out;
    Rig r;
    WatchedClock clock;
    r.clockInstead = &clock;
    QElapsedTimer t;
    bool afterShown = false;
    // Only the looks from afterShown on belong to the measurement.
    clock.onRead = [&] {
        if (!afterShown)
            return;
        if (out.clockReads++ == 0) {
            out.measureStartS = t.nsecsElapsed() * 1e-9;
            out.exposedAtMeasureStart = r.exposed();
        }
        out.measureEndS = t.nsecsElapsed() * 1e-9;
    };
    PaintCounter paints;
    FirstPaintWatch watch(paints, t);
    paints.onFirstPaint = [&] { out.readsBeforePaint = out.clockReads; };
    qApp->installEventFilter(&watch);

    t.start();
    r.build();
    // Every widget of the window: the first paint of any of them is the window's first.
    r.w->installEventFilter(&paints);
    for (QWidget* child : r.w->findChildren<QWidget*>())
        child->installEventFilter(&paints);
    r.w->load();
    r.w->show();
    const std::chrono::milliseconds unmeasured = r.w->silenceBudget();
    QTimer::singleShot(0, r.w.get(), [&] {
        afterShown = true;
        r.w->afterShown();
    });
    // The measurement has ended when the budget changes, or when the clock has not been looked
    // at for a while (a measured budget may equal the one it replaces).
    const auto measured = [&] {
        return out.clockReads > 0 &&
               (r.w->silenceBudget() != unmeasured || t.nsecsElapsed() * 1e-9 - out.measureEndS > 0.5);
    };
    while ((watch.doneNs < 0 || !measured()) && t.elapsed() < 10000)
        QCoreApplication::processEvents();

    out.painted = watch.doneNs >= 0;
    out.firstPaintDoneS = watch.doneNs * 1e-9;
    qApp->removeEventFilter(&watch);
    for (QWidget* child : r.w->findChildren<QWidget*>())
        child->removeEventFilter(&paints);
    r.w->removeEventFilter(&paints);
    return out;
}

// ---------------------------------------------------------------- recording

// One instrument line, values drifting slowly as an engine warms up and settles.
QByteArray instrumentLine(qint64 k)
{
    const double t = static_cast<double>(k) * 0.1;
    char buf[96];
    std::snprintf(buf, sizeof buf, "%lld,%.1f,%.1f,%.1f,%.1f\r\n",
                  static_cast<long long>(k % 100000), 450.3 + 25.0 * std::sin(t / 600.0),
                  461.2 + 20.0 * std::sin(t / 450.0 + 1.0), 472.9 + 15.0 * std::cos(t / 800.0),
                  483.0 + 10.0 * std::sin(t / 300.0 + 2.0));
    return QByteArray(buf);
}

struct Window {
    int firstRow = 0;
    const char* label = "";
    int samples = 0;
    double wallS = 0;
    double cpuS = 0;
    double maxWallS = 0;
    int maxRow = 0;
    std::vector<double> wallEach; // every sample's wall time, for the median
    double rssMb = 0;
    int listPaints = 0;
    int chartPaints = 0;
    bool listScrollsSideways = false; // the longest line is wider than the list
};

// The damaged lines the status line reports for the run; 0 when it reports none.
qint64 damagedLinesShown(const MainWindow& w)
{
    const WindowControls c(w);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("\\((\\d+) damaged line")).match(c.statusLine->text());
    return m.hasMatch() ? m.captured(1).toLongLong() : 0;
}

struct Recording {
    int samples = 0;
    qsizetype rowsStored = 0;
    double totalWallS = 0;
    double totalCpuS = 0;
    double maxWallS = 0;
    qint64 maxRow = 0;
    int over1ms = 0;
    int over10ms = 0;
    std::vector<Window> windows;
    Window again; // the first window's rows once more, in a new run after the long one
    double rssBeforeMb = 0;
    double rssEndMb = 0;
    double hwmEndMb = 0;
    size_t messages = 0;
    double saveAsS = -1;
    qint64 saveAsBytes = 0;
    int saveAsRows = 0;
    qint64 rejected = 0;
};

Recording record(int samples, const std::vector<int>& windowRows)
{
    Recording out;
    out.samples = samples;
    Rig r;
    r.ready();
    MainWindow& w = *r.w;
    const WindowControls c(w);
    out.rssBeforeMb = rssMb();

    PaintCounter listPaints, chartPaints;
    c.readingList->viewport()->installEventFilter(&listPaints);
    for (SectionBox* box : c.chartSections)
        box->installEventFilter(&chartPaints);

    // The measured windows, in row order; the last 1,000 samples make one more.
    for (const int first : windowRows)
        if (first + kWindowSamples <= samples &&
            (out.windows.empty() || out.windows.back().firstRow + kWindowSamples <= first))
            out.windows.emplace_back().firstRow = first;
    if (samples >= 2 * kWindowSamples &&
        (out.windows.empty() ||
         out.windows.back().firstRow + kWindowSamples < samples - kWindowSamples)) {
        Window& last = out.windows.emplace_back();
        last.firstRow = samples - kWindowSamples;
        last.label = "last";
    }

    const double startClock = r.clock.seconds;
    w.onRecordButton(MainWindow::StartButton);
    // Ticks are driven by hand, one per sample, so that none arrives while the port is empty.
    c.sampleTimer->stop();
    // The first line proves that data arrive; the text before the first CR LF of a freshly
    // opened port is never taken, hence the leading line end.
    r.port.feed(QByteArray("\r\n") + instrumentLine(0));
    w.onSampleTick(); // sets the chart up
    QCoreApplication::processEvents();

    // One sample: the clock moves on by a tenth of a second, the instrument's line arrives and
    // is stamped, the tick takes it and the window repaints. Returns the wall and CPU seconds of
    // the window's part.
    QElapsedTimer wall;
    const auto sample = [&](qint64 k) {
        r.clock.seconds = static_cast<float>(startClock + 0.1 * static_cast<double>(k));
        const double cpu0 = ThreadCpuSeconds();
        wall.start();
        r.port.feed(instrumentLine(k));
        w.onSampleTick();
        QCoreApplication::processEvents();
        const double took = wall.nsecsElapsed() * 1e-9;
        return std::make_pair(took, ThreadCpuSeconds() - cpu0);
    };

    size_t nextWindow = 0;
    Window* current = nullptr;
    for (int k = 1; k <= samples; ++k) {
        const int row = static_cast<int>(w.run().size()); // rows before this sample
        if (!current && nextWindow < out.windows.size() &&
            row == out.windows[nextWindow].firstRow) {
            current = &out.windows[nextWindow];
            listPaints.paints = 0;
            chartPaints.paints = 0;
            profileWindowBegins();
        }
        const auto [took, cpu] = sample(k);

        out.totalWallS += took;
        out.totalCpuS += cpu;
        if (took > out.maxWallS) {
            out.maxWallS = took;
            out.maxRow = row;
        }
        out.over1ms += took > 1e-3;
        out.over10ms += took > 10e-3;
        if (current) {
            current->wallS += took;
            current->cpuS += cpu;
            current->wallEach.push_back(took);
            if (took > current->maxWallS) {
                current->maxWallS = took;
                current->maxRow = row;
            }
            if (++current->samples == kWindowSamples) {
                profileWindowEnds(current->firstRow);
                current->rssMb = rssMb();
                current->listPaints = listPaints.paints;
                current->chartPaints = chartPaints.paints;
                current->listScrollsSideways = c.readingList->horizontalScrollBar()->isVisible();
                current = nullptr;
                ++nextWindow;
            }
        }

        // Saving while the run goes on, as a user who wants the first part safe does.
        if (w.run().size() == kSaveAsRows && out.saveAsS < 0) {
            const QString path = r.dir.filePath(QStringLiteral("Recorded45000.zrb"));
            out.saveAsS = r.timedSaveAs(path);
            out.saveAsBytes = fileSize(path);
            out.saveAsRows = static_cast<int>(w.run().size());
        }
        if (k % 100000 == 0)
            std::fprintf(stderr, "  ... %d samples, %.1f s so far\n", k, out.totalWallS);
    }
    out.rowsStored = w.run().size();
    out.rssEndMb = rssMb();
    out.hwmEndMb = statusMb("VmHWM");
    out.messages = r.prompts.messages.size();
    out.rejected = damagedLinesShown(w);
    w.onRecordButton(MainWindow::StopButton);
    QCoreApplication::processEvents();

    // The same first rows again, in a new run of the same window after the long one. When these
    // are as slow as the late windows, the machine or the heap got slower, not the rows.
    if (!out.windows.empty() && out.windows.front().firstRow + kWindowSamples <= samples) {
        Window& again = out.again;
        again.firstRow = out.windows.front().firstRow;
        again.label = "again";
        r.prompts.messageAnswers.push_back(MsgAnswer::No); // "Save this recorded data?"
        qint64 k = samples + 1;
        r.clock.seconds = static_cast<float>(startClock + 0.1 * static_cast<double>(k));
        w.onRecordButton(MainWindow::StartButton);
        c.sampleTimer->stop();
        r.port.feed(QByteArray("\r\n") + instrumentLine(k));
        w.onSampleTick();
        QCoreApplication::processEvents();
        listPaints.paints = 0;
        chartPaints.paints = 0;
        while (w.run().size() < again.firstRow + kWindowSamples) {
            const bool measured = w.run().size() >= again.firstRow;
            const auto [took, cpu] = sample(++k);
            if (!measured)
                continue;
            again.wallS += took;
            again.cpuS += cpu;
            again.wallEach.push_back(took);
            again.maxWallS = std::max(again.maxWallS, took);
            ++again.samples;
            if (again.samples == 1) {
                listPaints.paints = 0;
                chartPaints.paints = 0;
            }
        }
        again.rssMb = rssMb();
        again.listPaints = listPaints.paints;
        again.chartPaints = chartPaints.paints;
        again.listScrollsSideways = c.readingList->horizontalScrollBar()->isVisible();
        w.onRecordButton(MainWindow::StopButton);
        QCoreApplication::processEvents();
    }

    c.readingList->viewport()->removeEventFilter(&listPaints);
    for (SectionBox* box : c.chartSections)
        box->removeEventFilter(&chartPaints);
    return out;
}

} // namespace

int main(int argc, char* argv[])
{
    double hours = 24;
    std::vector<int> windowRows = kWindowRows;
    QString only;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hours") == 0 && i + 1 < argc) {
            hours = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--rows") == 0 && i + 1 < argc) {
            windowRows.clear();
            for (const QString& row : QString::fromLatin1(argv[++i]).split(QLatin1Char(',')))
                windowRows.push_back(row.toInt());
            std::sort(windowRows.begin(), windowRows.end());
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = QString::fromLatin1(argv[++i]);
        } else {
            std::fprintf(stderr,
                         "usage: %s [--hours H] [--rows R1,R2,...] [--only startup|record|files]\n"
                         "  --hours  length of the recording (default 24)\n"
                         "  --rows   first rows of the 1,000-sample windows measured\n"
                         "           (default 100,10000,100000,400000,800000)\n"
                         "  --only   run one part, e.g. under a profiler\n",
                         argv[0]);
            return 2;
        }
    }
    if (!(hours > 0)) {
        std::fprintf(stderr, "--hours must be positive\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QElapsedTimer appTimer;
    appTimer.start();
    QApplication app(argc, argv);
    const double appS = appTimer.nsecsElapsed() * 1e-9;
    const int samples = static_cast<int>(std::lround(hours * kSamplesPerHour));

    std::printf("bench-longrun: %s platform, %.2f h of recording (%d samples)\n\n",
                qPrintable(QGuiApplication::platformName()), hours, samples);

    const bool all = only.isEmpty();
    // ---- start-up first, while nothing is warm yet
    if (all || only == QLatin1String("startup")) {
        const Startup st = measureStartup();
        const bool measuredFirst =
            st.measureStartS >= 0 && (!st.painted || st.measureStartS < st.firstPaintDoneS);
        const char* paintWhen = !st.painted                             ? "never"
                                : st.firstPaintDoneS < st.measureStartS ? "before it"
                                : st.measureEndS >= 0 && st.firstPaintDoneS > st.measureEndS
                                    ? "after it"
                                    : "during it (between its looks at the clock)";
        std::printf("START-UP (real clocks)                           figure        target\n");
        std::printf("  QApplication constructed (not counted)         %8.1f ms\n", ms(appS));
        std::printf("  window built + load + show -> first paint %8.1f ms    <= %.0f ms  %s\n",
                    ms(st.firstPaintDoneS), ms(kTargetStartupS),
                    verdict(st.painted && st.firstPaintDoneS <= kTargetStartupS));
        std::printf("  silence-budget measurement (afterShown) began  %8.1f ms\n",
                    ms(st.measureStartS));
        std::printf("  ... and ended                                  %8.1f ms    (%d looks)\n",
                    ms(st.measureEndS), st.clockReads);
        std::printf("  measurement began before the first paint       %8s       no          %s\n",
                    measuredFirst ? "yes" : "no", verdict(!measuredFirst));
        std::printf("  window exposed when the measurement began      %8s       yes         %s\n",
                    st.exposedAtMeasureStart ? "yes" : "no", verdict(st.exposedAtMeasureStart));
        std::printf("  first paint, relative to the measurement       %s (%d looks before it)\n\n",
                    paintWhen, st.readsBeforePaint);
        std::fflush(stdout);
    }

    // ---- the long recording
    Recording rec;
    if (all || only == QLatin1String("record")) {
        std::fprintf(stderr, "recording %d samples...\n", samples);
        rec = record(samples, windowRows);
        std::printf(
            "RECORDING (one sample = line fed + onSampleTick + processEvents; 1,000 samples a window)\n");
        std::printf("  %-8s %8s %8s %8s %8s %8s %8s %8s %7s %6s %6s %5s\n", "rows", "wall", "wall",
                    "cpu", "max", "wall", "wall", "cpu", "RSS MB", "list", "chart", "list");
        std::printf("  %-8s %8s %8s %8s %8s %8s %8s %8s %7s %6s %6s %5s\n", "", "mean ms", "median",
                    "mean ms", "1 smp", "mean vs", "median", "mean vs", "at end", "paints",
                    "paints", "h-bar");
        std::printf("  %-8s %8s %8s %8s %8s %8s %8s %8s %7s %6s %6s %5s\n", "", "", "ms", "", "ms",
                    "first", "vs first", "first", "", "", "", "");
        std::vector<const Window*> shown;
        for (const Window& win : rec.windows)
            shown.push_back(&win);
        if (rec.again.samples > 0)
            shown.push_back(&rec.again);
        const auto meanWall = [](const Window& win) {
            return win.wallS / std::max(1, win.samples);
        };
        const auto meanCpu = [](const Window& win) { return win.cpuS / std::max(1, win.samples); };
        const auto change = [](double value, double base) {
            return base > 0 ? value / base - 1 : 0;
        };
        const Window* first = rec.windows.empty() ? nullptr : &rec.windows.front();
        const double baseWall = first ? meanWall(*first) : 0;
        const double baseMedian = first ? median(first->wallEach) : 0;
        const double baseCpu = first ? meanCpu(*first) : 0;
        double worstWall = 0, worstCpu = 0;
        double driftWall = 0, driftMedian = 0, driftCpu = 0;
        for (const Window* each : shown) {
            const Window& win = *each;
            const bool control = std::strcmp(win.label, "again") == 0;
            const double wallMean = meanWall(win);
            const double wallMedian = median(win.wallEach);
            const double cpuMean = meanCpu(win);
            if (!control) {
                worstWall = std::max(worstWall, wallMean);
                worstCpu = std::max(worstCpu, cpuMean);
            }
            // The target's span is row 100 to row 800,000: the extra windows are shown only.
            if (win.label[0] == '\0') {
                driftWall = std::max(driftWall, std::fabs(change(wallMean, baseWall)));
                driftMedian = std::max(driftMedian, std::fabs(change(wallMedian, baseMedian)));
                driftCpu = std::max(driftCpu, std::fabs(change(cpuMean, baseCpu)));
            }
            char rowText[32];
            std::snprintf(rowText, sizeof rowText, "%d%s", win.firstRow,
                          control        ? "**"
                          : win.label[0] ? "*"
                                         : "");
            std::printf(
                "  %-8s %8.3f %8.3f %8.3f %8.2f %+7.0f%% %+7.0f%% %+7.0f%% %7.1f %6d %6d %5s\n",
                rowText, ms(wallMean), ms(wallMedian), ms(cpuMean), ms(win.maxWallS),
                change(wallMean, baseWall) * 100, change(wallMedian, baseMedian) * 100,
                change(cpuMean, baseCpu) * 100, win.rssMb, win.listPaints, win.chartPaints,
                win.listScrollsSideways ? "yes" : "no");
        }
        if (!rec.windows.empty() && std::strcmp(rec.windows.back().label, "last") == 0)
            std::printf("  (* the last 1,000 samples of the run)\n");
        if (rec.again.samples > 0)
            std::printf(
                "  (** the first window's rows again, in a new run of the same window after "
                "the long one)\n");
        std::printf("  whole run: %d samples, %lld rows stored, %.1f s wall, %.3f ms/sample wall, "
                    "%.3f ms/sample cpu\n",
                    rec.samples, static_cast<long long>(rec.rowsStored), rec.totalWallS,
                    ms(rec.totalWallS / std::max(1, rec.samples)),
                    ms(rec.totalCpuS / std::max(1, rec.samples)));
        std::printf("  slowest sample %.2f ms at row %lld; samples over 1 ms: %d, over 10 ms: %d\n",
                    ms(rec.maxWallS), static_cast<long long>(rec.maxRow), rec.over1ms,
                    rec.over10ms);
        std::printf("  messages shown: %zu, damaged lines: %lld\n", rec.messages,
                    static_cast<long long>(rec.rejected));
        std::printf("                                                 figure        target\n");
        std::printf(
            "  per sample, worst window, wall mean            %8.3f ms    <= %.0f ms    %s\n",
            ms(worstWall), kTargetSampleMs, verdict(ms(worstWall) <= kTargetSampleMs));
        std::printf(
            "  per sample, worst window, cpu mean             %8.3f ms    <= %.0f ms    %s\n",
            ms(worstCpu), kTargetSampleMs, verdict(ms(worstCpu) <= kTargetSampleMs));
        const auto flat = [](const char* what, double drift) {
            std::printf("  %-46s %+7.0f%%      within %.0f%%  %s\n", what, drift * 100,
                        kTargetFlatness * 100, verdict(drift <= kTargetFlatness));
        };
        flat("largest change from the first window, wall mean", driftWall);
        flat("  ... wall median", driftMedian);
        flat("  ... cpu mean", driftCpu);
        std::printf("  RSS before Start                               %8.1f MB\n", rec.rssBeforeMb);
        std::printf("  RSS after %d samples (%.2f h)             %8.1f MB    < %.0f MB    %s\n",
                    rec.samples, rec.samples / double(kSamplesPerHour), rec.rssEndMb, kTargetRssMb,
                    verdict(rec.rssEndMb < kTargetRssMb));
        std::printf("  peak RSS so far (VmHWM)                        %8.1f MB\n\n", rec.hwmEndMb);
        std::fflush(stdout);
    }

    // ---- data files
    if (all || only == QLatin1String("files")) {
        QTemporaryDir files;
        const QString shortPath = files.filePath(QStringLiteral("short.zrb"));
        const QString dayPath = files.filePath(QStringLiteral("day.zrb"));
        qint16 unit = 0, channels = 4;
        {
            Rig probe; // the unit and channel count a window starts with, so no unit switch is
                       // asked
            probe.build();
            probe.w->load();
            unit = probe.state.settings.degreesCelsius;
            channels = probe.state.derived.channelCount;
        }
        if (!writeDataFile(shortPath, kShortFileRows, unit, channels) ||
            !writeDataFile(dayPath, kDayFileRows, unit, channels)) {
            std::printf("could not write the data files in %s\n", qPrintable(files.path()));
            return 1;
        }

        std::fprintf(stderr, "opening data files...\n");
        std::vector<Open> opens;
        opens.push_back(openFile(shortPath, kShortFileRows, 1500, true));
        opens.push_back(openFile(shortPath, kShortFileRows, 15, false));
        opens.push_back(openFile(dayPath, kDayFileRows, 1500, false));
        opens.push_back(openFile(dayPath, kDayFileRows, 15, false));

        std::printf("SAVE AS                                          figure        target\n");
        if (!all)
            std::printf("  during the recording: not run\n");
        else if (rec.saveAsS >= 0)
            std::printf("  during the recording, at %d rows             %8.1f ms    <= %.0f ms  %s"
                        "   (%lld bytes)\n",
                        rec.saveAsRows, ms(rec.saveAsS), ms(kTargetSaveAsS),
                        verdict(rec.saveAsS <= kTargetSaveAsS),
                        static_cast<long long>(rec.saveAsBytes));
        else
            std::printf("  during the recording: not reached (run shorter than %d rows)\n",
                        kSaveAsRows);
        std::printf("  an opened %d-line run                       %8.1f ms    <= %.0f ms  %s"
                    "   (%lld bytes)\n\n",
                    kShortFileRows, ms(opens[0].saveAsS), ms(kTargetSaveAsS),
                    verdict(opens[0].saveAsS >= 0 && opens[0].saveAsS <= kTargetSaveAsS),
                    static_cast<long long>(opens[0].saveAsBytes));

        std::printf("OPEN + REPLAY (onOpen from the chosen file to list and chart done)\n");
        std::printf("  %-8s %8s %9s %8s %8s %12s %11s %11s %8s\n", "lines", "section", "time s",
                    "target", "verdict", "longest gap", "gap began", "later gaps", "RSS MB");
        for (const Open& o : opens) {
            const double target = o.rows <= kShortFileRows ? kTargetOpenShortS : kTargetOpenDayS;
            const bool complete = o.rowsShown == o.rows;
            std::printf("  %-8d %6d s %9.3f %6.0f s %8s %9.1f ms %8.1f ms %8.1f ms %8.1f%s\n",
                        o.rows, o.sectionTime, o.openS, target,
                        verdict(complete && o.openS >= 0 && o.openS <= target), o.longestGapMs,
                        o.longestGapAtMs, o.longestLaterGapMs, o.rssMb, qPrintable(notes(o)));
        }
        std::printf("  (longest gap: longest time a 10 ms timer went without a turn of the event "
                    "loop;\n   gap began: how far into the Open it began; later gaps: the longest "
                    "once the loop\n   had turned for the first time)\n");
        const ReadSteps steps = timeReadSteps(dayPath);
        std::printf("  steps before the window draws, %lld lines, alone:\n"
                    "    ReadDataFile %.1f ms, the run model's whole open (read and parse) %.1f ms\n",
                    static_cast<long long>(steps.lines), ms(steps.readS), ms(steps.modelOpenS));
    }
    return 0;
}
