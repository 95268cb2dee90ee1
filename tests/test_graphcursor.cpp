#include "graphcursor.h"
#include "runmodel.h"

#include <QTemporaryDir>
#include <QTest>
#include <cmath>

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
    // The row a click on the chart finds: the search over ordered times must pick what a scan
    // of every row picks, ties to the earlier row included, for targets between, on and beyond
    // the rows.
    void nearestRowMatchesAScan_data()
    {
        QTest::addColumn<QList<float>>("times");
        QTest::newRow("halfway between rows") << QList<float>{0.5f, 1, 1, 1.5f};
        QTest::newRow("negative times after midnight") << QList<float>{-0.3f, -0.2f, 0.1f};
        QTest::newRow("clock set back") << QList<float>{5, 6, 1, 2};
        QList<float> equalTimes;
        for (int i = 0; i < 3000; ++i)
            equalTimes << float(std::floor(i * 0.7) / 10);
        QTest::newRow("a long run with equal times") << equalTimes;
    }
    void nearestRowMatchesAScan()
    {
        QFETCH(QList<float>, times);
        QTemporaryDir dir;
        RunModel run(dir.path());
        for (float t : times) {
            RunSample sample;
            sample.time = t;
            run.addSample(sample);
        }
        for (float target = times.first() - 5; target < times.last() + 5; target += 0.037f) {
            qsizetype best = 0;
            float bestDistance = kNoRowDistance;
            for (qsizetype r = 0; r < times.size(); ++r) {
                if (std::fabs(times[r] - target) < bestDistance) {
                    bestDistance = std::fabs(times[r] - target);
                    best = r;
                }
            }
            QCOMPARE(run.nearestRow(target, kNoRowDistance), best);
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
