#include "sectionbox.h"
#include "stripchart.h"

#include <QTest>

struct Line {
    QLineF at; // in section units
    quint32 rgb;
    int width;
};

// Records what the chart asks of its window; the clock is set by hand.
class FakeSurface final : public ChartSurface
{
public:
    float now = 36000.0f;
    std::array<double, 3> lefts{};
    std::array<std::vector<Line>, 3> grid, traces; // dotted lines and traces, per section
    QStringList log;                               // everything else, in call order

    void clearSection(int k) override { log << QStringLiteral("clear %1").arg(k); }
    void setSectionScale(int, double w) override { log << QStringLiteral("scale %1").arg(w); }
    void drawLine(int k, double x1, double y1, double x2, double y2, quint32 rgb, int w,
                  bool dotted) override
    {
        (dotted ? grid : traces)[k].push_back({{x1, y1, x2, y2}, rgb, w});
    }
    void placeSections(const std::array<double, 3>& l, double) override
    {
        log << QStringLiteral("place %1 %2 %3").arg((lefts = l)[0]).arg(l[1]).arg(l[2]);
    }
    bool sectionAtLeft(int k) const override { return lefts[k] == 0; }
    void setScaleLabels(int, const QString& t, const QString& b) override { log << t + " " + b; }
    void showScaleLabels(int k, bool v) override { log << QString("shown %1 %2").arg(k).arg(v); }
    void setLegend(const QString& text) override { log << text; }
    void showChart() override {}
    void showStartButtons() override {}
    void letEventsRun() override {}
    float clock() override { return now; }
    void drawGaugeNeedle() override {}
    void markOffRange(int, int, int, double) override {}
};

ProgramState chartModule(qint16 stripChartTime)
{
    ProgramState m;
    m.derived = DeriveSettings(m.settings); // degrees F, exhaust-gas range 900..1700
    m.settings.chartSectionSeconds = stripChartTime;
    ResetChartForRecording(m.chart);
    return m;
}

// One plotting call, `dt` seconds after the last, with every channel reading `reading`.
void plot(ProgramState& m, FakeSurface& s, float dt, const QString& reading, double recordTime = 0,
          const QString& line = {}, qint16 useRecordedTime = 0)
{
    std::array<QString, kMaxChannels> text;
    text.fill(reading);
    qint16 startOver = 0, doing = 1;
    s.now += dt;
    PlotSample(m.chart, m.settings, m.derived, s, text, startOver, doing, recordTime, line,
               useRecordedTime);
    QCOMPARE(startOver, qint16(0));
}

class TestStripChart : public QObject
{
    Q_OBJECT
private slots:
    // The set-up call draws dots (no previous point), the next one a line from them.
    void firstPlotDrawsDots_data()
    {
        QTest::addColumn<QString>("reading"), QTest::addColumn<double>("y");
        QTest::addColumn<int>("thickness"), QTest::addColumn<int>("width");
        QTest::newRow("below, thick") << "-40" << 0.0 << 1 << 2;
        QTest::newRow("between, thickest") << "1100" << 0.25 << 2 << 4;
        QTest::newRow("above, unknown width") << "2500" << 1.0 << 7 << 1;
        QTest::newRow("not a number") << "open" << 0.0 << 0 << 1;
    }
    void firstPlotDrawsDots()
    {
        QFETCH(QString, reading);
        QFETCH(double, y);
        QFETCH(int, thickness);
        QFETCH(int, width);
        ProgramState m = chartModule(15);
        m.settings.lineThickness = static_cast<qint16>(thickness), m.derived.channelCount = 13;
        m.chart.traceLastY.clear(); // as if recreated short elsewhere
        FakeSurface s;
        plot(m, s, 0, reading);
        plot(m, s, 2, "1300");
        QCOMPARE(m.chart.readings[12], 1300.0f); // all channels are read, at most kTraceSlots drawn
        const std::vector<Line>& t = s.traces[0];
        QCOMPARE(t.size(), size_t(2 * kTraceSlots));
        for (int i = 0; i < kTraceSlots; ++i) {
            QVERIFY(t[i].at == QLineF(0, y, 0, y) && t[i].rgb == m.derived.channelColors[i]);
            QVERIFY(t[kTraceSlots + i].at == QLineF(0, y, 2, 0.5) &&
                    t[kTraceSlots + i].width == width);
        }
    }

    void sectionEdge() // on the edge a point stays; past it the next section takes the trace up
    {
        ProgramState m = chartModule(15);
        FakeSurface s;
        plot(m, s, 0, "900");
        s.log.clear();
        plot(m, s, 15, "1300");
        QVERIFY(m.chart.currentSection == 0 && s.log.isEmpty() && s.traces[0].back().at.x2() == 15);
        plot(m, s, 0.25f, "1300");
        QVERIFY(m.chart.currentSection == 1 && s.log.contains("clear 1"));
        QCOMPARE(s.traces[0].back().at.x2(), 15.25);
        plot(m, s, 1, "1700");
        QCOMPARE(s.traces[1].back().at.p1(), QPointF(0, 0.5));
    }

    void startUp_data()
    {
        QTest::addColumn<int>("time"), QTest::addColumn<int>("shown");
        QTest::addColumn<QList<double>>("xs");
        QTest::newRow("60") << 60 << 60 << QList<double>{0.1,  5.0,  9.9,  14.8, 19.7, 24.6, 29.5,
                                                         34.4, 39.3, 44.2, 49.1, 54.0, 58.9};
        QTest::newRow("1501 becomes 15") << 1501 << 15 << QList<double>{0.1, 5.0, 9.9};
    }
    void startUp() // lays out the empty chart: grid, labels, legend, no trace
    {
        QFETCH(int, time);
        QFETCH(int, shown);
        QFETCH(QList<double>, xs);
        ProgramState m = chartModule(static_cast<qint16>(time));
        FakeSurface s;
        qint16 startOver = 0, doing = 2;
        PlotSample(m.chart, m.settings, m.derived, s, {}, startOver, doing, 0, QString(), 0);
        QVERIFY(startOver == 1 && doing == 1 && m.chart.started == 1 && s.traces[0].empty());
        QVERIFY(s.log.contains("Temperature Deg F") && s.log.contains("1700 900"));
        QVERIFY(m.settings.chartSectionSeconds == shown &&
                s.log.contains(QStringLiteral("scale %1").arg(shown)));
        QList<QLineF> drawn, expected{{0, 0, double(shown), 0}, {0, 1, double(shown), 1}};
        for (double x : xs)
            expected << QLineF(x, 0, x, 1);
        for (const Line& l : s.grid[1])
            drawn << l.at;
        QCOMPARE(drawn, expected);
    }

    // Sections follow recorded time; the first wrap moves the boxes and relabels them.
    void replayWraps()
    {
        ProgramState m = chartModule(15);
        ResetChartForReplay(m.chart);
        FakeSurface s;
        for (int t = 0; t <= 46; ++t) {
            if (m.chart.currentSection == 2)
                s.log.clear(), s.grid = {};
            plot(m, s, 1000, "1300", t, QString::number(t), 1);
        }
        QCOMPARE(m.chart.sectionStartTimes, (std::array<float, 4>{45, 15, 30, 0}));
        QVERIFY(m.chart.currentSection == 0 && m.chart.wrapped == 1 && !s.grid[0].empty());
        QCOMPARE(s.log, QStringList({"clear 0", "place 0.666 0 0.333", "shown 0 0", "shown 1 1",
                                     "shown 2 0"}));
    }

    void sectionBoxKeepsItsLine() // scaled with the box when the window resizes it
    {
        SectionBox box;
        box.resize(200, 110);
        box.clear();
        box.drawLine(0, 0.5, 1, 0.5, 0xFF0000, 1, false); // across the default scale width 1
        box.resize(400, 220);
        const int row = qRound(box.toPixel(0, 0.5).y());
        QCOMPARE(box.image().pixel(200, row), qRgb(255, 0, 0));
        QCOMPARE(box.image().pixel(200, row - 20), qRgb(255, 255, 255));
    }
};

QTEST_MAIN(TestStripChart)
#include "test_stripchart.moc"
