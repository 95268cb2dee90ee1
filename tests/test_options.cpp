#include "optioncommands.h"
#include "scriptedprompts.h"

#include <QTest>

namespace {

const QString kMaxTitle = QStringLiteral("Max Graph Temperature");
const QString kMinTitle = QStringLiteral("Min Graph Temperature");

QString tooNarrow(const QString& max, const QString& min)
{
    return "The Max value of " + max + " is not at least 50 degrees greater than the minimum "
           "value of " + min + " and can not be used.\r\rThis combination can not be used.  "
           "Try again.";
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void userRangeAcceptedAndConfirmed();
    void userRangeTooNarrowAsksAgainWithEnteredValues();
    void userRangeLimits_data();
    void userRangeLimits();
    void userRangeCancelOrNoChangesNothing_data();
    void userRangeCancelOrNoChangesNothing();
    void chartTime_data();
    void chartTime();
    void chartTimeUnsetOpensAs15();
    void unitMessage();
};

void TestOptions::userRangeAcceptedAndConfirmed()
{
    Module1 m;
    m.UserGraphMax = "1200";
    m.UserGraphMin = "600";
    ScriptedPrompts p;
    p.inputAnswers = {"2000", "1950"};
    p.messageAnswers = {MsgAnswer::Yes};

    QVERIFY(AskUserGraphRange(p, m));
    QCOMPARE(m.UserGraphMax, QStringLiteral("2000"));
    QCOMPARE(m.UserGraphMin, QStringLiteral("1950"));
    QCOMPARE(m.ScaleType, qint16(2));
    QCOMPARE(p.unexpected, 0);

    QCOMPARE(p.inputs.size(), size_t(2));
    QCOMPARE(p.inputs[0].prompt, QStringLiteral("Enter the Maximum Temperature you want "
                                                "displayed on the graphs (50 to 2000)."));
    QCOMPARE(p.inputs[0].title, kMaxTitle);
    QCOMPARE(p.inputs[0].defaultText, QStringLiteral("1200"));
    QCOMPARE(p.inputs[1].prompt, QStringLiteral("Enter the Minimum Temperature you want "
                                                "displayed on the graphs (50 to 2000)."));
    QCOMPARE(p.inputs[1].title, kMinTitle);
    QCOMPARE(p.inputs[1].defaultText, QStringLiteral("600"));

    QCOMPARE(p.messages.size(), size_t(1));
    const MessageRequest& confirm = p.messages[0];
    QCOMPARE(confirm.caption, QStringLiteral("Use These New Graph Ranges?"));
    QCOMPARE(confirm.buttons, MsgButtons::YesNo);
    QCOMPARE(confirm.icon, MsgIcon::Question);
    QCOMPARE(confirm.defaultButton, MsgAnswer::No);
    QCOMPARE(confirm.text,
             QStringLiteral("Do you want to change the range on the graph from:\r\r"
                            "  Max = 1200    Min = 600\r\rTo:\r\r  Max = 2000    Min = 1950\r\r"
                            "Click on 'Yes' to accept this change, 'No' to abandon these "
                            "changes."));
}

void TestOptions::userRangeTooNarrowAsksAgainWithEnteredValues()
{
    Module1 m; // no user range yet: the "from" values are empty
    ScriptedPrompts p;
    p.inputAnswers = {"2000", "1951", "2000", "1000"};
    p.messageAnswers = {MsgAnswer::Yes};

    QVERIFY(AskUserGraphRange(p, m));
    QCOMPARE(p.unexpected, 0);
    QCOMPARE(p.messages.size(), size_t(2));
    QCOMPARE(p.messages[0].text, tooNarrow("2000", "1951"));
    QCOMPARE(p.messages[0].caption, kAppTitle);
    QCOMPARE(p.messages[0].buttons, MsgButtons::Ok);
    QCOMPARE(p.inputs.size(), size_t(4));
    QCOMPARE(p.inputs[0].defaultText, QString());
    QCOMPARE(p.inputs[2].title, kMaxTitle);
    QCOMPARE(p.inputs[2].defaultText, QStringLiteral("2000"));
    QCOMPARE(p.inputs[3].title, kMinTitle);
    QCOMPARE(p.inputs[3].defaultText, QStringLiteral("1951"));
    QVERIFY(p.messages[1].text.startsWith(
        "Do you want to change the range on the graph from:\r\r  Max =     Min = \r\rTo:"));
    QCOMPARE(m.UserGraphMax, QStringLiteral("2000"));
    QCOMPARE(m.UserGraphMin, QStringLiteral("1000"));
}

void TestOptions::userRangeLimits_data()
{
    const QString range = QStringLiteral("The value must be between 50 and 2000.  Try again.");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("refusals");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("min");
    QTest::newRow("49.5 rounds to 50") << QStringList{"2000", "49.5"} << QStringList{} << "2000"
                                       << "50";
    QTest::newRow("1500.5 halves to even") << QStringList{"1500.5", "700"} << QStringList{}
                                           << "1500" << "700";
    QTest::newRow("2000.6 rounds to 2001") << QStringList{"2000.6", "2000", "1000"}
                                           << QStringList{range} << "2000" << "1000";
    QTest::newRow("49.4 rounds to 49") << QStringList{"1000", "49.4", "100"}
                                       << QStringList{range} << "1000" << "100";
    QTest::newRow("abc reads 0") << QStringList{"abc", "1000", "100"} << QStringList{range}
                                 << "1000" << "100";
    QTest::newRow("99999 beyond 16 bits") << QStringList{"1000", "99999", "100"}
                                          << QStringList{range} << "1000" << "100";
    QTest::newRow("-32769 beyond 16 bits") << QStringList{"-32769", "1000", "100"}
                                           << QStringList{range} << "1000" << "100";
    QTest::newRow("1e400 beyond a double") << QStringList{"1e400", "1000", "100"}
                                           << QStringList{range} << "1000" << "100";
    QTest::newRow("a blank is not Cancel") << QStringList{" ", "1000", "100"}
                                           << QStringList{range} << "1000" << "100";
    QTest::newRow("number then text") << QStringList{"1200 deg", "600x"} << QStringList{}
                                      << "1200" << "600";
}

void TestOptions::userRangeLimits()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, refusals);
    QFETCH(QString, max);
    QFETCH(QString, min);
    Module1 m;
    m.UserGraphMax = "900";
    m.UserGraphMin = "300";
    ScriptedPrompts p;
    for (const QString& a : answers)
        p.inputAnswers.push_back(a);
    p.messageAnswers = {MsgAnswer::Yes};

    QVERIFY(AskUserGraphRange(p, m));
    QCOMPARE(p.unexpected, 0);
    QVERIFY(p.inputAnswers.empty());
    QCOMPARE(m.UserGraphMax, max);
    QCOMPARE(m.UserGraphMin, min);
    QCOMPARE(m.ScaleType, qint16(2));

    QStringList shown = p.messageTexts();
    shown.removeLast(); // the confirmation
    QCOMPARE(shown, refusals);
    // A refused box is asked again with its unchanged default.
    for (const auto& in : p.inputs)
        QCOMPARE(in.defaultText, in.title == kMaxTitle ? QStringLiteral("900")
                                                        : QStringLiteral("300"));
}

void TestOptions::userRangeCancelOrNoChangesNothing_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("confirmAsked");
    QTest::addColumn<int>("confirmAnswer");
    QTest::newRow("Cancel at maximum") << QStringList{""} << false << 0;
    QTest::newRow("Cancel at minimum") << QStringList{"1500", ""} << false << 0;
    QTest::newRow("Cancel after a refused minimum") << QStringList{"1500", "20", ""} << false << 0;
    QTest::newRow("No at confirmation") << QStringList{"1500", "700"} << true
                                        << int(MsgAnswer::No);
    QTest::newRow("box closed at confirmation") << QStringList{"1500", "700"} << true
                                                << int(MsgAnswer::Cancel);
}

void TestOptions::userRangeCancelOrNoChangesNothing()
{
    QFETCH(QStringList, answers);
    QFETCH(bool, confirmAsked);
    QFETCH(int, confirmAnswer);
    Module1 m;
    m.UserGraphMax = "1200";
    m.UserGraphMin = "600";
    m.ScaleType = 1;
    ScriptedPrompts p;
    for (const QString& a : answers)
        p.inputAnswers.push_back(a);
    if (confirmAsked)
        p.messageAnswers.push_back(MsgAnswer(confirmAnswer));

    QVERIFY(!AskUserGraphRange(p, m));
    QCOMPARE(p.unexpected, 0);
    QVERIFY(p.inputAnswers.empty());
    QVERIFY(p.messageAnswers.empty());
    QCOMPARE(m.UserGraphMax, QStringLiteral("1200"));
    QCOMPARE(m.UserGraphMin, QStringLiteral("600"));
    QCOMPARE(m.ScaleType, qint16(1));
}

void TestOptions::chartTime_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("refusals");
    QTest::newRow("5 lower limit") << QStringList{"5"} << 5 << 0;
    QTest::newRow("1500 upper limit") << QStringList{"1500"} << 1500 << 0;
    QTest::newRow("5.5 rounds to 6") << QStringList{"5.5"} << 6 << 0;
    QTest::newRow("6.5 halves to even 6") << QStringList{"6.5"} << 6 << 0;
    QTest::newRow("4.9 refused") << QStringList{"4.9", "30"} << 30 << 1;
    QTest::newRow("1500.5 refused before rounding") << QStringList{"1500.5", "30"} << 30 << 1;
    QTest::newRow("abc refused") << QStringList{"abc", "30"} << 30 << 1;
    QTest::newRow("99999 refused") << QStringList{"99999", "30"} << 30 << 1;
    QTest::newRow("refused then Cancel") << QStringList{"2", ""} << 60 << 1;
    QTest::newRow("Cancel") << QStringList{""} << 60 << 0;
}

void TestOptions::chartTime()
{
    QFETCH(QStringList, answers);
    QFETCH(int, stored);
    QFETCH(int, refusals);
    Module1 m;
    m.StripChartTime = 60;
    ScriptedPrompts p;
    for (const QString& a : answers)
        p.inputAnswers.push_back(a);

    AskStripChartTime(p, m);
    QCOMPARE(p.unexpected, 0);
    QVERIFY(p.inputAnswers.empty());
    QCOMPARE(int(m.StripChartTime), stored);
    QCOMPARE(int(p.messages.size()), refusals);
    for (const MessageRequest& r : p.messages) {
        QCOMPARE(r.text, QStringLiteral("Enter a value between 5 and 1500.  Try again."));
        QCOMPARE(r.buttons, MsgButtons::Ok);
    }
    // Every box, also after a refusal, offers the unchanged current value.
    for (const auto& in : p.inputs) {
        QCOMPARE(in.defaultText, QStringLiteral("60"));
        QVERIFY(in.prompt.endsWith("\r\rStrip Chart time is currently set to 60 seconds."));
    }
}

void TestOptions::chartTimeUnsetOpensAs15()
{
    Module1 m;
    ScriptedPrompts p;
    p.inputAnswers = {""};
    AskStripChartTime(p, m);
    QCOMPARE(m.StripChartTime, qint16(15));
    QCOMPARE(p.inputs.size(), size_t(1));
    QCOMPARE(p.inputs[0].title, QStringLiteral("Enter Desired Strip Chart Recording Time"));
    QCOMPARE(p.inputs[0].defaultText, QStringLiteral("15"));
    QCOMPARE(p.inputs[0].prompt,
             QStringLiteral("Enter the number seconds for 1 section of the Strip Chart graph.  "
                            "There are 3 sections in the strip chart, so whatever you enter "
                            "here multiplied by 3 will be the maximum time recorded.\r\r"
                            "Strip Chart time is currently set to 15 seconds."));
}

void TestOptions::unitMessage()
{
    Module1 m;
    m.DegCFlag = 1;
    DeriveThermocoupleValues(m);
    QCOMPARE(options::UnitChangedMessage(m), QStringLiteral("New data recorded will be in Deg C"));
    m.DegCFlag = 0;
    DeriveThermocoupleValues(m);
    QCOMPARE(options::UnitChangedMessage(m), QStringLiteral("New data recorded will be in Deg F"));
}

QTEST_APPLESS_MAIN(TestOptions)
#include "test_options.moc"
