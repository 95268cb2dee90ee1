// Readings as they arrive: stamped on arrival, damaged lines never used, silence reported.

#include "fakeclock.h"
#include "fakeseriallink.h"
#include "loggerreader.h"
#include "silencebudget.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

struct Reader {
    FakeSerialLink port;
    FakeClock clock;
    LoggerReader reader{port, clock};
    Reader() { QVERIFY(port.open()); }
};

class TestLoggerReader : public QObject
{
    Q_OBJECT

private slots:
    void linesBecomeReadings_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<bool>("celsius");
        QTest::addColumn<QString>("newest"); // values of the newest reading, or empty for none
        QTest::addColumn<int>("rejected");
        // The text before the first line end is a torn line; the first good one proves the link.
        QTest::newRow("one line in Fahrenheit")
            << QList<QByteArray>{"tail\r\n0,0,0,0,0\r\n0,100,200,0,-40\r\n"} << false << "212 392 32 -40" << 0;
        QTest::newRow("in Celsius") << QList<QByteArray>{"\r\n0,0,0,0,0\n1,537.3,650,760.2,880\n"} << true
                                    << "537.3 650 760.2 880" << 0;
        QTest::newRow("the newest of several wins")
            << QList<QByteArray>{"\r\n1,1,1,1,1\r\n2,2,2,2,2\r\n3,3,3,3,3\r\n"} << true << "3 3 3 3"
            << 0;
        QTest::newRow("noise is counted, never used")
            << QList<QByteArray>{"\r\n0,0,0,0,0\r\n#@!\r\n1,10,20,30,40\r\n"} << true << "10 20 30 40" << 1;
        QTest::newRow("the first line only proves the logger sends")
            << QList<QByteArray>{"\r\n1,10,20,30,40\r\n"} << true << "" << 0;
    }

    void linesBecomeReadings()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(bool, celsius);
        QFETCH(QString, newest);
        QFETCH(int, rejected);
        Reader r;
        auto& [port, clock, reader] = r;
        reader.start(celsius, kRecorderChannels, 60s);
        for (const QByteArray& chunk : chunks)
            port.feed(chunk);
        const std::optional<LoggerReading> reading = reader.takeNewest();
        QCOMPARE(reader.rejectedLines(), qint64(rejected));
        if (newest.isEmpty()) {
            QVERIFY(!reading);
            return;
        }
        QVERIFY(reading);
        QStringList values;
        for (float v : reading->values)
            values << QString::number(v);
        QCOMPARE(values.join(QLatin1Char(' ')), newest);
        QVERIFY(!reader.takeNewest()); // taken once
    }

    void eachReadingKeepsItsArrivalTime()
    {
        Reader r;
        auto& [port, clock, reader] = r;
        reader.start(true, kRecorderChannels, 60s);
        port.feed("\r\n0,0,0,0,0\r\n");
        clock.seconds = 100.04f;
        port.feed("1,1,2,3,4\r\n");
        QCOMPARE(reader.takeNewest()->clock, 100.04f);
        // A late tick keeps the arrival time; a line split over two reads counts from its end.
        clock.seconds = 100.14f;
        port.feed("2,1,");
        clock.seconds = 100.2f;
        port.feed("2,3,4\r\n");
        clock.seconds = 100.31f;
        QCOMPARE(reader.takeNewest()->clock, 100.2f);
    }

    void aSilentLoggerIsReportedByItsDeadline()
    {
        Reader r;
        auto& [port, clock, reader] = r;
        QSignalSpy silent(&reader, &LoggerReader::silent);
        reader.start(true, kRecorderChannels, 150ms);
        QTest::qWait(80);
        port.feed("\r\n1,1,2,3,4\r\n"); // a good line moves the deadline
        QTest::qWait(100);
        QCOMPARE(silent.count(), 0);
        QVERIFY(silent.wait(1000));
        reader.stop();
        QTest::qWait(200);
        QCOMPARE(silent.count(), 1);
    }

    void silenceBudgetIsFourTimesTheMeasuredHalfSecond_data()
    {
        QTest::addColumn<int>("msPerClockRead"); // how far the monotonic clock moves per look
        QTest::addColumn<int>("budgetMs");
        // The whole-second clock moves one second per look: the first look past the deadline ends it.
        QTest::newRow("measured") << 300 << 1200;
        QTest::newRow("floor") << 1 << int(kMinSilenceBudget.count());
        QTest::newRow("ceiling") << 20000 << int(kMaxSilenceBudget.count());
    }

    void silenceBudgetIsFourTimesTheMeasuredHalfSecond()
    {
        QFETCH(int, msPerClockRead);
        QFETCH(int, budgetMs);
        FakeClock clock;
        clock.secondsPerDateTimeRead = 1;
        qint64 elapsed = 0;
        SilenceBudgetMeasurement measurement(clock, [&] { return elapsed += msPerClockRead; });
        QSignalSpy measured(&measurement, &SilenceBudgetMeasurement::measured);
        measurement.start();
        QVERIFY(measured.wait(1000));
        QCOMPARE(measured.at(0).at(0).value<std::chrono::milliseconds>().count(), qint64(budgetMs));
    }
};

QTEST_GUILESS_MAIN(TestLoggerReader)
#include "test_acq_loggerreader.moc"
