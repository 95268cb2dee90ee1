// The main window as a user meets it: start-up settings, option commands, settings on exit.

#include "gaugepanel.h"
#include "windowrig.h"

#include <QMenuBar>
#include <QRegularExpression>

namespace
{

using Fixture = WindowRig<>;

// The menu entries that carry a check mark, in menu order, by name without "mnu".
QString checkMarks(const QList<QAction*>& actions)
{
    QString names;
    for (QAction* a : actions)
        names += (a->isChecked() ? a->objectName().mid(3) + " " : QString()) +
                 (a->menu() ? checkMarks(a->menu()->actions()) : QString());
    return names;
}
QString checkMarks(const Fixture& f)
{
    return checkMarks(f.w->menuBar()->actions()).trimmed();
}

struct Start {
    QByteArray fields; // "thickness|scale|max|min|unit", or what the whole file holds
    double max, min;
    QString marks;
};

} // namespace

Q_DECLARE_METATYPE(Start)

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    // Range, unit and check marks from a settings file; a damaged one must not stop the program.
    void startUpFromSettingsFile_data()
    {
        QTest::addColumn<Start>("row");
        QTest::newRow("no file") << Start{{}, 1700, 900, "Thin ScalesEGT DegF"};
        QTest::newRow("C user") << Start{"1|2|1200|600|1", 1200, 600, "Thick ScalesUser DegC"};
        QTest::newRow("C fluid") << Start{"2|1|1000|500|1", 200, 0, "Thickest ScalesFluid DegC"};
        // Odd codes: unit 7 is F, thickness 5 thin, scale 9 the exhaust range with the user mark.
        QTest::newRow("odd codes") << Start{"5|9|1000|500|7", 1700, 900, "Thin ScalesUser DegF"};
        QTest::newRow("damaged") << Start{
            "\x01\xff garbage\r\n,,,\r\n\r\n\r\n\r\nxyz\r\n99999\r\n\"\r\n", 1700, 900,
            "Thin ScalesEGT DegF"};
        // A user scale without a range would divide by zero: the unit's preset is used instead.
        QTest::newRow("no user range") << Start{"0|2|||1", 950, 500, "Thin ScalesUser DegC"};
    }
    void startUpFromSettingsFile()
    {
        QFETCH(Start, row);
        const QByteArray file =
            row.fields.contains('|')
                ? " 15 \r\n\r\n\r\n\r\n\r\n" + QByteArray(row.fields).replace('|', "\r\n") + "\r\n"
                : row.fields;
        Fixture f(file);
        QCOMPARE(f.state.derived.graphMax, row.max);
        QCOMPARE(f.state.derived.graphMin, row.min);
        QCOMPARE(checkMarks(f), row.marks);
        QCOMPARE(f.state.settings.chartSectionSeconds, qint16(15)); // an unset chart time too
        QVERIFY(!f.w->run().isRecording());
        QVERIFY(f.prompts.messages.empty());
    }

    // A command refreshes check marks and panel; settings changed elsewhere show on activation.
    void optionCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("answers"); // to the input boxes; a Yes/No box gets Yes
        QTest::addColumn<double>("min");
        QTest::newRow("C") << "mnuDegC" << QStringList{} << 500.0;
        QTest::newRow("fluid") << "mnuScalesFluid" << QStringList{} << 50.0;
        QTest::newRow("user") << "mnuScalesUser" << QStringList{"1000", "500"} << 500.0;
        QTest::newRow("activation") << "" << QStringList{} << 100.0;
    }
    void optionCommands()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, answers);
        QFETCH(double, min);
        Fixture f;
        f.prompts.inputAnswers.assign(answers.begin(), answers.end());
        f.prompts.messageAnswers = {MsgAnswer::Yes};
        if (command.isEmpty()) {
            f.w->action("mnuThickest")->trigger();
            QCOMPARE(f.state.settings.lineThickness, qint16(2));
            f.state.settings.scaleType = 2;
            f.state.settings.userGraphMax = QStringLiteral("400");
            f.state.settings.userGraphMin = QStringLiteral("100");
            f.w->onActivated();
            QCOMPARE(checkMarks(f), QStringLiteral("Thickest ScalesUser DegF"));
        } else {
            f.w->action(command)->trigger();
            QVERIFY(f.checked(qPrintable(command)));
        }
        QCOMPARE(f.state.derived.graphMin, min);
        QCOMPARE(controls(f.w).temperaturePanel->face().gridLabels[0].caption,
                 QString::number(min));
        QCOMPARE(f.prompts.unexpected, 0);
    }

    // Settings unwritable on the way out are reported, and the program still ends.
    void exitWritesTheSettings_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::newRow("written") << true;
        QTest::newRow("cannot be written") << false;
    }
    void exitWritesTheSettings()
    {
        QFETCH(bool, writable);
        Fixture f;
        if (!writable)
            QVERIFY(QDir(f.dir.path()).mkdir(kConfigFileName));
        f.state.settings.lineThickness = 1;
        f.w->onExit();
        QCOMPARE(f.ended, 1);
        const QString text = f.prompts.messageTexts().join('|');
        if (writable)
            QCOMPARE(f.configOnDisk(), SettingsFileText(f.state.settings));
        else
            QVERIFY2(QRegularExpression("^Exit Err = -?\\d+\\n\\S[^\\n]+$").match(text).hasMatch(),
                     qPrintable(text));
        QCOMPARE(text.isEmpty(), writable);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
