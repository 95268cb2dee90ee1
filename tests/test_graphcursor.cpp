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
        QTest::addColumn<QString>("row"), QTest::addColumn<float>("time"),
            QTest::addColumn<double>("first");
        QTest::newRow("four channels") << "12.3   1300   1250   1100   900" << 12.3f << 1300.0;
        QTest::newRow("time without leading zero") << ".5   -40   7" << 0.5f << -40.0;
        QTest::newRow("one-digit value") << "3.0   5   6" << 3.0f << 5.0;
        QTest::newRow("single value runs to the end") << "7.5   1300" << 7.5f << 1300.0;
        QTest::newRow("not a number") << "2.0   Open   5" << 2.0f << 0.0;
        QTest::newRow("no blank") << "1300" << 0.0f << 0.0;
    }
    void rowParsing()
    {
        QCOMPARE(RowTime(fetch<QString>("row")), fetch<float>("time"));
        QCOMPARE(FirstChannelValue(fetch<QString>("row")), fetch<double>("first"));
    }

    void nearestRow_data()
    {
        QTest::addColumn<QStringList>("rows"), QTest::addColumn<float>("target"),
            QTest::addColumn<int>("expected");
        const QStringList run{"0.5   1", "1.0   2", "1.0   3", "1.5   4"};
        QTest::newRow("halfway picks the earlier") << run << 0.75f << 0;
        QTest::newRow("first of equal times") << run << 1.1f << 1;
        QTest::newRow("all too far") << run << 3.0e5f << 0;
        QTest::newRow("empty list") << QStringList{} << 1.0f << -1;
    }
    void nearestRow()
    {
        QCOMPARE(NearestRow(fetch<QStringList>("rows"), fetch<float>("target")),
                 fetch<int>("expected"));
    }

    void sectionOfTime_data()
    {
        QTest::addColumn<Starts>("starts"), QTest::addColumn<float>("t"),
            QTest::addColumn<int>("expected");
        QTest::newRow("run start") << Starts{0, 0, 0, 0} << 0.0f << 0;
        QTest::newRow("second, third not started") << Starts{0, 15, 0, 0} << 20.0f << 1;
        QTest::newRow("right edge stays") << Starts{0, 15, 30, 0} << 15.0f << 0;
        QTest::newRow("wrap: oldest, left") << Starts{45, 15, 30, 0} << 20.0f << 1;
        QTest::newRow("wrap: middle") << Starts{45, 15, 30, 0} << 35.0f << 2;
        QTest::newRow("second wrap: newest, older data next")
            << Starts{45, 60, 30, 0} << 65.0f << 1;
        QTest::newRow("cut from the chart") << Starts{45, 60, 30, 0} << 10.0f << 0;
    }
    void sectionOfTime()
    {
        QCOMPARE(SectionOfTime(fetch<float>("t"), fetch<Starts>("starts")), fetch<int>("expected"));
    }

    // Clicking a list row comes back to the first row with that row's time, inside its section.
    void listClickRoundTrip()
    {
        const Starts starts{45, 60, 30, 0};
        const QStringList rows{"31.1   1", "44.9   2", "45.2   3", "45.2   4", "67.7   5"};
        const QList<int> expected{0, 1, 2, 2, 4};
        for (int r = 0; r < rows.size(); ++r) {
            const int k = SectionOfTime(RowTime(rows[r]), starts);
            const float mouseX = RowTime(rows[r]) - starts[k];
            QVERIFY(mouseX >= 0 && mouseX <= 15);
            QCOMPARE(NearestRow(rows, starts[k] + mouseX), expected[r]);
        }
    }

    void marker_data()
    {
        QTest::addColumn<double>("value"), QTest::addColumn<double>("top");
        QTest::newRow("inside the range") << 1300.0 << 0.6;
        QTest::newRow("above GraphMax, not limited") << 1800.0 << 1.225;
        QTest::newRow("below GraphMin") << 500.0 << -0.4;
    }
    void marker()
    {
        const QPointF at =
            CursorMarkerPosition(20.0f, 15.0f, fetch<double>("value"), 900, 1.0 / 800);
        QCOMPARE(at, QPointF(4.7, fetch<double>("top")));
    }

    void timeText_data()
    {
        QTest::addColumn<float>("t"), QTest::addColumn<QString>("text");
        QTest::newRow("below one second") << 0.5f << ".5";
        QTest::newRow("Single rounding") << 0.45f << ".5";
    }
    void timeText() { QCOMPARE(CursorTimeText(fetch<float>("t")), fetch<QString>("text")); }
};

QTEST_GUILESS_MAIN(TestGraphCursor)
#include "test_graphcursor.moc"
