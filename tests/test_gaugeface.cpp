#include "gaugeface.h"

#include <QTest>
#include <cmath>

namespace {

Module1 rangeOf(double min, double max)
{
    Module1 m;
    DeriveThermocoupleValues(m);
    m.GraphMin = min;
    m.GraphMax = max;
    m.GraphFactor = 1.0 / (max - min);
    return m;
}

int visibleLines(const GaugeFace& face)
{
    int n = 0;
    for (int i = 0; i < kGridSlots; ++i) {
        if (face.Line2[i].visible != face.Label5[i].visible)
            return -1; // a line and its label must never disagree
        n += face.Line2[i].visible ? 1 : 0;
    }
    return n;
}

std::array<QString, kMaxChannels> readings(const QStringList& texts)
{
    std::array<QString, kMaxChannels> a;
    for (int i = 0; i < texts.size(); ++i)
        a[i] = texts[i];
    return a;
}

} // namespace

class TestGaugeFace : public QObject {
    Q_OBJECT
private slots:
    void divisions_data();
    void divisions();
    void grid_data();
    void grid();
    void scaleShowsMarginsAroundRange();
    void fewerDivisionsHideTheRest();
    void redrawResetsBarsToPlaceholder();
    void placeholderNeverNegativeOnNarrowHighRange();
    void channelLabels();
    void redrawRecreatesTraceArrays();
    void damagedRangeDoesNotBreakScale_data();
    void damagedRangeDoesNotBreakScale();
    void barHeights_data();
    void barHeights();
};

void TestGaugeFace::divisions_data()
{
    QTest::addColumn<double>("span");
    QTest::addColumn<int>("n");
    QTest::newRow("800 multiple of 5") << 800.0 << 5;
    QTest::newRow("12 only 4") << 12.0 << 4;
    QTest::newRow("9 only 3") << 9.0 << 3;
    QTest::newRow("58 only 2") << 58.0 << 2;
    QTest::newRow("53 prime") << 53.0 << 5;
    QTest::newRow("7 prime") << 7.0 << 5;
    QTest::newRow("11.6 rounds to 12") << 11.6 << 4;
    QTest::newRow("8.5 halves to even 8") << 8.5 << 4;
    QTest::newRow("9.5 halves to even 10") << 9.5 << 5;
    QTest::newRow("99999 beyond 16 bits") << 99999.0 << 5;
    QTest::newRow("32767.6 rounds beyond 16 bits") << 32767.6 << 5;
    QTest::newRow("32766 fits") << 32766.0 << 3;
    QTest::newRow("infinite") << double(INFINITY) << 5;
}

void TestGaugeFace::divisions()
{
    QFETCH(double, span);
    QFETCH(int, n);
    QCOMPARE(GaugeDivisions(span), n);
}

void TestGaugeFace::grid_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<QList<double>>("lines");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("exhaust F 900-1700")
        << 900.0 << 1700.0 << QList<double>{900, 1060, 1220, 1380, 1540, 1700}
        << QStringList{"900", "1060", "1220", "1380", "1540", "1700"};
    QTest::newRow("exhaust C 500-950")
        << 500.0 << 950.0 << QList<double>{500, 590, 680, 770, 860, 950}
        << QStringList{"500", "590", "680", "770", "860", "950"};
    QTest::newRow("fluid C 0-200") << 0.0 << 200.0 << QList<double>{0, 40, 80, 120, 160, 200}
                                   << QStringList{"0", "40", "80", "120", "160", "200"};
    QTest::newRow("span 12") << 100.0 << 112.0 << QList<double>{100, 103, 106, 109, 112}
                             << QStringList{"100", "103", "106", "109", "112"};
    QTest::newRow("span 53, fractional step")
        << 100.0 << 153.0 << QList<double>{100, 110.6, 121.2, 131.8, 142.4, 153}
        << QStringList{"100", "111", "121", "132", "142", "153"};
    QTest::newRow("span 58, two divisions") << 1000.0 << 1058.0 << QList<double>{1000, 1029, 1058}
                                            << QStringList{"1000", "1029", "1058"};
}

void TestGaugeFace::grid()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(QList<double>, lines);
    QFETCH(QStringList, captions);

    Module1 m = rangeOf(min, max);
    GaugeFace face;
    RedrawGauge(face, m, 150);

    QCOMPARE(visibleLines(face), lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        QVERIFY2(qAbs(face.Line2[i].y - lines[i]) < 1e-9, qPrintable(QString::number(i)));
        QCOMPARE(face.Label5[i].caption, captions[i]);
        // The label rests on its line: its top edge one label height above it.
        QVERIFY(face.LabelHeight > 0);
        QCOMPARE(face.Label5[i].top, face.Line2[i].y + face.LabelHeight);
    }
}

void TestGaugeFace::scaleShowsMarginsAroundRange()
{
    Module1 m = rangeOf(900, 1700);
    GaugeFace face;
    RedrawGauge(face, m, 150);
    QCOMPARE(face.ScaleTop, 1780.0);    // 0.1 span above the maximum
    QCOMPARE(face.ScaleHeight, -920.0); // down to 0.05 span below the minimum
}

void TestGaugeFace::fewerDivisionsHideTheRest()
{
    GaugeFace face;
    Module1 wide = rangeOf(900, 1700);
    RedrawGauge(face, wide, 150);
    QCOMPARE(visibleLines(face), 6);

    Module1 narrow = rangeOf(1000, 1058);
    RedrawGauge(face, narrow, 150);
    QCOMPARE(visibleLines(face), 3);
    for (int i = 3; i < kGridSlots; ++i)
        QVERIFY(!face.Line2[i].visible && !face.Label5[i].visible);
}

void TestGaugeFace::redrawResetsBarsToPlaceholder()
{
    Module1 m = rangeOf(900, 1700);
    GaugeFace face;
    RedrawGauge(face, m, 150);
    DrawGaugeNeedle(face, m, readings({"1650", "950", "", "1200"}));
    QCOMPARE(face.Shape1[0].top, 1650.0);

    RedrawGauge(face, m, 150);
    for (int ch = 0; ch < kBarSlots; ++ch) {
        QCOMPARE(face.Shape1[ch].top, 1530.0); // 90 % of the maximum
        QCOMPARE(face.Shape1[ch].height, 630.0);
        QCOMPARE(face.Shape1[ch].fillColor, kChannelBarColors[ch]);
    }
}

void TestGaugeFace::placeholderNeverNegativeOnNarrowHighRange()
{
    // 90 % of 1100 lies below 1000: the placeholder must not get a negative height.
    Module1 m = rangeOf(1000, 1100);
    GaugeFace face;
    RedrawGauge(face, m, 150);
    for (const Bar& bar : face.Shape1) {
        QCOMPARE(bar.top, 1000.0);
        QCOMPARE(bar.height, 0.0);
    }
}

void TestGaugeFace::channelLabels()
{
    Module1 m = rangeOf(500, 950);
    GaugeFace face;
    RedrawGauge(face, m, 200);
    for (int ch = 0; ch < kBarSlots; ++ch) {
        const ChannelLabel& label = face.Label6[ch];
        QVERIFY(label.visible);
        QCOMPARE(label.caption, QStringLiteral("Temp %1").arg(ch + 1));
        QCOMPARE(label.left, 50.0 + 40.0 * ch);
        QCOMPARE(face.Shape1[ch].left, label.left);
        QCOMPARE(label.foreColor, kChannelBarColors[ch]);
        // Just under the bottom grid line.
        QVERIFY(label.top < 500.0);
        QVERIFY(label.top > 500.0 - 0.01 * 450);
    }
}

void TestGaugeFace::redrawRecreatesTraceArrays()
{
    Module1 m = rangeOf(900, 1700);
    m.TraceLastX = {5, 6};
    m.TraceLastY.assign(kTraceSlots, 3.0f);
    m.TraceNewY.clear();
    GaugeFace face;
    RedrawGauge(face, m, 150);
    const std::vector<float> zeros(kTraceSlots, 0.0f);
    QCOMPARE(m.TraceLastX, zeros);
    QCOMPARE(m.TraceLastY, zeros);
    QCOMPARE(m.TraceNewY, zeros);
}

void TestGaugeFace::damagedRangeDoesNotBreakScale_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::newRow("empty range") << 600.0 << 600.0;
    QTest::newRow("inverted range") << 1200.0 << 600.0;
    QTest::newRow("infinite max") << 600.0 << double(INFINITY);
    QTest::newRow("span beyond 16 bits") << 0.0 << 1.0e6;
}

void TestGaugeFace::damagedRangeDoesNotBreakScale()
{
    QFETCH(double, min);
    QFETCH(double, max);
    Module1 m = rangeOf(min, max);
    GaugeFace face;
    RedrawGauge(face, m, 150);
    QVERIFY(std::isfinite(face.ScaleTop));
    QVERIFY(std::isfinite(face.ScaleHeight));
    QVERIFY(face.ScaleHeight < 0);
    QCOMPARE(visibleLines(face), 6);
    for (int i = 0; i < 6; ++i) {
        QVERIFY(std::isfinite(face.Line2[i].y));
        // Every grid line lies inside the visible scale.
        QVERIFY(face.Line2[i].y <= face.ScaleTop);
        QVERIFY(face.Line2[i].y >= face.ScaleTop + face.ScaleHeight);
    }
    for (const Bar& bar : face.Shape1)
        QVERIFY(bar.height >= 0);
}

void TestGaugeFace::barHeights_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("height");
    QTest::newRow("inside range") << "1234" << 1234.0 << 334.0;
    QTest::newRow("below minimum") << "450" << 900.0 << 0.0;
    QTest::newRow("negative") << "-40" << 900.0 << 0.0;
    QTest::newRow("empty") << "" << 900.0 << 0.0;
    QTest::newRow("not a number") << "Err" << 900.0 << 0.0;
    QTest::newRow("above maximum, not clamped") << "2100" << 2100.0 << 1200.0;
    QTest::newRow("leading blanks") << "   1500" << 1500.0 << 600.0;
}

void TestGaugeFace::barHeights()
{
    QFETCH(QString, text);
    QFETCH(double, top);
    QFETCH(double, height);
    Module1 m = rangeOf(900, 1700);
    GaugeFace face;
    RedrawGauge(face, m, 150);
    // The reading goes on channel 2; the others keep their own values.
    DrawGaugeNeedle(face, m, readings({"1000", "1100", text, "1300"}));
    QCOMPARE(face.Shape1[2].top, top);
    QCOMPARE(face.Shape1[2].height, height);
    QCOMPARE(face.Shape1[0].top, 1000.0);
    QCOMPARE(face.Shape1[3].height, 400.0);
}

QTEST_APPLESS_MAIN(TestGaugeFace)
#include "test_gaugeface.moc"
