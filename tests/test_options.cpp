#include "optioncommands.h"
#include "scriptedprompts.h"

#include <QTest>

// Answers, offered defaults and stored ranges are written as '|'-separated lists; an empty
// answer stands for Cancel.
class TestOptions : public QObject
{
    Q_OBJECT
private slots:
    void userRange_data()
    {
        const QString range = QStringLiteral("The value must be between 50 and 2000.  Try again.");
        const QString narrow = QStringLiteral(
            "The Max value of 2000 is not at least 50 degrees greater than the minimum value of "
            "1951 and can not be used.\r\rThis combination can not be used.  Try again.");
        const int yes = int(MsgAnswer::Yes);
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("confirm");     // answer to the confirmation, -1 when never asked
        QTest::addColumn<QString>("offered"); // each box's title and default, in order
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("stored");
        QTest::newRow("2000/1950") << "2000|1950" << yes << "Max 900|Min 300"
                                   << ""
                                   << "2000|1950";
        QTest::newRow("2000/1951 asked again")
            << "2000|1951|2000|1000" << yes << "Max 900|Min 300|Max 2000|Min 1951" << narrow
            << "2000|1000";
        QTest::newRow("49.5 is 50") << "2000|49.5" << yes << "Max 900|Min 300"
                                    << ""
                                    << "2000|50";
        QTest::newRow("2000.6 is 2001")
            << "2000.6|2000|1000" << yes << "Max 900|Max 900|Min 300" << range << "2000|1000";
        QTest::newRow("abc is 0") << "abc|1000|100" << yes << "Max 900|Max 900|Min 300" << range
                                  << "1000|100";
        QTest::newRow("99999 beyond 16 bits")
            << "1000|99999|100" << yes << "Max 900|Min 300|Min 300" << range << "1000|100";
        QTest::newRow("Cancel at minimum") << "1500|" << -1 << "Max 900|Min 300"
                                           << ""
                                           << "900|300";
        QTest::newRow("No at confirmation") << "1500|700" << int(MsgAnswer::No) << "Max 900|Min 300"
                                            << ""
                                            << "900|300";
    }

    void userRange()
    {
        QFETCH(QString, answers);
        QFETCH(int, confirm);
        QFETCH(QString, offered);
        QFETCH(QString, refusal);
        QFETCH(QString, stored);
        Module1 m;
        m.UserGraphMax = "900";
        m.UserGraphMin = "300";
        m.ScaleType = 1;
        ScriptedPrompts p;
        const QStringList typed = answers.split('|');
        p.inputAnswers.assign(typed.cbegin(), typed.cend());
        if (confirm >= 0)
            p.messageAnswers.push_back(MsgAnswer(confirm));

        const bool accepted = AskUserGraphRange(p, m);
        QCOMPARE(accepted, confirm == int(MsgAnswer::Yes));
        QVERIFY(p.unexpected == 0 && p.inputAnswers.empty() && p.messageAnswers.empty());
        QCOMPARE(m.UserGraphMax + '|' + m.UserGraphMin, stored);
        QCOMPARE(m.ScaleType, qint16(accepted ? 2 : 1));
        QStringList boxes;
        for (const auto& in : p.inputs) {
            const bool max = in.title == QStringLiteral("Max Graph Temperature");
            boxes << (max ? "Max " : "Min ") + in.defaultText;
            QVERIFY(max || in.title == QStringLiteral("Min Graph Temperature"));
            QCOMPARE(in.prompt, QStringLiteral("Enter the %1 Temperature you want displayed on "
                                               "the graphs (50 to 2000).")
                                    .arg(max ? "Maximum" : "Minimum"));
        }
        QCOMPARE(boxes.join('|'), offered);
        QStringList shown = p.messageTexts();
        if (confirm >= 0) {
            shown.removeLast();
            const MessageRequest& ask = p.messages.back();
            QCOMPARE(ask.caption, QStringLiteral("Use These New Graph Ranges?"));
            QCOMPARE(ask.buttons, MsgButtons::YesNo);
            QCOMPARE(ask.icon, MsgIcon::Question);
            QCOMPARE(ask.defaultButton, MsgAnswer::No);
        }
        if (accepted) // the confirmation shows the rounded values that are then stored
            QCOMPARE(p.messages.back().text,
                     QStringLiteral("Do you want to change the range on the graph from:\r\r  Max = "
                                    "900    Min = 300\r\rTo:\r\r  Max = %1    Min = %2\r\rClick on "
                                    "'Yes' to accept this change, 'No' to abandon these changes.")
                         .arg(m.UserGraphMax, m.UserGraphMin));
        QCOMPARE(shown.join('|'), refusal);
    }

    void chartTime_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("refusals");
        QTest::newRow("5 lower limit") << 60 << "5" << 5 << 0;
        QTest::newRow("1500 upper limit") << 60 << "1500" << 1500 << 0;
        QTest::newRow("5.5 rounds to 6") << 60 << "5.5" << 6 << 0;
        QTest::newRow("6.5 halves to even 6") << 60 << "6.5" << 6 << 0;
        QTest::newRow("4.9 refused") << 60 << "4.9|30" << 30 << 1;
        QTest::newRow("1500.5 refused before rounding") << 60 << "1500.5|30" << 30 << 1;
        QTest::newRow("abc refused, then Cancel") << 60 << "abc|" << 60 << 1;
        QTest::newRow("unset opens as 15, Cancel keeps it") << 0 << "" << 15 << 0;
    }

    void chartTime()
    {
        QFETCH(int, current);
        QFETCH(QString, answers);
        QFETCH(int, stored);
        QFETCH(int, refusals);
        Module1 m;
        m.StripChartTime = qint16(current);
        ScriptedPrompts p;
        const QStringList typed = answers.split('|');
        p.inputAnswers.assign(typed.cbegin(), typed.cend());

        AskStripChartTime(p, m);
        QVERIFY(p.unexpected == 0 && p.inputAnswers.empty()); // every answer used, no other box
        QCOMPARE(int(m.StripChartTime), stored);
        QCOMPARE(p.messageTexts(),
                 QStringList(refusals, "Enter a value between 5 and 1500.  Try again."));
        // Every box, also after a refusal, offers the time as it was when the dialog opened.
        const QString shown = QString::number(current ? current : 15);
        for (const auto& in : p.inputs) {
            QCOMPARE(in.title, QStringLiteral("Enter Desired Strip Chart Recording Time"));
            QCOMPARE(in.defaultText, shown);
            QCOMPARE(in.prompt, "Enter the number seconds for 1 section of the Strip Chart "
                                "graph.  There are 3 sections in the strip chart, so whatever you "
                                "enter here multiplied by 3 will be the maximum time recorded."
                                "\r\rStrip Chart time is currently set to " +
                                    shown + " seconds.");
        }
    }
};

QTEST_APPLESS_MAIN(TestOptions)
#include "test_options.moc"
