// bench-runchart: how long the run chart takes to redraw a run of 10,000 readings and a day-long
// one of 864,000 (ten a second for 24 hours), zoomed out to the whole run and in to a minute,
// in the real widget offscreen; what a new reading costs it while recording; and pictures of
// the day-long run zoomed out and in.
// Usage: bench-runchart [OUTPUT-FOLDER]   (pictures runchart-24h-whole.png and
//                                          runchart-24h-zoomed.png go there when given)

#include "fakeclock.h"
#include "runchartwindow.h"
#include "runmodel.h"
#include "scriptedprompts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace
{

// Where the logger falls silent, and for how long.
constexpr qsizetype kSilentFrom = 500000;
constexpr double kSilentSeconds = 180;

// The redraw budget of one frame at 60 Hz.
constexpr double kBudgetMs = 16.0;
constexpr int kRedraws = 15;

// A test-bed day: exhaust gas cycling through load steps, oil warming up and settling, coolant
// held by its thermostat, intake air following the room; a probe that fails for ten minutes and
// a logger silent for three.
RunSample engineSample(qsizetype n)
{
    RunSample s;
    const double t = n / 10.0 + (n >= kSilentFrom ? kSilentSeconds : 0);
    s.time = float(std::round(t * 10) / 10);
    const double load = 0.5 + 0.4 * std::sin(t / 900.0) + 0.1 * std::sin(t / 37.0);
    s.values[0] = float(std::round(950 + 600 * load + 8 * std::sin(t * 3.1)));
    s.values[1] = float(std::round(60 + 170 * (1 - std::exp(-t / 1800.0)) + 10 * load));
    s.values[2] = float(std::round(70 + 120 * (1 - std::exp(-t / 900.0))));
    s.values[3] = float(std::round(75 + 10 * std::sin(t / 43200.0 * M_PI)));
    if (t > 30000 && t < 30600)
        s.values[2] = kNoReading;
    return s;
}

struct Times {
    double median = 0;
    double worst = 0;
};

Times redraws(RunChartWidget& chart)
{
    QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> ms;
    for (int i = 0; i < kRedraws; ++i) {
        QElapsedTimer timer;
        timer.start();
        chart.render(&image);
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

bool report(const char* what, qsizetype samples, const Times& t)
{
    const bool ok = t.median <= kBudgetMs;
    std::printf("%-34s %7lld samples: redraw median %6.2f ms, worst %6.2f ms  %s\n", what,
                static_cast<long long>(samples), t.median, t.worst, ok ? "ok" : "OVER 16 ms");
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = app.arguments().value(1);
    QTemporaryDir folder;
    ScriptedPrompts prompts;
    FakeClock clock;
    QPrinter printer;
    bool ok = true;

    for (const qsizetype samples : {qsizetype(10000), qsizetype(864000)}) {
        RunModel run(folder.path());
        RunHeader header;
        run.startRecording(header, 0);
        RunChartWindow window(run, prompts, printer, clock, [] { return RunChartSettings{}; });
        window.resize(1280, 720);
        window.show();
        QCoreApplication::processEvents();
        RunChartWidget& chart = *window.chart;

        // Recording with the chart open: the time per reading is the run's own (journal and
        // all) plus the chart's append; the chart alone is timed on its own summary below.
        QElapsedTimer recording;
        recording.start();
        for (qsizetype n = 0; n < samples; ++n) {
            if (n == kSilentFrom) {
                const double lost = engineSample(n - 1).time + 0.5;
                run.addEvent(float(lost), QStringLiteral("logger disconnected"));
                run.addEvent(engineSample(n).time, QStringLiteral("logger reconnected"));
            }
            run.addSample(engineSample(n));
        }
        const double perReading = recording.nsecsElapsed() / 1e3 / double(run.size());
        run.stopRecording();
        RunSummary summary;
        QElapsedTimer summarising;
        summarising.start();
        summary.rebuild(run);
        std::printf("%lld samples: %.2f us per reading recorded with the chart open; "
                    "summary of the whole run in %.1f ms\n",
                    static_cast<long long>(run.size()), perReading,
                    summarising.nsecsElapsed() / 1e6);

        chart.changeRange([](ChartRange& r) { r.showWholeRun(); });
        ok &= report("whole run (zoomed out)", run.size(), redraws(chart));
        if (!out.isEmpty() && samples == 864000) {
            QDir().mkpath(out);
            const QString whole = out + QStringLiteral("/runchart-24h-whole.png");
            std::printf("%s %s\n", window.grab().save(whole) ? "wrote" : "could not write",
                        qPrintable(whole));
        }
        chart.changeRange([](ChartRange& r) { r.showLast(60); });
        ok &= report("last minute (zoomed in)", run.size(), redraws(chart));
        chart.changeRange([&run](ChartRange& r) {
            const double middle = run.sample(run.size() / 2).time;
            r.setRange(middle - 1800, middle + 1800);
        });
        ok &= report("an hour in the middle (browsing)", run.size(), redraws(chart));

        // Zooming by the wheel from the whole run down to seconds: each step is one redraw.
        chart.changeRange([](ChartRange& r) { r.showWholeRun(); });
        std::vector<double> steps;
        QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
        const double anchor = run.sample(run.size() / 3).time;
        while (chart.range().span() > ChartRange::kShortestSpan * 1.01) {
            chart.changeRange([anchor](ChartRange& r) { r.zoom(0.8, anchor); });
            QElapsedTimer timer;
            timer.start();
            chart.render(&image);
            steps.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::printf("%-34s %7lld samples: %zu steps, slowest %.2f ms\n",
                    "wheel zoom, whole run to 1 s", static_cast<long long>(run.size()),
                    steps.size(), *std::max_element(steps.begin(), steps.end()));

        if (!out.isEmpty() && samples == 864000) {
            // Around the silent logger: the trace breaks between the two events' marks.
            const double lost = kSilentFrom / 10.0;
            chart.changeRange([lost](ChartRange& r) { r.setRange(lost - 240, lost + 420); });
            chart.setCursorRow(0, chart.rowNearest(lost - 200));
            chart.setCursorRow(1, chart.rowNearest(lost + 360));
            window.refreshSettings();
            QCoreApplication::processEvents();
            const QString zoomed = out + QStringLiteral("/runchart-24h-zoomed.png");
            std::printf("%s %s\n", window.grab().save(zoomed) ? "wrote" : "could not write",
                        qPrintable(zoomed));
        }
        run.discardJournal();
    }
    return ok ? 0 : 1;
}
