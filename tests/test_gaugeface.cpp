#include "gaugeface.h"

#include <QTest>
#include <cmath>

DerivedSettings rangeOf(double min, double max)
{
    DerivedSettings m = DeriveSettings(StoredSettings{});
    m.graphMin = min, m.graphMax = max, m.graphFactor = 1.0 / (max - min);
    return m;
}

class TestGaugeFace : public QObject
{
    Q_OBJECT
private slots:
    void grid_data()
    {
        QTest::addColumn<QList<double>>("lines"); // from graphMin up to graphMax
        QTest::addColumn<double>("placeholderTop");
        QTest::newRow("900-1700") << QList<double>{900, 1060, 1220, 1380, 1540, 1700} << 1530.0;
        QTest::newRow("span 12") << QList<double>{100, 103, 106, 109, 112} << 100.8;
        QTest::newRow("span 53") << QList<double>{100, 110.6, 121.2, 131.8, 142.4, 153} << 137.7;
        // 90 % of the maximum lies below the minimum: the placeholder must not go negative.
        QTest::newRow("span 58, narrow high range") << QList<double>{1000, 1029, 1058} << 1000.0;
        QTest::newRow("span 9") << QList<double>{100, 103, 106, 109} << 100.0;
        QTest::newRow("span 99999 beyond 16 bits")
            << QList<double>{0, 19999.8, 39999.6, 59999.4, 79999.2, 99999} << 89999.1;
    }
    // Redrawn over a face with a 5-division grid and standing bars, as after a range switch.
    void grid()
    {
        QFETCH(QList<double>, lines);
        QFETCH(double, placeholderTop);
        GaugeFace face;
        DerivedSettings wide = rangeOf(900, 1700), m = rangeOf(lines.first(), lines.last());
        LayOutGaugeFace(face, wide, 150);
        SetGaugeBars(face, wide, {1650, 950, kNoReading, 1200});
        LayOutGaugeFace(face, m, 150);
        for (int i = 0; i < kGridSlots; ++i) {
            const bool shown = i < lines.size();
            QVERIFY(face.gridLines[i].visible == shown && face.gridLabels[i].visible == shown);
            if (shown) { // labels show the line's value rounded to whole degrees
                QVERIFY(qAbs(face.gridLines[i].y - lines[i]) < 1e-9);
                QCOMPARE(face.gridLabels[i].caption, QString::number(std::lround(lines[i])));
            }
        }
        for (const Bar& bar : face.bars)
            QVERIFY(qFuzzyCompare(bar.top, placeholderTop) &&
                    qFuzzyCompare(bar.top - bar.height, lines.first()));
    }

    // Damaged settings still give a finite scale, grid lines inside it and no negative bar.
    void damagedRange_data()
    {
        QTest::addColumn<double>("min"), QTest::addColumn<double>("max");
        QTest::newRow("empty range") << 600.0 << 600.0;
        QTest::newRow("infinite max") << 600.0 << double(INFINITY);
    }
    void damagedRange()
    {
        QFETCH(double, min);
        QFETCH(double, max);
        GaugeFace face;
        LayOutGaugeFace(face, rangeOf(min, max), 150);
        const double bottom = face.scaleTop + face.scaleHeight;
        QVERIFY(std::isfinite(bottom) && face.scaleHeight < 0 && face.gridLines[5].visible);
        QVERIFY(face.gridLines[0].y >= bottom && face.gridLines[5].y <= face.scaleTop);
        for (const Bar& bar : face.bars)
            QVERIFY(bar.height >= 0);
    }

    // A bar stands on graphMin up to its reading, unclamped above graphMax; no reading, no bar.
    void barHeights()
    {
        DerivedSettings m = rangeOf(900, 1700);
        GaugeFace face;
        LayOutGaugeFace(face, m, 150);
        SetGaugeBars(face, m, {1234, kNoReading, 2100, 450}); // 450: an empty bar on graphMin
        QList<double> tops, heights;
        for (const Bar& bar : face.bars)
            tops << bar.top, heights << bar.height;
        QCOMPARE(tops, (QList<double>{1234, 900, 2100, 900}));
        QCOMPARE(heights, (QList<double>{334, 0, 1200, 0}));
    }
};

QTEST_APPLESS_MAIN(TestGaugeFace)
#include "test_gaugeface.moc"
