// The main window as a user meets it: start-up, the menu's captions and check marks, the option
// commands, and the ways out of the program.

#include "gaugepanel.h"
#include "windowrig.h"

#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>

namespace
{

using Fixture = WindowRig<SaveAsCounted>;

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

// A settings file up to the unit line, from "thickness|scale|max|min|unit"; no port lines.
QByteArray settingsFile(const char* fields)
{
    return " 15 \r\n\r\n\r\n\r\n\r\n" + QByteArray(fields).replace('|', "\r\n") + "\r\n";
}

struct Start {
    QByteArray file; // "thickness|scale|max|min|unit", or what the whole file holds
    double max, min;
    QString marks;
};
struct Command {
    QString name;
    QStringList answers; // to the input boxes; a Yes/No box gets Yes
    QString message;
    double max, min;
};

} // namespace

Q_DECLARE_METATYPE(Start)
Q_DECLARE_METATYPE(Command)

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    // What a settings file sets at start-up: range, unit, captions and check marks. The program
    // starts idle, with no message, on an untitled run.
    void startUpFromSettingsFile_data()
    {
        QTest::addColumn<Start>("row");
        QTest::newRow("no file") << Start{{}, 1700, 900, "Thin ScalesEGT DegF"};
        QTest::newRow("C user") << Start{"1|2|1200|600|1", 1200, 600, "Thick ScalesUser DegC"};
        QTest::newRow("C fluid") << Start{"2|1|1000|500|1", 200, 0, "Thickest ScalesFluid DegC"};
        // Odd codes: unit 7 is F, thickness 5 thin, scale 9 the exhaust range with the user mark.
        QTest::newRow("odd codes") << Start{"5|9|1000|500|7", 1700, 900, "Thin ScalesUser DegF"};
        // A damaged file must not stop the program: unreadable fields keep their defaults.
        QTest::newRow("damaged") << Start{
            "\x01\xff garbage\r\n,,,\r\n\r\n\r\n\r\nxyz\r\n99999\r\n\"\r\n", 1700, 900,
            "Thin ScalesEGT DegF"};
        // A user scale without a range would divide by zero: the unit's preset is used instead.
        QTest::newRow("no user range") << Start{"0|2|||1", 950, 500, "Thin ScalesUser DegC"};
    }
    void startUpFromSettingsFile()
    {
        QFETCH(Start, row);
        Fixture f(row.file.contains('|') ? settingsFile(row.file) : row.file);
        QCOMPARE(f.state.derived.graphMax, row.max);
        QCOMPARE(f.state.derived.graphMin, row.min);
        QCOMPARE(f.state.derived.graphFactor, 1.0 / (row.max - row.min));
        QCOMPARE(checkMarks(f), row.marks);
        const bool degC = row.marks.endsWith("C");
        QCOMPARE(f.w->readingListHeading->text(),
                 QStringLiteral("Time     Temperatures Deg ") + (degC ? "C" : "F"));
        QCOMPARE(f.w->action("mnuScalesEGT")->text(),
                 "Typical Exhaust Gas Temps (" + QString(degC ? "500-950)" : "900-1700)"));
        QCOMPARE(f.state.settings.chartSectionSeconds, qint16(15)); // an unset chart time too
        QVERIFY(f.w->run().filePath().isEmpty());
        QCOMPARE(f.state.run.fileName, QStringLiteral("Untitled"));
        QVERIFY(!f.w->run().isRecording());
        QCOMPARE(f.w->statusLine->text(), // even before the window is first activated
                 QStringLiteral("Click on 'Start' or press <F1> to start recording data."));
        QVERIFY(f.prompts.messages.empty());
    }

    void unitAndScaleCommands_data()
    {
        QTest::addColumn<Command>("row");
        const QString scales = QStringLiteral("New Scales will be used for next data recorded.");
        QTest::newRow("C") << Command{
            "mnuDegC", {}, "New data recorded will be in Deg C", 950, 500};
        QTest::newRow("fluid") << Command{"mnuScalesFluid", {}, scales, 300, 50};
        QTest::newRow("user") << Command{"mnuScalesUser", {"1000", "500"}, scales, 1000, 500};
    }
    // Each command stores its setting, refreshes captions, check marks and panel, then says so.
    void unitAndScaleCommands()
    {
        QFETCH(Command, row);
        Fixture f;
        f.prompts.inputAnswers.assign(row.answers.begin(), row.answers.end());
        f.prompts.messageAnswers = {MsgAnswer::Yes};
        f.w->action(row.name)->trigger();
        QCOMPARE(f.prompts.messageTexts().last(), row.message);
        QCOMPARE(f.state.derived.graphMax, row.max);
        QCOMPARE(f.state.derived.graphMin, row.min);
        QVERIFY(f.checked(qPrintable(row.name)));
        QCOMPARE(f.w->temperaturePanel->face().gridLabels[0].caption, QString::number(row.min));
    }

    // The thickness is stored at once; its check mark moves at the next activation, which also
    // re-reads the user range.
    void activationRefreshesFromSettings()
    {
        Fixture f;
        f.w->action("mnuThickest")->trigger();
        QCOMPARE(f.state.settings.lineThickness, qint16(2));
        QVERIFY(f.checked("mnuThin"));
        f.state.settings.scaleType = 2;
        f.state.settings.userGraphMax = QStringLiteral("400");
        f.state.settings.userGraphMin = QStringLiteral("100");
        f.w->onActivated();
        QCOMPARE(checkMarks(f), QStringLiteral("Thickest ScalesUser DegF"));
        QCOMPARE(f.w->temperaturePanel->face().gridLabels[0].caption, QStringLiteral("100"));
    }

    // The close box and Exit take the same way out; a Yes whose save does not happen keeps the
    // window open. Settings that cannot be written are reported and the program still ends.
    void exitAsksAboutUnsavedData_data()
    {
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<bool>("ends");
        QTest::newRow("all saved") << false << MsgAnswer::Ok << true;
        QTest::newRow("yes, not saved") << true << MsgAnswer::Yes << false;
        QTest::newRow("no") << true << MsgAnswer::No << true;
        QTest::newRow("cancel") << true << MsgAnswer::Cancel << false;
    }
    void exitAsksAboutUnsavedData()
    {
        QFETCH(bool, unsaved);
        QFETCH(MsgAnswer, answer);
        QFETCH(bool, ends);
        Fixture f;
        f.startInC();
        f.tickAt(0.4f, "0,450,462,471,480\r\n");
        f.w->onRecordButton(MainWindow::StopButton);
        if (!unsaved) {
            f.w->onSave(); // to "Untitled": Save As is only counted here
            f.w->saveAs = 0;
        }
        QCOMPARE(f.w->run().isUnsaved(), unsaved);
        f.prompts.messageAnswers = {answer};
        f.w->show();
        QCOMPARE(f.w->close(), ends);
        QCOMPARE(f.prompts.messageTexts(),
                 unsaved ? QStringList{"Save this recorded data?"} : QStringList{});
        QCOMPARE(f.w->saveAs, unsaved && answer == MsgAnswer::Yes ? 1 : 0);
        QCOMPARE(f.ended, ends ? 1 : 0);
        QCOMPARE(f.configOnDisk(), ends ? SettingsFileText(f.state.settings) : QByteArray());
        QCOMPARE(f.w->readingList->count(), 1); // the run is never cleared on the way out
    }
    void exitErrorIsReportedAndShutdownGoesOn()
    {
        Fixture f;
        QVERIFY(QDir(f.dir.path()).mkdir(kConfigFileName)); // the settings cannot be written
        f.w->onExit();
        const QString text = f.prompts.messageTexts().join('|');
        QVERIFY2(QRegularExpression("^Exit Err = -?\\d+\\n\\S[^\\n]+$").match(text).hasMatch(),
                 qPrintable(text));
        QCOMPARE(f.ended, 1);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
