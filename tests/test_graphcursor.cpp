#include "graphcursor.h"

#include <QTest>

using Starts = std::array<float, 4>;
Q_DECLARE_METATYPE(Starts)

template <typename T> T fetch(const char* name)
{
    return *static_cast<T*>(QTest::qData(name, qMetaTypeId<T>()));
}

class TestGraphCursor : public QObject
{
    Q_OBJECT
private slots:
    void rowParsing_data()
    {
        QTest::addColumn<QString>("row"), QTest::addColumn<float>("t"),
            QTest::addColumn<double>("v");
        QTest::newRow("time without leading zero") << ".5   -40   7" << 0.5f << -40.0;
        QTest::newRow("single value runs to the end") << "7.5   1300" << 7.5f << 1300.0;
        QTest::newRow("not a number") << "2.0   Open   5" << 2.0f << 0.0;
        QTest::newRow("no blank") << "1300" << 0.0f << 0.0;
    }
    void rowParsing()
    {
        QCOMPARE(RowTime(fetch<QString>("row")), fetch<float>("t"));
        QCOMPARE(FirstChannelValue(fetch<QString>("row")), fetch<double>("v"));
    }

    void nearestRow()
    {
        const QStringList run{"0.5   1", "1.0   2", "1.0   3", "1.5   4"};
        QCOMPARE(NearestRow(run, 0.75f), 0); // halfway picks the earlier row
        QCOMPARE(NearestRow(run, 1.1f), 1);  // the first of equal times
        QCOMPARE(NearestRow({}, 1.0f), -1);
    }

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
        QCOMPARE(SectionOfTime(fetch<float>("t"), fetch<Starts>("starts")), fetch<int>("k"));
    }

    // The marker is not held inside the scale; the time shows in Single precision.
    void markerAndTime()
    {
        QCOMPARE(CursorMarkerPosition(20.0f, 15.0f, 1800, 900, 1.0 / 800), QPointF(4.7, 1.225));
        QCOMPARE(CursorTimeText(0.45f), QStringLiteral(".5"));
    }
};

QTEST_GUILESS_MAIN(TestGraphCursor)
#include "test_graphcursor.moc"
