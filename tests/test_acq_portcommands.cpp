// Opening the logger's port, listing ports, and the port-choice conversation.

#include "fakeseriallink.h"
#include "portcommands.h"
#include "scriptedprompts.h"

#include <QTest>

namespace
{

const QString kNotice = QStringLiteral(
    "Click OK and the program will check to see what com ports seem to be available.  This may "
    "take 20-60 seconds.");
const QString kRefused =
    QStringLiteral("You must enter a number between 1 and 16.  Try again or click cancel.");

QString expectedPrompt(const QString& list)
{
    return QStringLiteral("Select Com Port Number, a number from 1-16.\r\rAvailable Com Ports on "
                          "this computer appear to be:\r\r   ") +
           list;
}

QList<int> toInts(const QStringList& texts)
{
    QList<int> out;
    for (const QString& t : texts)
        out << t.toInt();
    return out;
}

} // namespace

class TestAcqPortCommands : public QObject
{
    Q_OBJECT
private slots:
    void startComm_data();
    void startComm();
    void findComPorts_data();
    void findComPorts();
    void chooseLoggerPort_data();
    void chooseLoggerPort();
};

void TestAcqPortCommands::startComm_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("opened");
    QTest::newRow("3") << 3 << 3;
    QTest::newRow("16") << 16 << 16;
    QTest::newRow("0 (no setting yet)") << 0 << 1;
    QTest::newRow("17") << 17 << 1;
    QTest::newRow("negative") << -4 << 1;
}

void TestAcqPortCommands::startComm()
{
    QFETCH(int, stored);
    QFETCH(int, opened);
    FakeSerialLink port;
    port.openResult = false; // a failed open is not reported: the reader times out later
    qint16 comPort = static_cast<qint16>(stored);
    StartComm(port, comPort);
    QCOMPARE(comPort, qint16(opened));
    QCOMPARE(port.calls, (QStringList{"close", QStringLiteral("setPort %1").arg(opened),
                                      "setSettings 19200,N,8,1", "open"}));
}

void TestAcqPortCommands::findComPorts_data()
{
    QTest::addColumn<QList<int>>("present");
    QTest::newRow("1 and 4") << QList<int>{1, 4};
    QTest::newRow("none") << QList<int>{};
    QTest::newRow("all") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    QTest::newRow("two-digit") << QList<int>{10, 16};
}

void TestAcqPortCommands::findComPorts()
{
    QFETCH(QList<int>, present);
    QList<int> asked;
    const QStringList found = FindComPorts([&](int n) {
        asked << n;
        return present.contains(n);
    });
    QCOMPARE(toInts(found), present);
    QCOMPARE(asked.size(), 16);
    QCOMPARE(asked.front(), 1);
    QCOMPARE(asked.back(), 16);
    for (const QString& t : found)
        QVERIFY(!t.startsWith(QLatin1Char(' ')));
}

void TestAcqPortCommands::chooseLoggerPort_data()
{
    QTest::addColumn<QList<int>>("openable");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("listText");
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("messages"); // after the notice

    const QString set3 = QStringLiteral("Com Port now set to 3 .");
    QTest::newRow("3 accepted") << QList<int>{1, 3, 4} << 5 << QStringList{"3"} << "1,3,4"
                                << "5" << 3 << QStringList{set3};
    QTest::newRow("no ports found, any number may still be typed")
        << QList<int>{} << 2 << QStringList{"3"} << "No Com Ports appear to be available"
        << "2" << 3 << QStringList{set3};
    QTest::newRow("0, 17 and text refused, then 3")
        << QList<int>{16} << 4 << QStringList{"0", "17", "abc", "3"} << "16"
        << "4" << 3 << QStringList{kRefused, kRefused, kRefused, set3};
    QTest::newRow("cancel changes nothing") << QList<int>{1} << 7 << QStringList{""} << "1"
                                            << "7" << 7 << QStringList{};
    QTest::newRow("refused, then cancel") << QList<int>{1} << 7 << QStringList{"99", ""} << "1"
                                          << "7" << 7 << QStringList{kRefused};
    QTest::newRow("setting out of range suggests 1") << QList<int>{2} << 0 << QStringList{""} << "2"
                                                     << "1" << 1 << QStringList{};
    QTest::newRow("16.4 taken as 16")
        << QList<int>{} << 1 << QStringList{"16.4"} << "No Com Ports appear to be available"
        << "1" << 16 << QStringList{"Com Port now set to 16 ."};
    QTest::newRow("16.6 and 0.4 refused, 16.5 taken")
        << QList<int>{} << 1 << QStringList{"16.6", "0.4", "0.5", "16.5"}
        << "No Com Ports appear to be available"
        << "1" << 16 << QStringList{kRefused, kRefused, kRefused, "Com Port now set to 16 ."};
    QTest::newRow("0.6 taken as 1")
        << QList<int>{} << 3 << QStringList{"0.6"} << "No Com Ports appear to be available"
        << "3" << 1 << QStringList{"Com Port now set to 1 ."};
    QTest::newRow("too large for an Integer refused")
        << QList<int>{} << 3 << QStringList{"40000", "-1e10", "4"}
        << "No Com Ports appear to be available"
        << "3" << 4 << QStringList{kRefused, kRefused, "Com Port now set to 4 ."};
    QTest::newRow("halves go to even")
        << QList<int>{} << 1 << QStringList{"2.5"} << "No Com Ports appear to be available"
        << "1" << 2 << QStringList{"Com Port now set to 2 ."};
    QTest::newRow("number with trailing text")
        << QList<int>{} << 1 << QStringList{" 12 abc"} << "No Com Ports appear to be available"
        << "1" << 12 << QStringList{"Com Port now set to 12 ."};
    QTest::newRow("blank answer is not cancel")
        << QList<int>{} << 1 << QStringList{" ", "1e400", "&H5"}
        << "No Com Ports appear to be available"
        << "1" << 5 << QStringList{kRefused, kRefused, "Com Port now set to 5 ."};
}

void TestAcqPortCommands::chooseLoggerPort()
{
    QFETCH(QList<int>, openable);
    QFETCH(int, stored);
    QFETCH(QStringList, answers);
    QFETCH(QString, listText);
    QFETCH(QString, suggested);
    QFETCH(int, result);
    QFETCH(QStringList, messages);

    ScriptedPrompts prompts;
    for (const QString& a : answers)
        prompts.inputAnswers.push_back(a);
    FakeSerialLink port;
    if (openable.isEmpty())
        port.openResult = false;
    else
        port.openablePorts = std::set<int>(openable.begin(), openable.end());
    qint16 comPort = static_cast<qint16>(stored);

    QStringList events;
    ChooseLoggerPort(
        prompts, port, comPort, [&] { events << (port.isOpen() ? "yield open" : "yield"); },
        [&](bool busy) { events << (busy ? "busy" : "normal"); });

    QCOMPARE(comPort, qint16(result));
    QCOMPARE(prompts.messageTexts(), QStringList{kNotice} + messages);
    QCOMPARE(int(prompts.inputs.size()), answers.size());
    for (const auto& in : prompts.inputs) {
        QCOMPARE(in.title, QStringLiteral("Select Com Port Number"));
        QCOMPARE(in.prompt, expectedPrompt(listText));
        QCOMPARE(in.defaultText, suggested);
    }
    QCOMPARE(prompts.unexpected, 0);
    // Busy cursor around the probe, one yield before it and one after every attempt.
    QCOMPARE(events.size(), 19);
    QCOMPARE(events.front(), QStringLiteral("busy"));
    QCOMPARE(events.back(), QStringLiteral("normal"));
    QCOMPARE(events.count(QStringLiteral("yield open")), openable.size());
    // Every port was tried once, and the control is left as the last attempt left it.
    QCOMPARE(port.openCalls, 16);
    QCOMPARE(port.port, 16);
    QCOMPARE(port.isOpen(), openable.contains(16));
}

QTEST_GUILESS_MAIN(TestAcqPortCommands)
#include "test_acq_portcommands.moc"
