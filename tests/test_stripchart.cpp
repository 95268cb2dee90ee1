#include "sectionbox.h"
#include "stripchart.h"

#include <QTest>

struct Line {
    QLineF at; // in section units
    quint32 rgb;
    int width;
};

class FakeSurface final : public ChartSurface
{
public:
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
    void markOffRange(int, int, int, double) override {}
};

ProgramState chartModule(qint16 stripChartTime)
{
    ProgramState m;
    m.derived = DeriveSettings(m.settings); // degrees F, exhaust-gas range 900..1700
    m.settings.chartSectionSeconds = stripChartTime;
    return m;
}

void plot(ProgramState& m, FakeSurface& s, float time, float value)
{
    RunSample sample;
    sample.time = time;
    sample.values.fill(value);
    PlotSample(m.chart, m.settings, m.derived, s, sample);
}

class TestStripChart : public QObject
{
    Q_OBJECT
private slots:
    // A first sample draws dots, the next a line; a channel without a reading restarts its trace.
    void firstPlotDrawsDots_data()
    {
        QTest::addColumn<float>("reading"), QTest::addColumn<double>("y");
        QTest::addColumn<int>("thickness"), QTest::addColumn<int>("width");
        QTest::newRow("below, thick") << -40.0f << 0.0 << 1 << 2;
        QTest::newRow("between, thickest") << 1100.0f << 0.25 << 2 << 4;
        QTest::newRow("above, unknown width") << 2500.0f << 1.0 << 7 << 1;
        QTest::newRow("no reading") << kNoReading << -1.0 << 0 << 1;
    }
    void firstPlotDrawsDots()
    {
        QFETCH(float, reading);
        QFETCH(double, y);
        QFETCH(int, thickness);
        QFETCH(int, width);
        ProgramState m = chartModule(15);
        // More channels in the settings than a sample has: only the sample's are drawn.
        m.settings.lineThickness = static_cast<qint16>(thickness), m.derived.channelCount = 13;
        FakeSurface s;
        plot(m, s, 0, reading);
        plot(m, s, 2, 1300);
        const std::vector<Line>& t = s.traces[0];
        const size_t first = y < 0 ? 0 : kRecorderChannels;
        QCOMPARE(t.size(), first + kRecorderChannels);
        for (size_t i = 0; i < first; ++i)
            QVERIFY(t[i].at == QLineF(0, y, 0, y) && t[i].rgb == m.derived.channelColors[i]);
        for (size_t i = 0; i < kRecorderChannels; ++i) {
            const QLineF expected = y < 0 ? QLineF(2, 0.5, 2, 0.5) : QLineF(0, y, 2, 0.5);
            QVERIFY(t[first + i].at == expected && t[first + i].width == width);
        }
    }

    void sectionEdge() // on the edge a point stays; past it the next section takes the trace up
    {
        ProgramState m = chartModule(15);
        FakeSurface s;
        plot(m, s, 0, 900);
        s.log.clear();
        plot(m, s, 15, 1300);
        QVERIFY(m.chart.currentSection == 0 && s.log.isEmpty() && s.traces[0].back().at.x2() == 15);
        plot(m, s, 15.25f, 1300);
        QVERIFY(m.chart.currentSection == 1 && s.log.contains("clear 1"));
        QCOMPARE(s.traces[0].back().at.x2(), 15.25);
        plot(m, s, 16.25f, 1700);
        QCOMPARE(s.traces[1].back().at.p1(), QPointF(0, 0.5));
    }

    // The empty chart: grid, labels, legend; a damaged section time falls back to 15 s.
    void startUp()
    {
        ProgramState m = chartModule(1501);
        FakeSurface s;
        LayOutChart(m.chart, m.settings, m.derived, s);
        QVERIFY(m.chart.laidOut && s.traces[0].empty());
        QVERIFY(s.log.contains("Temperature Deg F") && s.log.contains("1700 900"));
        QVERIFY(m.settings.chartSectionSeconds == 15 && s.log.contains("scale 15"));
        QList<QLineF> drawn;
        for (const Line& l : s.grid[1])
            drawn << l.at;
        QCOMPARE(drawn, (QList<QLineF>{{0, 0, 15, 0}, {0, 1, 15, 1}, {0.1, 0, 0.1, 1},
                                       {5.0, 0, 5.0, 1}, {9.9, 0, 9.9, 1}}));
    }

    // Sections follow the samples' run time; the first wrap moves the boxes and relabels them.
    void wraps()
    {
        ProgramState m = chartModule(15);
        FakeSurface s;
        for (int t = 0; t <= 46; ++t) {
            if (m.chart.currentSection == 2)
                s.log.clear(), s.grid = {};
            plot(m, s, float(t), 1300);
        }
        QCOMPARE(m.chart.sectionStartTimes, (std::array<float, 4>{45, 15, 30, 0}));
        QVERIFY(m.chart.currentSection == 0 && m.chart.wrapped && !s.grid[0].empty());
        QCOMPARE(s.log, QStringList({"clear 0", "place 0.666 0 0.333", "shown 0 0", "shown 1 1",
                                     "shown 2 0"}));
    }

    // An event is a line across its section at its time; one past the section waits for it, one
    // the chart passed during a gap stands at the left edge.
    void eventMarks()
    {
        ProgramState m = chartModule(5);
        FakeSurface s;
        const auto marks = [&s](int k) {
            QList<QLineF> found;
            for (const Line& l : s.traces[k])
                if (l.at.x1() == l.at.x2() && l.at.y1() < 0)
                    found << l.at;
            return found;
        };
        PlotEvent(m.chart, m.settings, s, 1); // no chart yet: nothing drawn, nothing laid out
        QVERIFY(!m.chart.laidOut);
        plot(m, s, 0, 900);
        PlotEvent(m.chart, m.settings, s, 3);
        PlotEvent(m.chart, m.settings, s, 7);
        QCOMPARE(marks(0), (QList<QLineF>{{3, -0.05, 3, 1.05}}));
        QVERIFY(marks(1).isEmpty());
        plot(m, s, 5.5f, 900); // section 1 begins at 5
        QCOMPARE(marks(1), (QList<QLineF>{{2, -0.05, 2, 1.05}}));
        PlotEvent(m.chart, m.settings, s, 4);
        QCOMPARE(marks(1), (QList<QLineF>{{2, -0.05, 2, 1.05}, {0, -0.05, 0, 1.05}}));
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
