#include "graphcursor.h"
#include "runlines.h"

#include <cmath>

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

    // The nearest row by time: a binary search over ordered times must pick what a scan of
    // every row picks, ties to the earlier row included; a run whose clock went back is
    // scanned.
    void nearestRow_data()
    {
        QTest::addColumn<QStringList>("rows"), QTest::addColumn<float>("target"),
            QTest::addColumn<int>("row");
        const QStringList run{"0.5   1", "1.0   2", "1.0   3", "1.5   4"};
        QTest::newRow("halfway picks the earlier row") << run << 0.75f << 0;
        QTest::newRow("the first of equal times") << run << 1.1f << 1;
        QTest::newRow("exactly on equal times") << run << 1.0f << 1;
        QTest::newRow("before the first") << run << -3.0f << 0;
        QTest::newRow("after the last") << run << 99.0f << 3;
        QTest::newRow("farther than any row counts") << run << 200000.0f << 0;
        QTest::newRow("empty") << QStringList{} << 1.0f << -1;
        QTest::newRow("clock set back: scanned")
            << QStringList{"5.0   1", "6.0   2", "1.0   3", "2.0   4"} << 1.2f << 2;
        QTest::newRow("negative times after midnight")
            << QStringList{"-.3   1", "-.2   2", ".1   3"} << -0.24f << 1;
        QTest::newRow("no blank reads as time 0") << QStringList{"1300", "1.0   2"} << 0.2f << 0;
    }
    void nearestRow()
    {
        QFETCH(QStringList, rows);
        QFETCH(float, target);
        RunLines run;
        for (const QString& r : rows)
            run.append(r);
        QCOMPARE(run.nearestRow(target, kNoRowDistance), qsizetype(fetch<int>("row")));
        // The same answer as looking at every row.
        int best = rows.isEmpty() ? -1 : 0;
        float bestDistance = kNoRowDistance;
        for (int r = 0; r < rows.size(); ++r) {
            if (std::fabs(RowTime(rows[r]) - target) < bestDistance) {
                bestDistance = std::fabs(RowTime(rows[r]) - target);
                best = r;
            }
        }
        QCOMPARE(run.nearestRow(target, kNoRowDistance), qsizetype(best));
    }

    // A long run: every target between and beyond the rows gives what a scan gives.
    void nearestRowMatchesAScan()
    {
        RunLines run;
        QList<float> times;
        for (int i = 0; i < 3000; ++i) {
            // Ordered, with runs of equal times.
            const QString line =
                QString::number(std::floor(i * 0.7) / 10, 'f', 1) + QStringLiteral("   450");
            run.append(line);
            times << RowTime(line);
        }
        for (float target = -5.0f; target < 220.0f; target += 0.037f) {
            int best = 0;
            float bestDistance = kNoRowDistance;
            for (int r = 0; r < times.size(); ++r) {
                if (std::fabs(times[r] - target) < bestDistance) {
                    bestDistance = std::fabs(times[r] - target);
                    best = r;
                }
            }
            QCOMPARE(run.nearestRow(target, kNoRowDistance), qsizetype(best));
        }
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
        // A reading of 1E30 puts the marker far off the box, never past what a pixel holds.
        QCOMPARE(MarkerPixel(QPointF(12.4, -1e30 * 200)), QPoint(12, -1000000));
        QCOMPARE(MarkerPixel(QPointF(qQNaN(), 3.0)), QPoint(-1000000, 3));
    }
};

QTEST_GUILESS_MAIN(TestGraphCursor)
#include "test_graphcursor.moc"
