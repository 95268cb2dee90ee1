#include "sectionbox.h"
#include "stripchart.h"

#include <QTest>
#include <cmath>
#include <vector>

namespace
{

struct Line {
    int k;
    QLineF at;
    quint32 rgb;
    int width;
    bool dotted;
}; // in section units

// Records what the chart asks of its window; the clock is set by hand.
class FakeSurface final : public ChartSurface
{
public:
    float now = 36000.0f;
    double scale = 0;
    std::array<double, 3> lefts{};
    std::array<bool, 3> labelsShown{};
    std::vector<Line> lines;
    QStringList log; // clear / place / cut, in call order
    QString legend, top, bottom;

    void clearSection(int k) override { log << QStringLiteral("clear %1").arg(k); }
    void setSectionScale(int, double w) override { scale = w; }
    void drawLine(int k, double x1, double y1, double x2, double y2, quint32 rgb, int w,
                  bool dotted) override
    {
        lines.push_back({k, {x1, y1, x2, y2}, rgb, w, dotted});
    }
    void placeSections(const std::array<double, 3>& l, double) override
    {
        log << QStringLiteral("place %1 %2 %3").arg((lefts = l)[0]).arg(l[1]).arg(l[2]);
    }
    bool sectionAtLeft(int k) const override { return lefts[k] == 0; }
    void setScaleLabels(int, const QString& t, const QString& b) override { top = t, bottom = b; }
    void showScaleLabels(int k, bool v) override { labelsShown[k] = v; }
    void setLegend(const QString& text) override { legend = text; }
    void showChart() override {}
    void showStartButtons() override {}
    void letEventsRun() override {}
    float clock() override { return now; }
    void cutRunBack(const QString& f) override { log << QStringLiteral("cut ") + f; }
    void drawGaugeNeedle() override {}

    std::vector<Line> traces(int k) const
    {
        std::vector<Line> out;
        for (const Line& l : lines)
            if (!l.dotted && l.k == k)
                out.push_back(l);
        return out;
    }
};

Module1 chartModule(qint16 stripChartTime)
{
    Module1 m;
    DeriveThermocoupleValues(m); // degrees F, exhaust-gas range 900..1700
    m.StripChartTime = stripChartTime;
    ResetChartForRecording(m);
    return m;
}

// One plotting call with every channel reading `reading`.
void plot(Module1& m, FakeSurface& s, const QString& reading = QStringLiteral("1300"),
          double recordTime = 0, const QString& line = {}, qint16 useRecordedTime = 0)
{
    std::array<QString, kMaxChannels> text;
    text.fill(reading);
    qint16 startOver = 0, doing = 1;
    UpdateScreen(m, s, text, startOver, doing, recordTime, line, useRecordedTime);
    QCOMPARE(startOver, qint16(0));
}

} // namespace

class TestStripChart : public QObject
{
    Q_OBJECT
private slots:
    // The set-up call draws dots (no previous point), the next one a line from them.
    void firstPlotDrawsDots_data()
    {
        QTest::addColumn<QString>("reading");
        QTest::addColumn<double>("y");
        QTest::addColumn<int>("thickness");
        QTest::addColumn<int>("width");
        QTest::newRow("at GraphMin, thin") << "900" << 0.0 << 0 << 1;
        QTest::newRow("below, thick") << "-40" << 0.0 << 1 << 2;
        QTest::newRow("between, thickest") << "1100" << 0.25 << 2 << 4;
        QTest::newRow("at GraphMax, unknown width") << "1700" << 1.0 << 7 << 1;
        QTest::newRow("above") << "2500" << 1.0 << 0 << 1;
        QTest::newRow("not a number") << "open" << 0.0 << 0 << 1;
    }
    void firstPlotDrawsDots()
    {
        QFETCH(QString, reading);
        QFETCH(double, y);
        QFETCH(int, thickness);
        QFETCH(int, width);
        Module1 m = chartModule(15);
        m.LineThickness = static_cast<qint16>(thickness);
        m.NumChannels = 13;   // all are read, at most kTraceSlots drawn
        m.TraceLastY.clear(); // as if recreated short elsewhere
        FakeSurface s;
        plot(m, s, reading);
        QCOMPARE(m.TCReading[12], float(reading.toDouble()));
        s.now += 2;
        plot(m, s, "1300");
        const std::vector<Line> t = s.traces(0);
        QCOMPARE(t.size(), size_t(2 * kTraceSlots));
        for (int i = 0; i < kTraceSlots; ++i) {
            QCOMPARE(t[i].at, QLineF(0, y, 0, y));
            QCOMPARE(t[kTraceSlots + i].at, QLineF(0, y, 2, 0.5));
            QVERIFY(t[i].rgb == m.ChannelColor[i] && t[kTraceSlots + i].width == width);
        }
        QCOMPARE(t[1].rgb, kChannelBarColors[1]);
    }

    void sectionBoundary_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<bool>("replay");
        QTest::addColumn<float>("start"); // clock at the set-up
        QTest::addColumn<int>("section");
        QTest::newRow("live, on the edge") << 15.0 << false << 36000.0f << 0;
        QTest::newRow("live, past it") << 15.25 << false << 36000.0f << 1;
        QTest::newRow("replay, on the edge") << 15.0 << true << 36000.0f << 0;
        QTest::newRow("replay, past it") << 15.1 << true << 36000.0f << 1;
    }
    void sectionBoundary()
    {
        QFETCH(double, x);
        QFETCH(bool, replay);
        QFETCH(float, start);
        QFETCH(int, section);
        Module1 m = chartModule(15);
        if (replay)
            ResetChartForReplay(m);
        FakeSurface s;
        s.now = start;
        plot(m, s, "900", 0, "first", replay);
        s.now = start + float(x);
        s.log.clear();
        plot(m, s, "1300", x, "edge", replay);
        QCOMPARE(s.traces(0).back().at.x2(), double(float(x)));
        QCOMPARE(m.CurrentSection, qint16(section));
        QCOMPARE(s.log.contains("clear 1"), section == 1);

        // The trace runs on from the left edge of whichever section is current.
        s.now += 1;
        plot(m, s, "1700", x + 1, "next", replay);
        const QLineF last = s.traces(section).back().at;
        QCOMPARE(last.p1(), QPointF(section == 1 ? 0 : double(float(x)), 0.5));
        QCOMPARE(last.y2(), 1.0);
    }

    void grid_data()
    {
        QTest::addColumn<int>("time");
        QTest::addColumn<int>("shown"); // the time after the set-up's check
        QTest::addColumn<QList<double>>("xs");
        QTest::newRow("15") << 15 << 15 << QList<double>{0.1, 5.0, 9.9};
        QTest::newRow("5") << 5 << 5 << QList<double>{0.1};
        QTest::newRow("30, last line on the limit")
            << 30 << 30 << QList<double>{0.1, 5.0, 9.9, 14.8, 19.7, 24.6, 29.5};
        QTest::newRow("60") << 60 << 60 << QList<double>{0.1,  5.0,  9.9,  14.8, 19.7, 24.6, 29.5,
                                                         34.4, 39.3, 44.2, 49.1, 54.0, 58.9};
        QTest::newRow("0 becomes 15") << 0 << 15 << QList<double>{0.1, 5.0, 9.9};
        QTest::newRow("1501 becomes 15") << 1501 << 15 << QList<double>{0.1, 5.0, 9.9};
    }
    // The start-up call lays out the empty chart: grid, labels, legend, no trace.
    void grid()
    {
        QFETCH(int, time);
        QFETCH(int, shown);
        QFETCH(QList<double>, xs);
        Module1 m = chartModule(static_cast<qint16>(time));
        m.ChartTimeMode = 0; // as at program start
        FakeSurface s;
        qint16 startOver = 0, doing = 2;
        UpdateScreen(m, s, {}, startOver, doing, 0, QString(), 0);
        QVERIFY(startOver == 1 && doing == 1 && m.ChartStarted == 1 && s.traces(0).empty());
        QCOMPARE(s.legend + " " + s.top + " " + s.bottom, "Temperature Deg F 1700 900");
        QCOMPARE(s.labelsShown, (std::array<bool, 3>{true, false, false}));
        QVERIFY(m.StripChartTime == shown && s.scale == shown);
        QList<double> vertical;
        int horizontal = 0;
        for (const Line& l : s.lines) {
            QVERIFY(l.rgb == 0x808080 && l.width == 1 && l.dotted);
            if (l.k == 1 && l.at.dx() == 0 && l.at.y1() == 0 && l.at.y2() == 1)
                vertical << l.at.x1();
            else if (l.k == 1 && l.at == QLineF(0, l.at.y1(), shown, l.at.y1()))
                ++horizontal;
        }
        QCOMPARE(horizontal, 2);
        QCOMPARE(vertical, xs);
    }

    void replaySectionsFollowRecordedTime()
    {
        Module1 m = chartModule(15);
        ResetChartForReplay(m);
        FakeSurface s;
        for (int t = 0; t <= 46; ++t) {
            s.now += 1000; // however slow the replay
            plot(m, s, "1300", t, QString::number(t), 1);
        }
        QCOMPARE(m.SectionStartTime, (std::array<float, 4>{45, 15, 30, 0}));
        QCOMPARE(m.CurrentSection, qint16(0));
        QCOMPARE(m.ChartWrapped, qint16(1));
    }

    void firstWrap()
    {
        Module1 m = chartModule(5);
        FakeSurface s;
        for (int t = 0; m.ChartWrapped == 0 && t < 20; ++t, s.now += 2) {
            if (m.CurrentSection == 2)
                s.log.clear();
            plot(m, s, "1300", 0, QStringLiteral("line %1").arg(t));
        }
        QCOMPARE(m.SectionFirstLine[1], QStringLiteral("line 4")); // first drawn after x 6 > 5
        QCOMPARE(s.log, QStringList({"clear 0", "place 0.666 0 0.333", "cut line 4"}));
        QCOMPARE(s.labelsShown, (std::array<bool, 3>{false, true, false}));
        QVERIFY(s.lines.back().k == 0 && s.lines.back().dotted); // fresh grid in section 0
    }

    void cutBack_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("textFrom"); // row the text starts with
        const QStringList run{"14.9   1", "15.1   2", "15.2   3"};
        QTest::newRow("in the middle") << run << "15.1   2" << 2 << 1;
        QTest::newRow("first row") << run << "14.9   1" << 1 << 0;
        QTest::newRow("not found") << run << "99.9   9" << 0 << 0;
        QTest::newRow("empty") << run << "" << 0 << 0;
        QTest::newRow("inside a longer line")
            << QStringList{"115.1   2", "15.1   2", "15.2   3"} << "15.1   2" << 2 << 1;
    }
    void cutBack()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, first);
        QFETCH(int, removed);
        QFETCH(int, textFrom);
        const QString text = rows.join("\r\n") + "\r\n";
        QCOMPARE(ListRowsToRemove(rows, first), removed);
        QCOMPARE(TextFromFirstLine(text, first), rows.mid(textFrom).join("\r\n") + "\r\n");
    }

    void sectionBoxKeepsItsLine()
    {
        SectionBox box;
        box.resize(200, 110);
        box.setScaleWidth(15);
        box.clear();
        box.drawLine(0, 0.5, 15, 0.5, 0xFF0000, 1, false);
        const int row = qRound(box.toPixel(0, 0.5).y());
        QCOMPARE(row, 55);
        QCOMPARE(box.image().pixel(100, row), qRgb(255, 0, 0));
        QCOMPARE(box.image().pixel(100, row - 10), qRgb(255, 255, 255));
        box.resize(400, 220); // kept, scaled with the box
        QCOMPARE(box.image().size(), QSize(400, 220));
        QCOMPARE(box.image().pixel(200, 2 * row), qRgb(255, 0, 0));
    }
};

QTEST_MAIN(TestStripChart)
#include "test_stripchart.moc"
