#include "runchartmath.h"

#include <QTest>
#include <algorithm>
#include <cmath>
#include <random>

namespace
{

class VectorRun final : public SampleSource
{
public:
    std::vector<RunSample> samples;
    qsizetype size() const override { return qsizetype(samples.size()); }
    const RunSample& sample(qsizetype row) const override { return samples[size_t(row)]; }
};

// Ten readings a second with spikes, failed probes and a silent stretch; with `setBack` the
// clock goes back 30 s half way through, as after a change of the system time.
VectorRun makeRun(int n, bool setBack, unsigned seed)
{
    VectorRun run;
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> step(-3, 3);
    std::array<float, kRecorderChannels> level{30, 400, 900, 1500};
    double t = 0;
    for (int i = 0; i < n; ++i) {
        RunSample s;
        t += (i % 997 == 996) ? 40.0 : 0.1; // a silent logger now and then
        if (setBack && i == n / 2)
            t -= 30;
        s.time = float(std::round(t * 10) / 10);
        for (int ch = 0; ch < kRecorderChannels; ++ch) {
            level[size_t(ch)] += step(random);
            s.values[size_t(ch)] = level[size_t(ch)];
        }
        if (random() % 50 == 0)
            s.values[random() % kRecorderChannels] += 5000; // a single-sample spike
        if (random() % 40 == 0)
            s.values[random() % kRecorderChannels] = kNoReading;
        run.samples.push_back(s);
    }
    return run;
}

bool same(float a, float b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

} // namespace

class TestRunChartMath : public QObject
{
    Q_OBJECT
private slots:
    // Every column holds exactly the lowest and highest reading of its samples, found here by
    // looking at every sample: no spike is lost however far the chart is zoomed out.
    void decimationKeepsEveryExtreme_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("columns");
        QTest::addColumn<double>("from"); // fractions of the run's time span
        QTest::addColumn<double>("to");
        QTest::addColumn<bool>("setBack");
        QTest::addColumn<bool>("appended"); // row by row, as while recording
        QTest::newRow("whole run, narrow") << 40000 << 97 << 0.0 << 1.0 << false << false;
        QTest::newRow("whole run, wide") << 40000 << 1500 << 0.0 << 1.0 << false << false;
        QTest::newRow("zoomed in past the samples")
            << 40000 << 800 << 0.4 << 0.4005 << false << false;
        QTest::newRow("beyond the run's end") << 5000 << 300 << 0.7 << 1.6 << false << false;
        QTest::newRow("one column") << 5000 << 1 << 0.1 << 0.9 << false << false;
        QTest::newRow("clock set back") << 20000 << 640 << 0.0 << 1.0 << true << false;
        QTest::newRow("recorded, clock set back") << 9000 << 640 << 0.0 << 1.0 << true << true;
        QTest::newRow("recorded, zoomed in") << 9000 << 640 << 0.3 << 0.31 << false << true;
        QTest::newRow("few samples") << 3 << 640 << 0.0 << 1.0 << false << false;
    }
    void decimationKeepsEveryExtreme()
    {
        QFETCH(int, samples);
        QFETCH(int, columns);
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(bool, setBack);
        QFETCH(bool, appended);
        const VectorRun whole = makeRun(samples, setBack, unsigned(samples + columns));
        VectorRun run;
        RunSummary summary;
        summary.rebuild(run);
        for (const RunSample& s : whole.samples) {
            run.samples.push_back(s);
            if (appended)
                summary.append(run);
        }
        QCOMPARE(appended && summary.stale(), appended && setBack);
        if (!appended || summary.stale()) // as the chart catches up after a set-back clock
            summary.rebuild(run);
        QCOMPARE(summary.timesOrdered(), !setBack);
        const double first = summary.firstTime();
        const double length = summary.lastTime() - first;
        const double start = first + from * length;
        const double end = first + to * length;
        const std::vector<ChartColumn> got = DecimateRun(summary, start, end, columns);
        QCOMPARE(int(got.size()), columns);

        std::vector<RunSample> sorted = run.samples;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const RunSample& a, const RunSample& b) { return a.time < b.time; });
        const double width = (end - start) / columns;
        size_t next = 0;
        for (int c = 0; c < columns; ++c) {
            RunSummary::Values lowest, highest;
            lowest.fill(kNoReading);
            highest.fill(kNoReading);
            const double left = start + c * width;
            const double right = start + (c + 1) * width;
            while (next < sorted.size() && sorted[next].time < left)
                ++next;
            int count = 0;
            for (; next < sorted.size() &&
                   (sorted[next].time < right || (c == columns - 1 && sorted[next].time <= end));
                 ++next, ++count) {
                for (int ch = 0; ch < kRecorderChannels; ++ch) {
                    lowest[ch] = std::fmin(lowest[ch], sorted[next].values[ch]);
                    highest[ch] = std::fmax(highest[ch], sorted[next].values[ch]);
                }
            }
            const ChartColumn& column = got[size_t(c)];
            QCOMPARE(column.to - column.from, qsizetype(count));
            for (int ch = 0; ch < kRecorderChannels; ++ch)
                QVERIFY2(same(column.lowest[ch], lowest[ch]) &&
                             same(column.highest[ch], highest[ch]),
                         qPrintable(QStringLiteral("column %1 channel %2").arg(c).arg(ch)));
        }
    }

    // No line stands for temperatures nobody measured: across a failed probe or a silent logger.
    void traceBreaks()
    {
        const RunSample a{10.0f, {30, 30, 30, 30}};
        const RunSample b{10.1f, {31, kNoReading, 31, 31}};
        const RunSample c{10.1f + float(kLongestJoinedGap) + 0.2f, {32, 32, 32, 32}};
        QVERIFY(JoinedReadings(a, b, 0));
        QVERIFY(!JoinedReadings(a, b, 1));
        QVERIFY(!JoinedReadings(b, c, 0));
    }

    // Δt, ΔT and ΔT/Δt of a heat-up, and what the read-out says where a reading is missing.
    void cursorDifferences_data()
    {
        QTest::addColumn<float>("t1");
        QTest::addColumn<float>("v1");
        QTest::addColumn<float>("t2");
        QTest::addColumn<float>("v2");
        QTest::addColumn<QString>("line");
        QTest::newRow("heat-up 30 to 90")
            << 12.3f << 30.0f << 312.3f << 90.0f
            << QStringLiteral("\u0394t 300.0 s   Ch 1 \u0394T +60.0, +0.20/s   (Deg C)");
        QTest::newRow("cooling, cursors swapped")
            << 100.0f << 450.5f << 40.0f << 510.0f
            << QStringLiteral("\u0394t -60.0 s   Ch 1 \u0394T +59.5, -0.99/s   (Deg C)");
        QTest::newRow("same moment: no rate")
            << 5.0f << 30.0f << 5.0f << 32.0f
            << QStringLiteral("\u0394t 0.0 s   Ch 1 \u0394T +2.0   (Deg C)");
        QTest::newRow("failed probe")
            << 5.0f << 30.0f << 9.0f << kNoReading
            << QStringLiteral("\u0394t 4.0 s   Ch 1 \u0394T no reading   (Deg C)");
    }
    void cursorDifferences()
    {
        QFETCH(float, t1);
        QFETCH(float, v1);
        QFETCH(float, t2);
        QFETCH(float, v2);
        RunSample a, b;
        a.time = t1;
        a.values[0] = v1;
        b.time = t2;
        b.values[0] = v2;
        const QStringList lines = CursorReadout(&a, &b, 1, QStringLiteral("C"));
        QCOMPARE(lines.size(), 3);
        QTEST(lines[2], "line");
        QCOMPARE(CursorReadout(&a, nullptr, 1, QStringLiteral("C")).size(), 1);
    }

    // Following keeps the newest reading at the right edge; any move off it browses, and Live,
    // a range button or a move back to the end follows again.
    void followAndBrowse_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        QTest::addColumn<bool>("following");
        QTest::newRow("short run grows from the left")
            << "run 0 30; last 60" << 0.0 << 60.0 << true;
        QTest::newRow("newest at the right edge")
            << "run 0 1000; last 60; run 0 1100" << 1040.0 << 1100.0 << true;
        QTest::newRow("scrolling back browses")
            << "run 0 1000; last 60; pan -100; run 0 1100" << 840.0 << 900.0 << false;
        QTest::newRow("Live follows again")
            << "run 0 1000; last 60; pan -100; run 0 1100; live" << 1040.0 << 1100.0 << true;
        QTest::newRow("scroll bar to its end follows")
            << "run 0 1000; last 60; pan -500; scrollend; run 0 1010" << 950.0 << 1010.0 << true;
        QTest::newRow("zoom while following stays live")
            << "run 0 1000; last 60; zoom 0.5 100" << 970.0 << 1000.0 << true;
        QTest::newRow("zoom while browsing keeps the anchor")
            << "run 0 1000; last 60; pan -100; zoom 0.5 850" << 845.0 << 875.0 << false;
        QTest::newRow("whole run grows with it")
            << "run 0 1000; whole; run 0 2000" << 0.0 << 2000.0 << true;
        QTest::newRow("dragged range browses")
            << "run 0 1000; range 200 100" << 100.0 << 200.0 << false;
        QTest::newRow("pan stops at the run's start")
            << "run 0 1000; last 60; pan -5000" << 0.0 << 60.0 << false;
        QTest::newRow("deepest zoom") << "run 0 1000; range 500 500.2" << 500.0 << 501.0 << false;
    }
    void followAndBrowse()
    {
        QFETCH(QString, steps);
        ChartRange range;
        for (const QString& step : steps.split(QLatin1Char(';'))) {
            const QStringList w = step.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const auto arg = [&w](int i) { return w.value(i).toDouble(); };
            if (w[0] == QLatin1String("run"))
                range.setRun(arg(1), arg(2));
            else if (w[0] == QLatin1String("last"))
                range.showLast(arg(1));
            else if (w[0] == QLatin1String("pan"))
                range.pan(arg(1));
            else if (w[0] == QLatin1String("live"))
                range.live();
            else if (w[0] == QLatin1String("zoom"))
                range.zoom(arg(1), arg(2));
            else if (w[0] == QLatin1String("whole"))
                range.showWholeRun();
            else if (w[0] == QLatin1String("range"))
                range.setRange(arg(1), arg(2));
            else if (w[0] == QLatin1String("scrollend"))
                range.scrollTo(range.scrollMaximum());
            else
                QFAIL(qPrintable(step));
        }
        QTEST(range.start(), "start");
        QTEST(range.end(), "end");
        QTEST(range.following(), "following");
    }
};

QTEST_GUILESS_MAIN(TestRunChartMath)
#include "test_runchart_math.moc"
