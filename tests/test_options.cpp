#include "optioncommands.h"
#include "scriptedprompts.h"

#include <QTest>

// Answers, offered defaults and stored ranges are '|'-separated lists; "" stands for Cancel.
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
        const QString none, boxes = QStringLiteral("Max 900|Min 300");
        const int yes = int(MsgAnswer::Yes);
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("confirm");     // answer to the confirmation, -1 when never asked
        QTest::addColumn<QString>("offered"); // each box's title and default, in order
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("stored");
        QTest::newRow("2000/1950") << "2000|1950" << yes << boxes << none << "2000|1950";
        QTest::newRow("2000/1951") << "2000|1951|2000|1000" << yes << boxes + "|Max 2000|Min 1951"
                                   << narrow << "2000|1000";
        QTest::newRow("49.5 is 50") << "2000|49.5" << yes << boxes << none << "2000|50";
        const QString maxTwice = "Max 900|" + boxes, minTwice = boxes + "|Min 300";
        QTest::newRow("2000.6") << "2000.6|2000|1000" << yes << maxTwice << range << "2000|1000";
        QTest::newRow("99999") << "1000|99999|100" << yes << minTwice << range << "1000|100";
        QTest::newRow("abc reads 0") << "abc|2000|1000" << yes << maxTwice << range << "2000|1000";
        QTest::newRow("Cancel at Min") << "1500|" << -1 << boxes << none << "900|300";
        QTest::newRow("No") << "1500|700" << int(MsgAnswer::No) << boxes << none << "900|300";
    }
    void userRange()
    {
        QFETCH(QString, answers);
        QFETCH(int, confirm);
        StoredSettings m;
        m.userGraphMax = "900", m.userGraphMin = "300", m.scaleType = 1;
        ScriptedPrompts p;
        const QStringList typed = answers.split('|');
        p.inputAnswers.assign(typed.cbegin(), typed.cend());
        if (confirm >= 0)
            p.messageAnswers.push_back(MsgAnswer(confirm));

        const bool accepted = AskUserGraphRange(p, m);
        QCOMPARE(accepted, confirm == int(MsgAnswer::Yes));
        QVERIFY(p.unexpected == 0 && p.inputAnswers.empty() && p.messageAnswers.empty());
        QTEST(m.userGraphMax + '|' + m.userGraphMin, "stored");
        QCOMPARE(m.scaleType, qint16(accepted ? 2 : 1));
        QStringList boxes;
        for (const auto& in : p.inputs)
            boxes << in.title.section(' ', 0, 0) + ' ' + in.defaultText;
        QTEST(boxes.join('|'), "offered");
        const QStringList shown = p.messageTexts().mid(0, p.messages.size() - (confirm >= 0));
        // The question shows the rounded values, the ones then stored.
        if (accepted)
            QVERIFY(p.messages.back().text.contains(
                QStringLiteral("Max = %1    Min = %2").arg(m.userGraphMax, m.userGraphMin)));
        QTEST(shown.join('|'), "refusal");
    }

    void chartTime_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("stored");
        QTest::newRow("5 lower limit") << 60 << "5" << 5;
        QTest::newRow("1500 upper limit") << 60 << "1500" << 1500;
        QTest::newRow("5.5 rounds to 6") << 60 << "5.5" << 6;
        QTest::newRow("6.5 halves to even 6") << 60 << "6.5" << 6;
        QTest::newRow("4.9 refused") << 60 << "4.9|30" << 30;
        QTest::newRow("1500.5 refused before rounding") << 60 << "1500.5|30" << 30;
        QTest::newRow("abc refused, then Cancel") << 60 << "abc|" << 60;
        QTest::newRow("unset opens as 15, Cancel keeps it") << 0 << "" << 15;
    }

    void chartTime()
    {
        QFETCH(int, current);
        QFETCH(QString, answers);
        StoredSettings m;
        m.chartSectionSeconds = qint16(current);
        ScriptedPrompts p;
        const QStringList typed = answers.split('|');
        p.inputAnswers.assign(typed.cbegin(), typed.cend());

        AskStripChartTime(p, m);
        QVERIFY(p.unexpected == 0 && p.inputAnswers.empty()); // every answer used, no other box
        QTEST(int(m.chartSectionSeconds), "stored");
        QCOMPARE(p.messageTexts(), // every answer but the last is refused
                 QStringList(answers.count('|'), "Enter a value between 5 and 1500.  Try again."));
        // Every box, also after a refusal, offers the time as it was when the dialog opened.
        for (const auto& in : p.inputs)
            QCOMPARE(in.defaultText, QString::number(current ? current : 15));
    }
};

QTEST_APPLESS_MAIN(TestOptions)
#include "test_options.moc"
