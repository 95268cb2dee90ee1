// The real serial link against the instrument simulator on a pseudo-terminal. Every port
// number of the scratch program folder has a link, so nothing here reaches a real device.

#include "decoder.h"
#include "framereader.h"
#include "portcommands.h"
#include "portpath.h"
#include "qtseriallink.h"
#include "scriptedprompts.h"
#include "seams.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

namespace
{

constexpr int kSimPort = 5;

// What each line of the frames file must decode to, in degrees C, by its first field.
const std::map<QString, std::array<float, 4>> kExpected{
    {QStringLiteral("1"), {100.0f, 200.5f, 300.0f, 400.0f}},
    {QStringLiteral("2"), {-5.5f, 0.0f, 1000.0f, 7.0f}},
    {QStringLiteral("3"), {450.0f, 461.0f, 461.0f, 461.0f}},
};
const QByteArray kFramesFile = "1,100,200.5,300,400\n2,-5.5,0,1e3,7\n3,450,461\n";

} // namespace

class TestSerialSim : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void probeSeesOnlyTheSimulator();
    void framesArriveAndDecode();
    void disconnectEndsInGiveUp();

private:
    // Starts the simulator on port kSimPort; false (with the reason in `why`) when it does not
    // come up.
    bool startSim(const QStringList& extra, QString& why);

    QString m_simulator;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<QProcess> m_sim;
    qint32 m_pollLimit = 0;
};

void TestSerialSim::initTestCase()
{
    m_simulator = qEnvironmentVariable("TR_SIMULATOR");
    if (m_simulator.isEmpty() || !QFile::exists(m_simulator))
        QSKIP("TR_SIMULATOR is not set to the simulator");

    // The budget as start-up measures it, with the real clock and yields.
    QTemporaryDir empty;
    QtSerialLink closedPort(empty.path());
    SystemClock clock;
    QString buffer, text;
    m_pollLimit = MeasurePollBudget(clock, closedPort, buffer, text, kLineBreak, YieldWaiting);
    QVERIFY(m_pollLimit >= kMinPollLimit);
}

void TestSerialSim::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir(m_folder->path()).mkpath(QStringLiteral("ports")));
    for (int n = kFirstComPort; n <= kLastComPort; ++n) {
        const QString target = m_folder->filePath(QStringLiteral("nowhere/COM%1").arg(n));
        QVERIFY(QFile::link(target, m_folder->filePath(QStringLiteral("ports/COM%1").arg(n))));
    }
}

void TestSerialSim::cleanup()
{
    if (m_sim) {
        if (m_sim->state() != QProcess::NotRunning) {
            m_sim->terminate();
            if (!m_sim->waitForFinished(3000))
                m_sim->kill();
            m_sim->waitForFinished(3000);
        }
        m_sim.reset();
    }
    m_folder.reset();
}

bool TestSerialSim::startSim(const QStringList& extra, QString& why)
{
    m_sim = std::make_unique<QProcess>();
    m_sim->setProcessChannelMode(QProcess::SeparateChannels);
    m_sim->start(m_simulator,
                 QStringList{"--folder", m_folder->path(), "--port", QString::number(kSimPort)} +
                     extra);
    if (!m_sim->waitForStarted(5000)) {
        why = QStringLiteral("the simulator did not start: ") + m_sim->errorString();
        return false;
    }
    while (!m_sim->canReadLine()) {
        if (!m_sim->waitForReadyRead(10000)) {
            why = QStringLiteral("the simulator printed no port line: ") +
                  QString::fromLocal8Bit(m_sim->readAllStandardError());
            return false;
        }
    }
    const QString line = QString::fromLocal8Bit(m_sim->readLine()).trimmed();
    if (!line.startsWith(QStringLiteral("COM%1 -> ").arg(kSimPort))) {
        why = QStringLiteral("unexpected first line: ") + line;
        return false;
    }
    return true;
}

#define START_SIM_OR_SKIP(...)                                                                     \
    do {                                                                                           \
        QString why;                                                                               \
        if (!startSim(__VA_ARGS__, why))                                                           \
            QSKIP(qPrintable(why));                                                                \
    } while (false)

void TestSerialSim::probeSeesOnlyTheSimulator()
{
    START_SIM_OR_SKIP({"--rate", "20"});
    const QString folder = m_folder->path();

    QCOMPARE(ComPortDevicePath(folder, 3), m_folder->filePath(QStringLiteral("ports/COM3")));
    QVERIFY(ComPortExists(folder, kSimPort));
    QVERIFY(!ComPortExists(folder, 3)); // a dangling link is an absent port
    QVERIFY(!ComPortExists(folder, 0));
    QVERIFY(!ComPortExists(folder, 17));
    QCOMPARE(FindComPorts([&](int n) { return ComPortExists(folder, n); }),
             QStringList{QString::number(kSimPort)});

    // The menu's probe goes through the serial control itself.
    QtSerialLink link(folder);
    ScriptedPrompts prompts;
    prompts.inputAnswers.push_back(QString()); // Cancel
    qint16 comPort = 1;
    int busy = 0;
    ChooseLoggerPort(prompts, link, comPort, YieldNow, [&](bool b) { busy += b ? 1 : -1; });
    QCOMPARE(prompts.inputs.size(), size_t(1));
    QVERIFY(prompts.inputs.front().prompt.endsWith(QStringLiteral("\r\r   5")));
    QCOMPARE(comPort, qint16(1));
    QCOMPARE(busy, 0);
    QVERIFY(!link.isOpen()); // port 16 was tried last and is absent
}

void TestSerialSim::framesArriveAndDecode()
{
    const QString framesPath = m_folder->filePath(QStringLiteral("frames.txt"));
    QFile frames(framesPath);
    QVERIFY(frames.open(QIODevice::WriteOnly));
    frames.write(kFramesFile);
    frames.close();
    START_SIM_OR_SKIP({"--rate", "20", "--frames", framesPath});

    QtSerialLink link(m_folder->path());
    qint16 comPort = kSimPort;
    StartComm(link, comPort);
    QVERIFY(link.isOpen());

    std::map<QString, int> seen;
    for (int k = 0; k < 8; ++k) {
        qint16 stopFlag = 0;
        QString commText, commBuffer;
        const ReadCommResult r =
            ReadComm(link, m_pollLimit, stopFlag, commText, commBuffer, YieldWaiting, YieldNow);
        QCOMPARE(r, ReadCommResult::Frame);
        const QString key = commText.section(QLatin1Char(','), 0, 0);
        QVERIFY2(kExpected.count(key) == 1, qPrintable(commText));
        ++seen[key];

        std::array<float, kMaxChannels> readings{};
        std::array<QString, kMaxChannels> texts;
        QVERIFY(BreakoutTempData(commText, readings, 4, 1, texts));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(readings[i], kExpected.at(key)[i]);
    }
    QVERIFY(seen.size() >= 2); // the simulator cycles through the file
}

void TestSerialSim::disconnectEndsInGiveUp()
{
    START_SIM_OR_SKIP({"--rate", "20", "--fault", "disconnect", "--fault-after", "0.6"});

    QtSerialLink link(m_folder->path());
    qint16 comPort = kSimPort;
    StartComm(link, comPort);
    QVERIFY(link.isOpen());

    int framesRead = 0;
    ReadCommResult r = ReadCommResult::Frame;
    for (int k = 0; k < 200 && r == ReadCommResult::Frame; ++k) {
        qint16 stopFlag = 0;
        QString commText, commBuffer;
        r = ReadComm(link, m_pollLimit, stopFlag, commText, commBuffer, YieldWaiting, YieldNow);
        if (r == ReadCommResult::Frame)
            ++framesRead;
        else
            QCOMPARE(stopFlag, qint16(1));
    }
    QVERIFY(framesRead > 0);
    QCOMPARE(r, ReadCommResult::GaveUp);
    // The vanished device closed the link rather than leaving a dead descriptor behind.
    QVERIFY(!link.isOpen());
    QVERIFY(link.readAll().isEmpty());
    if (m_sim->state() != QProcess::NotRunning) // the yields may have seen it end already
        QVERIFY(m_sim->waitForFinished(5000));
    QCOMPARE(m_sim->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_sim->exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestSerialSim)
#include "test_serial_sim.moc"
