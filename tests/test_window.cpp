// The main window as a user meets it: start-up, the menu, captions and check marks, the option
// and port commands, and the ways out of the program.

#include "gaugepanel.h"
#include "windowrig.h"

#include "readinglistview.h"
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>

namespace
{

// Counts the Save As that the exit runs.
class Window final : public VoviRezoZA
{
public:
    using VoviRezoZA::VoviRezoZA;
    void mnuSaveAs_Click() override { ++saveAs; }
    int saveAs = 0;
};

using Fixture = WindowRig<Window>;

// The menu as an indented outline: one line an entry, "-" for a separator.
void outline(const QList<QAction*>& actions, const QString& indent, QStringList& lines)
{
    for (QAction* a : actions) {
        lines << indent + (a->isSeparator() ? "-" : a->text() + " (" + a->objectName() + ")");
        if (a->menu())
            outline(a->menu()->actions(), indent + "  ", lines);
    }
}

// A settings file up to the unit line, from "thickness|scale|max|min|unit"; no port lines.
QByteArray settingsFile(const char* fields)
{
    return " 15 \r\n\r\n\r\n\r\n\r\n" + QByteArray(fields).replace('|', "\r\n") + "\r\n";
}

// Only the entry at index `on` among `names` carries a check mark.
void checkOneOf(const Fixture& f, std::initializer_list<const char*> names, int on)
{
    int i = 0;
    for (const char* name : names)
        QCOMPARE(f.checked(name), i++ == on);
}

struct Start {
    QByteArray file;
    double max, min;
    int degC, scaleMark, thicknessMark; // marks: index within their submenu
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
    void startUpState()
    {
        Fixture f;
        QCOMPARE(f.w->windowTitle(),
                 QStringLiteral("Thermocouple Data Logger - Veltrona Inc.   [ Untitled ]"));
        QCOMPARE(f.m.FileName, QStringLiteral("Untitled"));
        QCOMPARE(f.m.FilePath, f.dir.path() + QStringLiteral("/TCFiles/Untitled"));
        QCOMPARE(f.w->StopFlag, qint16(1));
        QVERIFY(f.w->PollLimit > 0);
        QCOMPARE(f.m.StripChartTime, qint16(15)); // unset chart time becomes 15 at set-up
        QCOMPARE(f.w->Label15[0]->text(), QStringLiteral("Temperature Deg F"));
        QVERIFY(f.prompts.messages.empty());
        // Idle from the start, even before the window is first activated.
        QCOMPARE(f.w->Label1[3]->text(),
                 QStringLiteral("Click on 'Start' or press <F1> to start recording data."));
        // "New" does nothing at all.
        const QByteArray settings = WriteConfigText(f.m);
        f.w->action("mnuNew")->trigger();
        QVERIFY(f.prompts.messages.empty() && WriteConfigText(f.m) == settings);
    }

    // What a settings file sets at start-up: range, unit, captions and check marks.
    void startUpFromSettingsFile_data()
    {
        QTest::addColumn<Start>("row");
        QTest::newRow("C user") << Start{settingsFile("1|2|1200|600|1"), 1200, 600, 1, 2, 1};
        QTest::newRow("C fluid") << Start{settingsFile("2|1|1000|500|1"), 200, 0, 1, 1, 2};
        // Odd codes: unit 7 is F, thickness 5 thin, scale 9 the exhaust range with the user mark.
        QTest::newRow("odd codes") << Start{settingsFile("5|9|1000|500|7"), 1700, 900, 0, 2, 0};
        // A damaged file must not stop the program: unreadable fields keep their defaults.
        QTest::newRow("damaged") << Start{
            "\x01\xff garbage\r\n,,,\r\n\r\n\r\n\r\nxyz\r\n99999\r\n\"\r\n", 1700, 900, 0, 0, 0};
        // A user scale without a range would divide by zero: the unit's preset is used instead.
        QTest::newRow("no user range") << Start{settingsFile("0|2|||1"), 950, 500, 1, 2, 0};
    }
    void startUpFromSettingsFile()
    {
        QFETCH(Start, row);
        Fixture f(row.file);
        QCOMPARE(f.m.GraphMax, row.max);
        QCOMPARE(f.m.GraphMin, row.min);
        QCOMPARE(f.m.GraphFactor, 1.0 / (row.max - row.min));
        const QString unit = row.degC ? "C" : "F";
        QCOMPARE(f.w->Label3->text(), "Time     Temperatures Deg " + unit);
        QCOMPARE(f.w->action("mnuScalesEGT")->text(),
                 "Typical Exhaust Gas Temps (" + QString(row.degC ? "500-950)" : "900-1700)"));
        QCOMPARE(f.w->action("mnuScalesFluid")->text(),
                 QStringLiteral("Typical Fluid/Air Temps (50-300)"));
        checkOneOf(f, {"mnuScalesEGT", "mnuScalesFluid", "mnuScalesUser"}, row.scaleMark);
        checkOneOf(f, {"mnuThin", "mnuThick", "mnuThickest"}, row.thicknessMark);
        checkOneOf(f, {"mnuDegF", "mnuDegC"}, row.degC);
    }

    void menuTree()
    {
        Fixture f;
        QStringList lines;
        outline(f.w->menuBar()->actions(), {}, lines);
        // One entry a "|", two leading blanks a level down.
        const QString menu = QStringLiteral(
            "File (mnuFile)|  New (mnuNew)|  Open (mnuOpen)|  Save (mnuSave)|"
            "  Save As (mnuSaveAs)|  -|  Export Data to Notepad (mnuExport)|"
            "  Export Data to CSV File (mnuExportCsv)|  -|"
            "  Print (mnuPrint)|  Windows Printer Setup (mnuPrintSetup)|  -|  Exit (mnuExit)|"
            "Options (mnuOptions)|  Strip Chart Recording Time (mnuStripChartTime)|"
            "  Graph Line Thickness (mnuThickness)|    Thin (mnuThin)|    Thick (mnuThick)|"
            "    Thickest (mnuThickest)|  -|  Thermocouple Graph Scales (mnuScales)|"
            "    Typical Exhaust Gas Temps (900-1700) (mnuScalesEGT)|"
            "    Typical Fluid/Air Temps (50-300) (mnuScalesFluid)|"
            "    User Specified (mnuScalesUser)|  Temperature Units (mnuTempUnits)|"
            "    Degrees F (mnuDegF)|    Degrees C (mnuDegC)|  Com Port(s) (mnuComPorts)|"
            "    Com Port for 1st Logger (mnuComPort1)|"
            "    Com Port for 2nd Logger (mnuComPort2)|"
            "Record Comments (mnuComments)|"
            "Help (mnuHelp)|  Help (mnuHelpHelp)|  About Thermocouple Recorder (mnuAbout)|"
            "  Veltrona on the Web (mnuWeb)");
        QCOMPARE(lines, menu.split(QLatin1Char('|')));
    }

    void unitAndScaleCommands_data()
    {
        QTest::addColumn<Command>("row");
        const QString scales = QStringLiteral("New Scales will be used for next data recorded.");
        const QString unit = QStringLiteral("New data recorded will be in Deg ");
        QTest::newRow("C") << Command{"mnuDegC", {}, unit + "C", 950, 500};
        QTest::newRow("F") << Command{"mnuDegF", {}, unit + "F", 1700, 900};
        QTest::newRow("fluid") << Command{"mnuScalesFluid", {}, scales, 300, 50};
        QTest::newRow("exhaust") << Command{"mnuScalesEGT", {}, scales, 1700, 900};
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
        QCOMPARE(f.m.GraphMax, row.max);
        QCOMPARE(f.m.GraphMin, row.min);
        QVERIFY(f.checked(qPrintable(row.name)));
        QCOMPARE(f.w->Picture5_1->face().Label5[0].caption, QString::number(row.min));
    }

    // The thickness is stored at once; its check mark moves at the next activation, which also
    // re-reads the user range.
    void activationRefreshesFromSettings()
    {
        Fixture f;
        f.w->action("mnuThickest")->trigger();
        QCOMPARE(f.m.LineThickness, qint16(2));
        QVERIFY(f.checked("mnuThin"));
        f.m.ScaleType = 2;
        f.m.UserGraphMax = QStringLiteral("400");
        f.m.UserGraphMin = QStringLiteral("100");
        f.w->Form_Activate();
        checkOneOf(f, {"mnuThin", "mnuThick", "mnuThickest"}, 2);
        QCOMPARE(f.w->Picture5_1->face().Label5[0].caption, QStringLiteral("100"));
        QVERIFY(f.prompts.messages.empty());
    }

    void findComListsPresentPorts_data()
    {
        QTest::addColumn<QList<int>>("present");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("1, 4, 16") << QList<int>{1, 4, 16} << QStringList{"1", "4", "16"};
        QTest::newRow("none") << QList<int>{} << QStringList{};
    }
    void findComListsPresentPorts()
    {
        QFETCH(QList<int>, present);
        QFETCH(QStringList, listed);
        Fixture f;
        f.w->Combo1->addItem(QStringLiteral("stale"));
        for (int n : present)
            f.existing[n] = true;
        f.w->Command2_Click();
        QStringList items;
        for (int i = 0; i < f.w->Combo1->count(); ++i)
            items << f.w->Combo1->itemText(i);
        QCOMPARE(items, listed);
        QCOMPARE(f.w->Combo1->currentIndex(), listed.isEmpty() ? -1 : 0);
    }

    // The close box and Exit take the same way out; Yes saves first.
    void exitAsksAboutUnsavedData_data()
    {
        QTest::addColumn<int>("unsaved");
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<bool>("ends");
        QTest::newRow("all saved") << 0 << MsgAnswer::Ok << true;
        QTest::newRow("yes") << 1 << MsgAnswer::Yes << true;
        QTest::newRow("no") << 1 << MsgAnswer::No << true;
        QTest::newRow("cancel") << 1 << MsgAnswer::Cancel << false;
    }
    void exitAsksAboutUnsavedData()
    {
        QFETCH(int, unsaved);
        QFETCH(MsgAnswer, answer);
        QFETCH(bool, ends);
        Fixture f;
        f.m.DataNotSaved = qint16(unsaved);
        f.m.ComPort[0] = 5;
        f.w->appendRunLine(QStringLiteral("   .4   450   462   471   480"));
        f.prompts.messageAnswers = {answer};
        f.w->show();
        QCOMPARE(f.w->close(), ends);
        QCOMPARE(f.prompts.messageTexts(),
                 unsaved ? QStringList{"Save this recorded data?"} : QStringList{});
        if (unsaved) {
            QCOMPARE(f.prompts.messages.front().caption, QStringLiteral("Save Data?"));
            QCOMPARE(f.prompts.messages.front().buttons, MsgButtons::YesNoCancel);
        }
        QCOMPARE(f.w->saveAs, unsaved && answer == MsgAnswer::Yes ? 1 : 0);
        QCOMPARE(f.ended, ends ? 1 : 0);
        QCOMPARE(f.configOnDisk(), ends ? WriteConfigText(f.m) : QByteArray());
        QCOMPARE(f.w->List1->count(), 1); // the run is never cleared on the way out
        QCOMPARE(f.w->isVisible(), !ends);
    }

    void exitErrorIsReportedAndShutdownGoesOn()
    {
        Fixture f;
        // A folder where the settings file belongs: the settings cannot be written.
        QVERIFY(QDir(f.dir.path()).mkdir(kConfigFileName));
        f.w->mnuExit_Click();
        QCOMPARE(f.prompts.messages.size(), size_t(1));
        const QString text = f.prompts.messages.front().text;
        QVERIFY2(QRegularExpression("^Exit Err = -?\\d+$").match(text).hasMatch(),
                 qPrintable(text));
        QCOMPARE(f.ended, 1);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
