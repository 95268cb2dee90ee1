// Opening the logger's port and the port-choice conversation.

#include "fakeseriallink.h"
#include "portcommands.h"
#include "scriptedprompts.h"

#include <QTest>

static const QString kRefused =
    QStringLiteral("You must enter a number between 1 and 16.  Try again or click cancel.");

class TestAcqPortCommands : public QObject
{
    Q_OBJECT
private slots:
    void startComm_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("opened");
        QTest::newRow("3") << 3 << 3;
        QTest::newRow("0 (no setting yet)") << 0 << 1;
        QTest::newRow("17") << 17 << 1;
    }

    void startComm()
    {
        QFETCH(int, stored);
        QFETCH(int, opened);
        FakeSerialLink port;
        port.openResult = false; // a failed open is not reported: the reader times out later
        qint16 comPort = qint16(stored);
        OpenLoggerPort(port, comPort);
        QCOMPARE(comPort, qint16(opened));
        QCOMPARE(port.calls, (QStringList{"close", QStringLiteral("setPort %1").arg(opened),
                                          "setSettings 19200,N,8,1", "open"}));
    }

    void chooseLoggerPort_data()
    {
        QTest::addColumn<QList<int>>("openable");
        QTest::addColumn<QStringList>("answers"); // "" is Cancel
        QTest::addColumn<QString>("listText");
        QTest::addColumn<int>("result");           // stored setting before: 7
        QTest::addColumn<QStringList>("messages"); // after the notice

        const QString set3 = QStringLiteral("Com Port now set to 3 .");
        QTest::newRow("3") << QList<int>{1, 3, 4} << QStringList{"3"} << "1,3,4" << 3
                           << QStringList{set3};
        QTest::newRow("no ports found, a number may still be typed")
            << QList<int>{} << QStringList{"3"} << "No Com Ports appear to be available" << 3
            << QStringList{set3};
        QTest::newRow("0, 17 and text refused, then 3")
            << QList<int>{16} << QStringList{"0", "17", "abc", "3"} << "16" << 3
            << QStringList{kRefused, kRefused, kRefused, set3};
        // The typed number is checked as typed and rounded only when stored.
        QTest::newRow("16.4 and 0.6 refused, 1.5 stored as 2")
            << QList<int>{2} << QStringList{"16.4", "0.6", "1.5"} << "2" << 2
            << QStringList{kRefused, kRefused, QStringLiteral("Com Port now set to 2 .")};
        QTest::newRow("cancel changes nothing")
            << QList<int>{1} << QStringList{""} << "1" << 7 << QStringList{};
    }

    void chooseLoggerPort()
    {
        QFETCH(QList<int>, openable);
        QFETCH(QStringList, answers);
        QFETCH(QString, listText);
        QFETCH(int, result);
        ScriptedPrompts prompts;
        prompts.inputAnswers.assign(answers.begin(), answers.end());
        FakeSerialLink port;
        port.openResult = false;
        port.openablePorts = std::set<int>(openable.begin(), openable.end());
        qint16 comPort = 7;
        QStringList cursor;
        ChooseLoggerPort(prompts, port, comPort,
                         [&](bool busy) { cursor << (busy ? "busy" : "normal"); });

        QCOMPARE(comPort, qint16(result));
        QTEST(prompts.messageTexts().mid(1), "messages"); // after the notice of the search
        QCOMPARE(int(prompts.inputs.size()), answers.size());
        for (const auto& in : prompts.inputs) {
            QVERIFY(in.prompt.endsWith("\r\r   " + listText));
            QCOMPARE(in.defaultText, QStringLiteral("7"));
        }
        QCOMPARE(cursor, (QStringList{"busy", "normal"}));
    }
};

QTEST_GUILESS_MAIN(TestAcqPortCommands)
#include "test_acq_portcommands.moc"
