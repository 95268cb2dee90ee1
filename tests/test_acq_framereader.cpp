// Keeping the received text between reads, telling instrument frames from damaged lines, the
// wait for a frame against its deadline, the start-up measurement of the budget, and what ends
// a wait on a real port (the simulator on a pseudo-terminal).

#include "fakeclock.h"
#include "fakeseriallink.h"
#include "framereader.h"
#include "qtseriallink.h"
#include "simulatorprocess.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Chunks = QList<QByteArray>;
using std::chrono::milliseconds;

namespace
{

constexpr int kChannels = 4;
constexpr int kSimPort = 5;
// Longer than CTest lets a test run: a wait that misses its wake-up fails the test by hanging.
constexpr milliseconds kNoTimeout{600000};

enum class During { Nothing, Interrupt, Close, NestedWait };

// `count` readings of a four-channel instrument as sent, each followed by CR LF, after the tail
// of a line sent before the port was opened; `frames` gets the frames without CR LF.
QByteArray instrumentStream(int count, QStringList& frames)
{
    QByteArray bytes = ".3,63.2\r\n";
    for (int k = 0; k < count; ++k) {
        const QString frame = QStringLiteral("%1,%2,%3,%4,%5")
                                  .arg(k)
                                  .arg(500.0 + k, 0, 'f', 1)
                                  .arg(480.0 - k, 0, 'f', 1)
                                  .arg(455.1 + k, 0, 'f', 1)
                                  .arg(63.2, 0, 'f', 1);
        frames << frame;
        bytes += frame.toLatin1() + "\r\n";
    }
    return bytes;
}

Chunks cutInto(const QByteArray& bytes, int size)
{
    Chunks chunks;
    for (qsizetype i = 0; i < bytes.size(); i += size)
        chunks << bytes.mid(i, size);
    return chunks;
}

} // namespace

class TestAcqFrameReader : public QObject
{
    Q_OBJECT
private slots:
    void assembler_data();
    void assembler();
    void instrumentFrame_data();
    void instrumentFrame();
    void consecutiveReads_data();
    void consecutiveReads();
    void waitAndDeadline_data();
    void waitAndDeadline();
    void measurePollBudget_data();
    void measurePollBudget();
    void realPortWait_data();
    void realPortWait();
    void devicePathNeedsNoLink();
};

void TestAcqFrameReader::assembler_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<bool>("takeAfterEach"); // else every frame is taken at the end
    QTest::addColumn<int>("resetBefore");    // chunk before which reset() runs again (-1: none)
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<int>("dropped");
    QTest::addColumn<int>("cut");

    QTest::newRow("CR or LF alone ends no frame")
        << Chunks{"x\r\n1\r2\n3\r\n"} << true << -1 << QStringList{"1\r2\n3"} << 0 << 0;
    QTest::newRow("reset forgets the held text and drops the next tail")
        << Chunks{"x\r\n1,2\r\n3,", "4\r\n5,6\r\n"} << true << 1 << QStringList{"1,2", "5,6"} << 0
        << 0;
    QTest::newRow("a line without end is cut, its rest dropped")
        << Chunks{"x\r\n" + QByteArray(FrameAssembler::kMaxLineLength + 1, '7'), "77\r\n1,2\r\n"}
        << true << -1 << QStringList{"1,2"} << 0 << 1;
    QTest::newRow("a cut line keeps a final CR for its CR LF")
        << Chunks{"x\r\n" + QByteArray(FrameAssembler::kMaxLineLength, '7') + "\r", "\n1,2\r\n"}
        << true << -1 << QStringList{"1,2"} << 0 << 1;
}

void TestAcqFrameReader::assembler()
{
    QFETCH(Chunks, chunks);
    QFETCH(bool, takeAfterEach);
    QFETCH(int, resetBefore);
    QFETCH(QStringList, frames);
    QFETCH(int, dropped);
    QFETCH(int, cut);

    FrameAssembler assembler;
    assembler.append("left from an earlier session\r\n9,9\r\n");
    assembler.reset();

    QStringList taken;
    QString frame;
    for (int i = 0; i < chunks.size(); ++i) {
        if (i == resetBefore)
            assembler.reset();
        assembler.append(chunks[i]);
        QVERIFY(assembler.waitingFrames() <= FrameAssembler::kMaxWaitingFrames);
        QVERIFY(assembler.unfinishedLength() <= FrameAssembler::kMaxLineLength);
        while (takeAfterEach && assembler.takeFrame(frame))
            taken << frame;
    }
    while (assembler.takeFrame(frame))
        taken << frame;
    QCOMPARE(taken, frames);
    QCOMPARE(assembler.droppedFrames(), qint64(dropped));
    QCOMPARE(assembler.cutLines(), qint64(cut));
}

void TestAcqFrameReader::instrumentFrame_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<int>("channels");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("four readings") << "17,512.3,498.7,455.1,63.2" << 4 << true;
    QTest::newRow("signs") << "0,-12.5,+20,-0,0.0" << 4 << true;
    QTest::newRow("blanks around numbers") << "0, 450 ,  461.5,472 , 483  " << 4 << true;
    QTest::newRow("counter not looked at") << "#x ,1,2,3,4" << 4 << true;
    QTest::newRow("two channels") << "0,1,2" << 2 << true;
    QTest::newRow("lowest and highest") << "0,-300,3000,-300.0,3000.0" << 4 << true;

    QTest::newRow("too few fields") << "0,450,461" << 4 << false;
    QTest::newRow("too many fields") << "0,1,2,3,4,5" << 4 << false;
    QTest::newRow("empty frame") << "" << 4 << false;
    QTest::newRow("no channels") << "0" << 0 << false;
    QTest::newRow("letters") << "0,45a,1,2,3" << 4 << false;
    QTest::newRow("OVR") << "0,OVR,1,2,3" << 4 << false;
    QTest::newRow("empty field") << "0,1,,3,4" << 4 << false;
    QTest::newRow("blank field") << "0,1,  ,3,4" << 4 << false;
    QTest::newRow("two frames run together")
        << "17,450.1,4618,450.2,461.0,470.3,480.9" << 4 << false;
    QTest::newRow("run together with the right field count") << "17,4618,450.2" << 2 << false;
    QTest::newRow("huge number") << "0,99999999999999999999,1,2,3" << 4 << false;
    QTest::newRow("just above the range") << "0,1,2,3000.1,3" << 4 << false;
    QTest::newRow("below absolute zero") << "0,1,2,3,-300.5" << 4 << false;
    QTest::newRow("exponent") << "0,1e3,1,2,3" << 4 << false;
    QTest::newRow("point without digits") << "0,.5,5.,1,2" << 4 << false;
    QTest::newRow("blank inside a number") << "0,4 50,1,2,3" << 4 << false;
    QTest::newRow("CR inside a field") << "0,1,2,3,4\r" << 4 << false;
    QTest::newRow("binary bytes") << QString::fromLatin1("\x01,\xff,9\x00,2,3", 11) << 4 << false;
}

void TestAcqFrameReader::instrumentFrame()
{
    QFETCH(QString, frame);
    QFETCH(int, channels);
    QFETCH(bool, accepted);
    QCOMPARE(IsInstrumentFrame(frame, channels), accepted);
}

void TestAcqFrameReader::consecutiveReads_data()
{
    QTest::addColumn<Chunks>("chunks");     // one per look at the port
    QTest::addColumn<QStringList>("texts"); // CommText of each read, every one a Frame
    QTest::addColumn<int>("rejected");      // frames skipped over all the reads
    QTest::addColumn<int>("droppedByBacklog");

    QStringList ten;
    const QByteArray stream = instrumentStream(10, ten);
    QTest::newRow("10 frames in, 10 frames out, cut anywhere")
        << cutInto(stream, 7) << ten << 0 << 0;
    QTest::newRow("split inside CR LF") << Chunks{"x\r", "\n0,1,2,3,4\r", "\n1,5,6,7,8\r", "\n"}
                                        << QStringList{"0,1,2,3,4", "1,5,6,7,8"} << 0 << 0;
    QTest::newRow("a fast instrument leaves only the newest three")
        << Chunks{"x\r\n1,1,1,1,1\r\n2,2,2,2,2\r\n3,3,3,3,3\r\n4,4,4,4,4\r\n5,5,5,5,5\r\n"}
        << QStringList{"3,3,3,3,3", "4,4,4,4,4", "5,5,5,5,5"} << 0 << 2;
    // The partial-line fault: a line cut short without CR LF runs into the next one.
    QTest::newRow("a cut line and the next one are skipped together")
        << Chunks{"x\r\n16,450.0,460.9,470.2,480.8\r\n", "17,450.1,46",
                  "18,450.2,461.0,470.3,480.9\r\n", "19,450.3,461.1,470.4,481.0\r\n"}
        << QStringList{"16,450.0,460.9,470.2,480.8", "19,450.3,461.1,470.4,481.0"} << 1 << 0;
    QTest::newRow("a line cut in its counter: the next line's values are kept")
        << Chunks{"x\r\n1", "18,450.2,461.0,470.3,480.9\r\n"}
        << QStringList{"118,450.2,461.0,470.3,480.9"} << 0 << 0;
    QTest::newRow("empty frame is no reading")
        << Chunks{"x\r\n\r\n0,1,2,3,4\r\n"} << QStringList{"0,1,2,3,4"} << 1 << 0;
}

void TestAcqFrameReader::consecutiveReads()
{
    QFETCH(Chunks, chunks);
    QFETCH(QStringList, texts);
    QFETCH(int, rejected);
    QFETCH(int, droppedByBacklog);

    FakeSerialLink port;
    port.opened = true;
    for (const QByteArray& c : chunks)
        port.queue(c);
    qint64 now = 0;
    bool closing = false;
    port.onWait = [&](milliseconds timeout) {
        now += std::min<qint64>(timeout.count(), 10);
        if (port.waits.size() > 1000) // a read that never ends fails instead of hanging
            closing = true;
    };

    FrameAssembler assembler;
    assembler.reset();
    qint64 skipped = 0;
    QStringList taken;
    for (int i = 0; i < texts.size(); ++i) {
        qint16 stopFlag = 1;
        QString text = QStringLiteral("stale");
        QCOMPARE(ReadComm(port, assembler, milliseconds(2000), stopFlag, text, kChannels, skipped,
                          &closing, [&] { return now; }),
                 ReadCommResult::Frame);
        QCOMPARE(stopFlag, qint16(0));
        taken << text;
    }
    QCOMPARE(taken, texts);
    QCOMPARE(skipped, qint64(rejected));
    QCOMPARE(assembler.droppedFrames(), qint64(droppedByBacklog));
}

void TestAcqFrameReader::waitAndDeadline_data()
{
    QTest::addColumn<Chunks>("chunks"); // one per look at the port
    QTest::addColumn<int>("budgetMs");
    QTest::addColumn<int>("stepMs");  // time each wait lasts at most (0: its whole timeout)
    QTest::addColumn<int>("stopAt");  // wait during which Stop is pressed (0: never)
    QTest::addColumn<int>("abortAt"); // wait during which the program starts closing
    QTest::addColumn<ReadCommResult>("result");
    QTest::addColumn<QString>("commText");
    QTest::addColumn<QList<int>>("waits"); // timeouts asked for, in ms

    const auto frame = ReadCommResult::Frame;
    const auto gaveUp = ReadCommResult::GaveUp;
    const auto stopped = ReadCommResult::Stopped;
    const Chunks noise{"no", "is", "e", "!", "?"};
    QTest::newRow("frame waiting: no wait") << Chunks{"x\r\n1,2,3,4,5\r\n"} << 2000 << 0 << 0 << 0
                                            << frame << "1,2,3,4,5" << QList<int>{};
    QTest::newRow("frame arrives during the wait")
        << Chunks{"x\r\n", "1,2,3,4,5\r\n"} << 2000 << 300 << 0 << 0 << frame << "1,2,3,4,5"
        << QList<int>{2000};
    QTest::newRow("silence: one wait of the whole budget")
        << Chunks{} << 2000 << 0 << 0 << 0 << gaveUp << "" << QList<int>{2000};
    QTest::newRow("bytes without a frame do not stretch the deadline")
        << noise << 2000 << 700 << 0 << 0 << gaveUp << "" << QList<int>{2000, 1300, 600};
    QTest::newRow("Stop during the wait: no message")
        << noise << 2000 << 500 << 2 << 0 << stopped << "" << QList<int>{2000, 1500, 1000, 500};
    QTest::newRow("Stop during the wait, then a frame: taken")
        << Chunks{"", "x\r\n1,2,3,4,5\r\n"} << 2000 << 500 << 1 << 0 << frame << "1,2,3,4,5"
        << QList<int>{2000};
    QTest::newRow("closing ends the wait at once")
        << noise << 60000 << 10 << 0 << 2 << stopped << "" << QList<int>{60000, 59990};
    QTest::newRow("closing leaves a frame that arrived meanwhile")
        << Chunks{"", "x\r\n1,2,3,4,5\r\n"} << 60000 << 10 << 0 << 1 << stopped << ""
        << QList<int>{60000};
}

void TestAcqFrameReader::waitAndDeadline()
{
    QFETCH(Chunks, chunks);
    QFETCH(int, budgetMs);
    QFETCH(int, stepMs);
    QFETCH(int, stopAt);
    QFETCH(int, abortAt);
    QFETCH(ReadCommResult, result);
    QFETCH(QString, commText);
    QFETCH(QList<int>, waits);

    FakeSerialLink port;
    port.opened = true;
    for (const QByteArray& c : chunks)
        port.queue(c);
    qint64 now = 5000;   // the time source's zero is not the read's start
    qint16 stopFlag = 1; // left from an earlier time-out: the read clears it
    bool closing = false;
    QList<int> asked;
    port.onWait = [&](milliseconds timeout) {
        asked << static_cast<int>(timeout.count());
        now += stepMs > 0 ? std::min<qint64>(timeout.count(), stepMs) : timeout.count();
        const auto n = static_cast<int>(asked.size());
        if (n == stopAt)
            stopFlag = 1;
        if (n == abortAt || n > 1000)
            closing = true;
    };

    FrameAssembler assembler;
    qint64 skipped = 0;
    QString text = QStringLiteral("stale text");
    QCOMPARE(ReadComm(port, assembler, milliseconds(budgetMs), stopFlag, text, kChannels, skipped,
                      &closing, [&] { return now; }),
             result);
    QCOMPARE(text, commText);
    QCOMPARE(asked, waits);
    QCOMPARE(skipped, qint64(0));
    QCOMPARE(stopFlag, qint16(result == ReadCommResult::Frame && stopAt == 0 ? 0 : 1));
}

void TestAcqFrameReader::measurePollBudget_data()
{
    QTest::addColumn<int>("passesBeforeTick"); // passes until the clock turns one second
    QTest::addColumn<int>("msPerPass");
    QTest::addColumn<int>("pollLimit");
    QTest::addColumn<int>("budgetMs");
    QTest::newRow("1000 passes of 1 ms") << 1000 << 1 << 4000 << 4000;
    QTest::newRow("500 passes of 3 ms") << 500 << 3 << 2000 << 6000;
    QTest::newRow("too few passes give the floor") << 3 << 1 << kMinPollLimit << 2000;
    QTest::newRow("instant passes: a second at least") << 1000 << 0 << 4000 << 1000;
    QTest::newRow("slow passes: a minute at most") << 1000 << 20 << 4000 << 60000;
}

void TestAcqFrameReader::measurePollBudget()
{
    QFETCH(int, passesBeforeTick);
    QFETCH(int, msPerPass);
    QFETCH(int, pollLimit);
    QFETCH(int, budgetMs);

    FakeClock clock;
    FakeSerialLink port;
    QString buffer, text;
    int passes = 0;
    qint64 now = 0;
    const auto waiting = [&] {
        now += msPerPass;
        if (++passes == passesBeforeTick)
            clock.dateTime = clock.dateTime.addSecs(1);
        if (passes == 100000) // a measurement that never ends fails instead of hanging
            clock.dateTime = clock.dateTime.addDays(1);
    };
    const PollBudget budget =
        MeasurePollBudget(clock, port, buffer, text, kLineBreak, waiting, [&] { return now; });
    QCOMPARE(budget.PollLimit, pollLimit);
    QCOMPARE(budget.timeBudget.count(), qint64(budgetMs));
    QCOMPARE(port.readCalls, passes);
}

void TestAcqFrameReader::realPortWait_data()
{
    QTest::addColumn<bool>("silent");   // the simulator sends nothing, else 10 frames a second
    QTest::addColumn<During>("during"); // what a handler does while the wait runs
    QTest::addColumn<bool>("bytes");    // bytes are there once the wait is over
    QTest::addColumn<bool>("open");

    QTest::newRow("bytes arriving end the wait") << false << During::Nothing << true << true;
    QTest::newRow("interruptWait ends the wait") << true << During::Interrupt << false << true;
    QTest::newRow("the port closing ends the wait") << true << During::Close << false << false;
    QTest::newRow("interruptWait ends a wait inside a wait")
        << true << During::NestedWait << false << true;
}

void TestAcqFrameReader::realPortWait()
{
    QFETCH(bool, silent);
    QFETCH(During, during);
    QFETCH(bool, bytes);
    QFETCH(bool, open);

    QTemporaryDir dir;
    SimulatorProcess sim(dir.path());
    if (!sim.start(kSimPort, {"--fault", silent ? "silence" : "none"}))
        QSKIP(qPrintable(sim.why()));
    QtSerialLink link(dir.path());
    link.setPort(kSimPort);
    QVERIFY(link.setSettings(QStringLiteral("19200,N,8,1")));
    QVERIFY(link.open());

    bool innerWaitEnded = false;
    QTimer::singleShot(0, [&] {
        switch (during) {
        case During::Nothing:
            break;
        case During::Interrupt:
            link.interruptWait();
            break;
        case During::Close:
            link.close();
            break;
        case During::NestedWait:
            QTimer::singleShot(0, [&] { link.interruptWait(); });
            link.waitForBytes(kNoTimeout);
            innerWaitEnded = true;
            break;
        }
    });
    link.waitForBytes(kNoTimeout);
    QCOMPARE(innerWaitEnded, during == During::NestedWait);
    QCOMPARE(!link.readAll().isEmpty(), bytes);
    QCOMPARE(link.isOpen(), open);
}

// A port given by its device path opens without a ports/COMn link in the program folder, and a
// port number afterwards selects by number again.
void TestAcqFrameReader::devicePathNeedsNoLink()
{
    QTemporaryDir simFolder;
    SimulatorProcess sim(simFolder.path());
    if (!sim.start(kSimPort))
        QSKIP(qPrintable(sim.why()));
    const QString device =
        QFileInfo(simFolder.filePath(QStringLiteral("ports/COM%1").arg(kSimPort))).symLinkTarget();
    QVERIFY(device.startsWith(QStringLiteral("/dev/")));

    QTemporaryDir programFolder; // every COM number links to nothing here
    QVERIFY(SimulatorProcess::blockRealPorts(programFolder.path()));
    QtSerialLink link(programFolder.path());
    link.setPort(kSimPort);
    link.setDevice(device);
    QVERIFY(link.setSettings(QStringLiteral("19200,N,8,1")));
    QVERIFY(link.open());
    QByteArray received;
    for (int wait = 0; wait < 10 && !received.contains("\r\n"); ++wait) {
        link.waitForBytes(std::chrono::seconds(30));
        received += link.readAll();
    }
    QVERIFY2(received.contains("\r\n"), received.constData());
    link.close();

    link.setPort(kSimPort);
    QVERIFY(!link.open());
    QCOMPARE(link.devicePath(),
             programFolder.filePath(QStringLiteral("ports/COM%1").arg(kSimPort)));
}

QTEST_GUILESS_MAIN(TestAcqFrameReader)
#include "test_acq_framereader.moc"
