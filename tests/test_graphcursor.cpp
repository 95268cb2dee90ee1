#include "graphcursor.h"

#include <QTest>

using Starts = std::array<float, 4>;
Q_DECLARE_METATYPE(Starts)

class TestGraphCursor : public QObject
{
    Q_OBJECT
private slots:
    void sectionOfTime_data()
    {
        QTest::addColumn<Starts>("starts"), QTest::addColumn<float>("t"),
            QTest::addColumn<int>("k");
        QTest::newRow("third not started") << Starts{0, 15, 0, 0} << 20.0f << 1;
        QTest::newRow("right edge stays") << Starts{0, 15, 30, 0} << 15.0f << 0;
        QTest::newRow("wrap: oldest, left") << Starts{45, 15, 30, 0} << 20.0f << 1;
        QTest::newRow("second wrap: newest") << Starts{45, 60, 30, 0} << 65.0f << 1;
        QTest::newRow("cut from the chart") << Starts{45, 60, 30, 0} << 10.0f << 0;
    }
    void sectionOfTime()
    {
        QFETCH(Starts, starts);
        QFETCH(float, t);
        QTEST(SectionOfTime(t, starts), "k");
    }

    // The marker is not held inside the scale; the time shows in Single precision.
    void markerAndTime()
    {
        QCOMPARE(CursorMarkerPosition(20.0f, 15.0f, 1800, 900, 1.0 / 800), QPointF(4.7, 1.225));
        QCOMPARE(CursorTimeText(0.45f), QStringLiteral(".5"));
        // A reading of 1E30 puts the marker far off the box, never past what a pixel holds.
        QCOMPARE(MarkerPixel(QPointF(12.4, -1e30 * 200)), QPoint(12, -1000000));
        QCOMPARE(MarkerPixel(QPointF(qQNaN(), 3.0)), QPoint(-1000000, 3));
    }
};

QTEST_GUILESS_MAIN(TestGraphCursor)
#include "test_graphcursor.moc"
