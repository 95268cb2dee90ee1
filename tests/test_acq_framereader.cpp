// The counted wait for a frame, and the start-up measurement of its budget.

#include "fakeclock.h"
#include "fakeseriallink.h"
#include "framereader.h"

#include <QTest>

using Chunks = QList<QByteArray>;

class TestAcqFrameReader : public QObject
{
    Q_OBJECT
private slots:
    void readComm_data();
    void readComm();
    void measurePollBudget_data();
    void measurePollBudget();
};

void TestAcqFrameReader::readComm_data()
{
    QTest::addColumn<Chunks>("chunks"); // one per read, then nothing
    QTest::addColumn<int>("pollLimit");
    QTest::addColumn<int>("stopAt");  // read during which Stop is pressed (0: never)
    QTest::addColumn<int>("abortAt"); // read during which the program starts closing
    QTest::addColumn<ReadCommResult>("result");
    QTest::addColumn<QString>("commText");
    QTest::addColumn<int>("reads");

    const auto frame = ReadCommResult::Frame;
    QTest::newRow("partial frame across reads")
        << Chunks{"66\r\n0,45", "0,461", "\r\n99"} << 100 << 0 << 0 << frame << "0,450,461" << 3;
    QTest::newRow("split inside CR LF")
        << Chunks{"x\r", "\n0,1,2,3,4\r", "\n"} << 100 << 0 << 0 << frame << "0,1,2,3,4" << 3;
    QTest::newRow("several frames waiting: the first")
        << Chunks{"a\r\n1,2\r\n3,4\r\n5,6\r\n"} << 100 << 0 << 0 << frame << "1,2" << 1;
    QTest::newRow("nothing: gives up after PollLimit + 1 reads")
        << Chunks{} << 5 << 0 << 0 << ReadCommResult::GaveUp << "" << 6;
    QTest::newRow("Stop during the wait")
        << Chunks{} << 5 << 2 << 0 << ReadCommResult::Stopped << "" << 6;
    QTest::newRow("closing ends the wait at once")
        << Chunks{} << 1000 << 0 << 3 << ReadCommResult::Stopped << "" << 3;
}

void TestAcqFrameReader::readComm()
{
    QFETCH(Chunks, chunks);
    QFETCH(int, pollLimit);
    QFETCH(int, stopAt);
    QFETCH(int, abortAt);
    QFETCH(ReadCommResult, result);
    QFETCH(QString, commText);
    QFETCH(int, reads);

    FakeSerialLink port;
    port.opened = true;
    for (const QByteArray& c : chunks)
        port.queue(c);
    qint16 stopFlag = 1; // left from an earlier time-out: the read clears it
    bool closing = false;
    port.onRead = [&] {
        if (port.readCalls == stopAt)
            stopFlag = 1;
        if (port.readCalls == abortAt)
            closing = true;
    };
    QString text = QStringLiteral("stale text");
    QString buffer = QStringLiteral("stale\r\nbuffer\r\n");

    QCOMPARE(ReadComm(
                 port, pollLimit, stopFlag, text, buffer, [] {}, [] {}, &closing),
             result);
    QCOMPARE(text, commText);
    QCOMPARE(port.readCalls, reads);
    QCOMPARE(stopFlag, qint16(result == ReadCommResult::Frame ? 0 : 1));
}

void TestAcqFrameReader::measurePollBudget_data()
{
    QTest::addColumn<int>("passesBeforeTick"); // passes until the clock turns one second
    QTest::addColumn<int>("expected");
    QTest::newRow("1000 passes") << 1000 << 4000;
    QTest::newRow("too few passes give the floor") << 3 << kMinPollLimit;
}

void TestAcqFrameReader::measurePollBudget()
{
    QFETCH(int, passesBeforeTick);
    QFETCH(int, expected);

    FakeClock clock;
    FakeSerialLink port;
    QString buffer, text;
    int passes = 0;
    const auto waiting = [&] {
        if (++passes == passesBeforeTick)
            clock.dateTime = clock.dateTime.addSecs(1);
        if (passes == 100000) // a measurement that never ends fails instead of hanging
            clock.dateTime = clock.dateTime.addDays(1);
    };
    QCOMPARE(MeasurePollBudget(clock, port, buffer, text, kLineBreak, waiting), expected);
    QCOMPARE(port.readCalls, passes);
}

QTEST_GUILESS_MAIN(TestAcqFrameReader)
#include "test_acq_framereader.moc"
