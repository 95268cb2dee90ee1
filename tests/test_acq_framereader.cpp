// Framing, the counted wait for a frame, and the start-up measurement of its budget.

#include "fakeclock.h"
#include "fakeseriallink.h"
#include "framereader.h"

#include <QTest>
#include <QTimer>

#include <limits>

using Chunks = QList<QByteArray>;

class TestAcqFrameReader : public QObject
{
    Q_OBJECT
private slots:
    void readComm_data();
    void readComm();
    void yieldsTwicePerPassAndOnceBefore();
    void stopDuringWait_data();
    void stopDuringWait();
    void abortEndsTheWaitAtOnce();
    void realYieldsLetTimersDeliverData();
    void measurePollBudget_data();
    void measurePollBudget();
};

void TestAcqFrameReader::readComm_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<int>("pollLimit");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("commText");
    QTest::addColumn<int>("reads");

    const int frame = int(ReadCommResult::Frame);
    const int gaveUp = int(ReadCommResult::GaveUp);

    QTest::newRow("partial frame across reads")
        << Chunks{"66\r\n0,45", "0,461", "\r\n99"} << 100 << frame << "0,450,461" << 3;
    QTest::newRow("split inside CR LF")
        << Chunks{"x\r", "\n0,1,2,3,4\r", "\n"} << 100 << frame << "0,1,2,3,4" << 3;
    QTest::newRow("several frames waiting: first complete one")
        << Chunks{"a\r\n1,2\r\n3,4\r\n5,6\r\n"} << 100 << frame << "1,2" << 1;
    QTest::newRow("quiet passes before data")
        << Chunks{"", "", "", "\r\n7,8\r\n"} << 100 << frame << "7,8" << 4;
    QTest::newRow("frame on the last allowed pass")
        << Chunks{"", "", "\r\n1\r\n"} << 2 << frame << "1" << 3;
    QTest::newRow("frame one pass too late")
        << Chunks{"", "", "\r\n1\r\n"} << 1 << gaveUp << "" << 2;
    QTest::newRow("nothing at all") << Chunks{} << 5 << gaveUp << "" << 6;
    QTest::newRow("budget zero still makes one pass") << Chunks{} << 0 << gaveUp << "" << 1;
    QTest::newRow("negative budget makes none") << Chunks{"\r\n1\r\n"} << -1 << gaveUp << "" << 0;
    QTest::newRow("lines without CR LF")
        << Chunks{"0,1,2\n", "0,1,2\n", "0,1"} << 3 << gaveUp << "" << 4;
    QTest::newRow("two CR LF in a row: empty frame")
        << Chunks{"abc\r\n\r\nxyz\r\n"} << 3 << frame << "" << 1;
    QTest::newRow("lone CR and LF stay in the frame")
        << Chunks{"\n1\r\n2\n3\r4\r\r\n"} << 3 << frame << "2\n3\r4\r" << 1;
    QTest::newRow("bytes outside ASCII")
        << Chunks{QByteArray("\r\n\xff\x00\x80,1\r\n", 9)} << 3 << frame
        << QString::fromLatin1(QByteArray("\xff\x00\x80,1", 5)) << 1;
}

void TestAcqFrameReader::readComm()
{
    QFETCH(Chunks, chunks);
    QFETCH(int, pollLimit);
    QFETCH(int, result);
    QFETCH(QString, commText);
    QFETCH(int, reads);

    FakeSerialLink port;
    port.opened = true;
    for (const QByteArray& c : chunks)
        port.queue(c);
    qint16 stopFlag = 1; // left from an earlier time-out: the read clears it
    QString text = QStringLiteral("stale text");
    QString buffer = QStringLiteral("stale\r\nbuffer\r\n");

    const ReadCommResult r = ReadComm(
        port, pollLimit, stopFlag, text, buffer, [] {}, [] {});
    QCOMPARE(int(r), result);
    QCOMPARE(text, commText);
    QCOMPARE(port.readCalls, reads);
    QCOMPARE(stopFlag, qint16(r == ReadCommResult::Frame ? 0 : 1));
}

void TestAcqFrameReader::yieldsTwicePerPassAndOnceBefore()
{
    FakeSerialLink port;
    port.opened = true;
    QString text, buffer;
    qint16 stopFlag = 0;
    QStringList order;
    port.onRead = [&] { order << QStringLiteral("read"); };
    const ReadCommResult r = ReadComm(
        port, 2, stopFlag, text, buffer, [&] { order << QStringLiteral("wait"); },
        [&] { order << QStringLiteral("now"); });
    QCOMPARE(r, ReadCommResult::GaveUp);
    QCOMPARE(order.join(QLatin1Char(' ')),
             QStringLiteral("now wait read now wait read now wait read now"));
}

void TestAcqFrameReader::stopDuringWait_data()
{
    QTest::addColumn<bool>("frameLater");
    QTest::addColumn<bool>("startAgain");
    QTest::addColumn<int>("result");
    QTest::addColumn<qint16>("stopFlag");

    QTest::newRow("stop, then silence")
        << false << false << int(ReadCommResult::Stopped) << qint16(1);
    QTest::newRow("stop, then a frame still arrives")
        << true << false << int(ReadCommResult::Frame) << qint16(1);
    QTest::newRow("stop and start inside the wait, then silence")
        << false << true << int(ReadCommResult::Stopped) << qint16(1);
}

// A Stop handled inside the wait must not be reported as a silent instrument, and does not cut
// the wait short: the tick that is waiting still gets its frame if one comes.
void TestAcqFrameReader::stopDuringWait()
{
    QFETCH(bool, frameLater);
    QFETCH(bool, startAgain);
    QFETCH(int, result);
    QFETCH(qint16, stopFlag);

    FakeSerialLink port;
    port.opened = true;
    for (int i = 0; i < 6; ++i)
        port.queue({});
    if (frameLater)
        port.queue("\r\n1,2\r\n");
    QString text, buffer;
    qint16 flag = 0;
    int waits = 0;
    const auto waiting = [&] {
        ++waits;
        if (waits == 3)
            flag = 1; // the Stop button
        if (waits == 4 && startAgain)
            flag = 0; // Start pressed before the read ended
    };
    const ReadCommResult r = ReadComm(port, 9, flag, text, buffer, waiting, [] {});
    QCOMPARE(int(r), result);
    QCOMPARE(flag, stopFlag);
    QCOMPARE(port.readCalls, frameLater ? 7 : 10);
}

void TestAcqFrameReader::abortEndsTheWaitAtOnce()
{
    FakeSerialLink port;
    port.opened = true;
    QString text, buffer;
    qint16 flag = 0;
    bool closing = false;
    int nows = 0;
    const ReadCommResult r = ReadComm(
        port, std::numeric_limits<qint32>::max(), flag, text, buffer, [] {},
        [&] {
            if (++nows == 4)
                closing = true;
        },
        &closing);
    QCOMPARE(r, ReadCommResult::Stopped);
    QCOMPARE(flag, qint16(1));
    QCOMPARE(port.readCalls, 3);
}

void TestAcqFrameReader::realYieldsLetTimersDeliverData()
{
    FakeSerialLink port;
    port.opened = true;
    QTimer::singleShot(30, [&] { port.queue("12\r\n0,450,461,472,483\r\n"); });
    QString text, buffer;
    qint16 flag = 0;
    // A budget far beyond the 30 ms: the wait ends by the frame, never by the count.
    const ReadCommResult r = ReadComm(port, 10'000'000, flag, text, buffer, YieldWaiting, YieldNow);
    QCOMPARE(r, ReadCommResult::Frame);
    QCOMPARE(text, QStringLiteral("0,450,461,472,483"));
}

void TestAcqFrameReader::measurePollBudget_data()
{
    QTest::addColumn<int>("yieldsBeforeTick"); // passes until the clock turns one second
    QTest::addColumn<int>("jumpBackAt");       // 0: the clock is not set back
    QTest::addColumn<int>("expected");

    QTest::newRow("1000 passes") << 1000 << 0 << 4000;
    QTest::newRow("501 passes") << 501 << 0 << 2004;
    QTest::newRow("too few passes give the floor") << 3 << 0 << kMinPollLimit;
    QTest::newRow("clock set back an hour") << 800 << 300 << 3200;
}

void TestAcqFrameReader::measurePollBudget()
{
    QFETCH(int, yieldsBeforeTick);
    QFETCH(int, jumpBackAt);
    QFETCH(int, expected);

    FakeClock clock;
    FakeSerialLink port;
    QString buffer, text;
    int yields = 0;
    const auto waiting = [&] {
        ++yields;
        if (yields == jumpBackAt)
            clock.dateTime = clock.dateTime.addSecs(-3600);
        if (yields == yieldsBeforeTick)
            clock.dateTime = clock.dateTime.addSecs(1);
        if (yields == 100000) // a measurement that never ends fails instead of hanging
            clock.dateTime = clock.dateTime.addDays(1);
    };
    const qint32 budget = MeasurePollBudget(clock, port, buffer, text, kLineBreak, waiting);
    QCOMPARE(budget, expected);
    QCOMPARE(port.readCalls, yields);
    QVERIFY(text.isEmpty()); // the dummy text holds no line break
}

QTEST_GUILESS_MAIN(TestAcqFrameReader)
#include "test_acq_framereader.moc"
