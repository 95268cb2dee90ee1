// The real serial link against the instrument simulator on a pseudo-terminal. Every port
// number of the scratch program folder has a link, so nothing here reaches a real device.

#include "decoder.h"
#include "framereader.h"
#include "portcommands.h"
#include "portpath.h"
#include "qtseriallink.h"
#include "seams.h"
#include "simulatorprocess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <set>

constexpr int kSimPort = 5;

class TestSerialSim : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void probeSeesOnlyTheSimulator();
    void framesArriveAndDecode();
    void disconnectEndsInGiveUp();
    void cleanup();

private:
    // Makes a fresh program folder, writes `frames` (if any) to the simulator's frames file and
    // starts the simulator on kSimPort. Empty when it came up, otherwise the reason.
    QString startSim(QStringList args, const QByteArray& frames = {});
    qint32 m_pollLimit = 0;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<SimulatorProcess> m_sim;
};

void TestSerialSim::initTestCase()
{
    if (!QFile::exists(qEnvironmentVariable("TR_SIMULATOR")))
        QSKIP("TR_SIMULATOR is not set to the simulator");
    // The budget as start-up measures it, with the real clock and yields.
    QTemporaryDir empty;
    QtSerialLink closedPort(empty.path());
    SystemClock clock;
    QString buffer, text;
    m_pollLimit = MeasurePollBudget(clock, closedPort, buffer, text, kLineBreak, YieldWaiting);
}

QString TestSerialSim::startSim(QStringList args, const QByteArray& frames)
{
    m_sim.reset();
    m_folder = std::make_unique<QTemporaryDir>();
    if (!m_folder->isValid())
        return QStringLiteral("no scratch folder");
    if (!frames.isEmpty()) {
        QFile file(m_folder->filePath(QStringLiteral("frames.txt")));
        if (!file.open(QIODevice::WriteOnly) || file.write(frames) != frames.size())
            return QStringLiteral("cannot write the frames file");
        args << "--frames" << file.fileName();
    }
    m_sim = std::make_unique<SimulatorProcess>(m_folder->path());
    if (!m_sim->start(kSimPort, QStringList{"--rate", "20"} + args))
        return m_sim->why();
    return {};
}

void TestSerialSim::probeSeesOnlyTheSimulator()
{
    if (const QString why = startSim({}); !why.isEmpty())
        QSKIP(qPrintable(why));
    const QString folder = m_folder->path();
    QVERIFY(ComPortExists(folder, kSimPort));
    QVERIFY(!ComPortExists(folder, 3)); // a dangling link is an absent port
    QVERIFY(!ComPortExists(folder, 17));
    QCOMPARE(FindComPorts([&](int n) { return ComPortExists(folder, n); }),
             QStringList{QString::number(kSimPort)});
}

void TestSerialSim::framesArriveAndDecode()
{
    // Lines told apart by their first field, decoding alike; the simulator cycles through them.
    if (const QString why = startSim({}, "1,100,-5.5,1e3\n2,100,-5.5,1e3\n3,100,-5.5,1e3\n");
        !why.isEmpty())
        QSKIP(qPrintable(why));
    QtSerialLink link(m_folder->path());
    qint16 comPort = kSimPort;
    StartComm(link, comPort);
    QVERIFY(link.isOpen());

    std::set<QString> seen;
    for (int k = 0; k < 6; ++k) {
        qint16 stopFlag = 0;
        QString commText, buffer;
        QCOMPARE(ReadComm(link, m_pollLimit, stopFlag, commText, buffer, YieldWaiting, YieldNow),
                 ReadCommResult::Frame);
        seen.insert(commText.left(2));
        std::array<float, kMaxChannels> t{};
        std::array<QString, kMaxChannels> texts;
        QVERIFY(BreakoutTempData(commText, t, 4, 1, texts));
        QCOMPARE((std::array<float, 4>{t[0], t[1], t[2], t[3]}),
                 (std::array<float, 4>{100.0f, -5.5f, 1000.0f, 1000.0f}));
    }
    QVERIFY(seen.size() >= 2); // a fresh frame each time
}

void TestSerialSim::disconnectEndsInGiveUp()
{
    if (const QString why = startSim({"--fault", "disconnect", "--fault-after", "0.6"});
        !why.isEmpty())
        QSKIP(qPrintable(why));
    QtSerialLink link(m_folder->path());
    qint16 comPort = kSimPort;
    StartComm(link, comPort);
    QVERIFY(link.isOpen());

    int reads = 0;
    qint16 stopFlag = 0;
    QString commText, buffer;
    ReadCommResult r = ReadCommResult::Frame;
    for (; reads < 200 && r == ReadCommResult::Frame; ++reads)
        r = ReadComm(link, m_pollLimit, stopFlag, commText, buffer, YieldWaiting, YieldNow);
    QVERIFY(reads > 1); // frames came before the disconnect
    QCOMPARE(r, ReadCommResult::GaveUp);
    QCOMPARE(stopFlag, qint16(1));
    // The vanished device closed the link rather than leaving a dead descriptor behind.
    QVERIFY(!link.isOpen());
    QVERIFY(link.readAll().isEmpty());
}

void TestSerialSim::cleanup()
{
    m_sim.reset();
}

QTEST_GUILESS_MAIN(TestSerialSim)
#include "test_serial_sim.moc"
