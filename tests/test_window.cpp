// The main window as a user meets it: start-up, the menu, captions and check marks, the option
// and port commands, and the ways out of the program.

#include "gaugepanel.h"
#include "windowrig.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace
{

// Records the commands that other commands run.
class Window final : public VoviRezoZA
{
public:
    using VoviRezoZA::VoviRezoZA;
    void Command1_Click(int Index) override { command1.push_back(Index); }
    void mnuSaveAs_Click() override { ++saveAs; }
    std::vector<int> command1;
    int saveAs = 0;
};

using Fixture = WindowRig<Window>;

// The menu as an indented outline: one line an entry, "-" for a separator.
void outline(const QMenu* menu, int depth, QStringList& lines)
{
    for (QAction* a : menu->actions()) {
        const QString indent(depth * 2, QLatin1Char(' '));
        if (a->isSeparator()) {
            lines << indent + QStringLiteral("-");
            continue;
        }
        lines << indent + a->text() + QStringLiteral(" (") + a->objectName() + QLatin1Char(')');
        if (a->menu())
            outline(a->menu(), depth + 1, lines);
    }
}

QByteArray settingsFile(int strip, int thickness, int scale, const char* max, const char* min,
                        int degC)
{
    Module1 m;
    m.StripChartTime = qint16(strip);
    m.LineThickness = qint16(thickness);
    m.ScaleType = qint16(scale);
    m.UserGraphMax = QString::fromLatin1(max);
    m.UserGraphMin = QString::fromLatin1(min);
    m.DegCFlag = qint16(degC);
    return WriteConfigText(m);
}

} // namespace

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
        QVERIFY(f.w->CommBuffer.isEmpty());
        QCOMPARE(f.m.DoingStripChart, qint16(1));
        QCOMPARE(f.m.ChartStarted, qint16(1));
        QCOMPARE(f.m.StripChartTime, qint16(15)); // unset chart time becomes 15 at set-up
        QVERIFY(f.w->Label15[1]->isHidden());
        QCOMPARE(f.w->Label15[0]->text(), QStringLiteral("Temperature Deg F"));
        QCOMPARE(f.w->Label14[0]->text(), QStringLiteral("1700"));
        QCOMPARE(f.w->Label14[1]->text(), QStringLiteral("900"));
        QVERIFY(!f.w->Timer1->isActive());
        QVERIFY(f.w->Command3->isHidden());
        QVERIFY(f.prompts.messages.empty());
        // Idle from the start, even before the window is first activated.
        QCOMPARE(f.w->Label1[3]->text(),
                 QStringLiteral("Click on 'Start' or press <F1> to start recording data."));
    }

    void startUpFromSettingsFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("min");
        QTest::addColumn<QString>("heading");
        QTest::newRow("user range in C") << settingsFile(60, 1, 2, "1200", "600", 1) << 1200.0
                                         << 600.0 << "Time     Temperatures Deg C";
        // A damaged file must not stop the program: unreadable fields keep their defaults.
        QTest::newRow("damaged file")
            << QByteArray("\x01\xff garbage\r\n,,,\r\n\r\n\r\n\r\nxyz\r\n99999\r\n\"\r\n") << 1700.0
            << 900.0 << "Time     Temperatures Deg F";
        QTest::newRow("user scale without a range falls back to the preset")
            << settingsFile(15, 0, 2, "", "", 1) << 950.0 << 500.0 << "Time     Temperatures Deg C";
    }
    void startUpFromSettingsFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(double, max);
        QFETCH(double, min);
        QFETCH(QString, heading);
        Fixture f(file);
        QCOMPARE(f.m.GraphMax, max);
        QCOMPARE(f.m.GraphMin, min);
        QCOMPARE(f.m.GraphFactor, 1.0 / (max - min));
        QCOMPARE(f.w->Label3->text(), heading);
        QVERIFY(f.w->PollLimit > 0);
    }

    void menuTree()
    {
        Fixture f;
        QStringList lines;
        for (QAction* top : f.w->menuBar()->actions()) {
            lines << top->text() + QStringLiteral(" (") + top->objectName() + QLatin1Char(')');
            if (top->menu())
                outline(top->menu(), 1, lines);
        }
        const QStringList expected{
            "File (mnuFile)",
            "  New (mnuNew)",
            "  Open (mnuOpen)",
            "  Save (mnuSave)",
            "  Save As (mnuSaveAs)",
            "  -",
            "  Export Data to Notepad (mnuExport)",
            "  -",
            "  Print (mnuPrint)",
            "  Windows Printer Setup (mnuPrintSetup)",
            "  -",
            "  Exit (mnuExit)",
            "Options (mnuOptions)",
            "  Strip Chart Recording Time (mnuStripChartTime)",
            "  Graph Line Thickness (mnuThickness)",
            "    Thin (mnuThin)",
            "    Thick (mnuThick)",
            "    Thickest (mnuThickest)",
            "  -",
            "  Thermocouple Graph Scales (mnuScales)",
            "    Typical Exhaust Gas Temps (900-1700) (mnuScalesEGT)",
            "    Typical Fluid/Air Temps (50-300) (mnuScalesFluid)",
            "    User Specified (mnuScalesUser)",
            "  Temperature Units (mnuTempUnits)",
            "    Degrees F (mnuDegF)",
            "    Degrees C (mnuDegC)",
            "  Com Port(s) (mnuComPorts)",
            "    Com Port for 1st Logger (mnuComPort1)",
            "    Com Port for 2nd Logger (mnuComPort2)",
            "Record Comments (mnuComments)",
            "Help (mnuHelp)",
            "  Help (mnuHelpHelp)",
            "  About Thermocouple Recorder (mnuAbout)",
            "  Veltrona on the Web (mnuWeb)",
        };
        QCOMPARE(lines, expected);
    }

    void newDoesNothing()
    {
        Fixture f;
        const QByteArray before = WriteConfigText(f.m);
        f.w->action(QStringLiteral("mnuNew"))->trigger();
        QVERIFY(f.prompts.messages.empty());
        QCOMPARE(WriteConfigText(f.m), before);
    }

    void functionKeysRunStartAndStop()
    {
        Fixture f;
        f.w->Form_KeyDown(112);
        f.w->Form_KeyDown(113);
        f.w->Form_KeyDown(114);
        QCOMPARE(f.w->command1, (std::vector<int>{0, 1}));
    }

    void captionsAndCheckMarks_data()
    {
        QTest::addColumn<int>("degC");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("thickness");
        QTest::addColumn<QString>("egtCaption");
        QTest::addColumn<QString>("scaleChecked");
        QTest::addColumn<QString>("thicknessChecked");
        QTest::newRow("F, exhaust, thin") << 0 << 0 << 0 << "Typical Exhaust Gas Temps (900-1700)"
                                          << "mnuScalesEGT"
                                          << "mnuThin";
        QTest::newRow("C, fluid, thick") << 1 << 1 << 1 << "Typical Exhaust Gas Temps (500-950)"
                                         << "mnuScalesFluid"
                                         << "mnuThick";
        QTest::newRow("C, user, thickest") << 1 << 2 << 2 << "Typical Exhaust Gas Temps (500-950)"
                                           << "mnuScalesUser"
                                           << "mnuThickest";
        QTest::newRow("unit 7 reads as F, scale 9 as user, thickness 5 as thin")
            << 7 << 9 << 5 << "Typical Exhaust Gas Temps (900-1700)"
            << "mnuScalesUser"
            << "mnuThin";
    }
    void captionsAndCheckMarks()
    {
        QFETCH(int, degC);
        QFETCH(int, scale);
        QFETCH(int, thickness);
        QFETCH(QString, egtCaption);
        QFETCH(QString, scaleChecked);
        QFETCH(QString, thicknessChecked);
        Fixture f(settingsFile(15, thickness, scale, "1000", "500", degC));
        QCOMPARE(f.w->action("mnuScalesEGT")->text(), egtCaption);
        QCOMPARE(f.w->action("mnuScalesFluid")->text(),
                 QStringLiteral("Typical Fluid/Air Temps (50-300)"));
        for (const char* name : {"mnuScalesEGT", "mnuScalesFluid", "mnuScalesUser"})
            QCOMPARE(f.checked(name), scaleChecked == QLatin1String(name));
        for (const char* name : {"mnuThin", "mnuThick", "mnuThickest"})
            QCOMPARE(f.checked(name), thicknessChecked == QLatin1String(name));
        QCOMPARE(f.checked("mnuDegC"), degC == 1);
        QCOMPARE(f.checked("mnuDegF"), degC != 1);
    }

    void activationFollowsChangedSettings()
    {
        Fixture f;
        f.m.DegCFlag = 1;
        f.m.ScaleType = 2;
        f.m.UserGraphMax = QStringLiteral("400");
        f.m.UserGraphMin = QStringLiteral("100");
        f.w->Form_Activate();
        QCOMPARE(f.w->action("mnuScalesEGT")->text(),
                 QStringLiteral("Typical Exhaust Gas Temps (500-950)"));
        QCOMPARE(f.m.GraphMax, 400.0);
        QCOMPARE(f.m.GraphMin, 100.0);
        QCOMPARE(f.w->Picture5_1->face().Label5[0].caption, QStringLiteral("100"));
    }

    void unitAndScaleCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("answers"); // to the input boxes; a Yes/No box gets Yes
        QTest::addColumn<QString>("message");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("min");
        const QString scales = QStringLiteral("New Scales will be used for next data recorded.");
        QTest::newRow("degrees C")
            << "mnuDegC" << QStringList{} << "New data recorded will be in Deg C" << 950.0 << 500.0;
        QTest::newRow("degrees F") << "mnuDegF" << QStringList{}
                                   << "New data recorded will be in Deg F" << 1700.0 << 900.0;
        QTest::newRow("fluid preset")
            << "mnuScalesFluid" << QStringList{} << scales << 300.0 << 50.0;
        QTest::newRow("exhaust preset")
            << "mnuScalesEGT" << QStringList{} << scales << 1700.0 << 900.0;
        QTest::newRow("user range")
            << "mnuScalesUser" << QStringList{"1000", "500"} << scales << 1000.0 << 500.0;
    }
    // Each command stores its setting, refreshes captions, check marks and panel, then says so.
    void unitAndScaleCommands()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, answers);
        QFETCH(QString, message);
        QFETCH(double, max);
        QFETCH(double, min);
        Fixture f;
        f.prompts.inputAnswers.assign(answers.begin(), answers.end());
        f.prompts.messageAnswers = {MsgAnswer::Yes};
        f.w->action(command)->trigger();
        QCOMPARE(f.prompts.messageTexts().last(), message);
        QCOMPARE(f.m.GraphMax, max);
        QCOMPARE(f.m.GraphMin, min);
        QVERIFY(f.checked(qPrintable(command)));
        QCOMPARE(f.w->Picture5_1->face().Label5[0].caption, QString::number(min));
    }

    // The thickness is stored at once; its check mark moves at the next caption refresh.
    void thicknessCheckMarkWaitsForRefresh()
    {
        Fixture f;
        f.w->action("mnuThickest")->trigger();
        QCOMPARE(f.m.LineThickness, qint16(2));
        QVERIFY(f.checked("mnuThin"));
        QVERIFY(!f.checked("mnuThickest"));
        f.w->Form_Activate();
        QVERIFY(f.checked("mnuThickest"));
        QVERIFY(!f.checked("mnuThin"));
        QVERIFY(f.prompts.messages.empty());
    }

    void findComListsPresentPorts_data()
    {
        QTest::addColumn<QList<int>>("present");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("ports 1 and 4") << QList<int>{1, 4} << QStringList{"1", "4"};
        QTest::newRow("port 16 only") << QList<int>{16} << QStringList{"16"};
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

    // The close box and Exit take the same way out.
    void exitAsksAboutUnsavedData_data()
    {
        QTest::addColumn<int>("unsaved");
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<int>("saveAs");
        QTest::addColumn<bool>("ends");
        QTest::newRow("nothing unsaved: no question") << 0 << MsgAnswer::Ok << 0 << true;
        QTest::newRow("yes saves, then ends") << 1 << MsgAnswer::Yes << 1 << true;
        QTest::newRow("no ends") << 1 << MsgAnswer::No << 0 << true;
        QTest::newRow("cancel keeps running") << 1 << MsgAnswer::Cancel << 0 << false;
    }
    void exitAsksAboutUnsavedData()
    {
        QFETCH(int, unsaved);
        QFETCH(MsgAnswer, answer);
        QFETCH(int, saveAs);
        QFETCH(bool, ends);
        Fixture f;
        f.m.DataNotSaved = qint16(unsaved);
        f.m.ComPort[0] = 5;
        f.w->List1->addItem(QStringLiteral("   .4   450   462   471   480"));
        if (unsaved)
            f.prompts.messageAnswers = {answer};
        f.w->show();
        QCOMPARE(f.w->close(), ends);
        QCOMPARE(f.prompts.messages.size(), size_t(unsaved));
        if (unsaved) {
            const MessageRequest& ask = f.prompts.messages.front();
            QCOMPARE(ask.text, QStringLiteral("Save this recorded data?"));
            QCOMPARE(ask.caption, QStringLiteral("Save Data?"));
            QCOMPARE(ask.buttons, MsgButtons::YesNoCancel);
            QCOMPARE(ask.icon, MsgIcon::Question);
        }
        QCOMPARE(f.w->saveAs, saveAs);
        QCOMPARE(f.ended, ends ? 1 : 0);
        QCOMPARE(f.configOnDisk(), ends ? WriteConfigText(f.m) : QByteArray());
        QCOMPARE(f.m.CancelExit, qint16(ends ? 0 : 1));
        QCOMPARE(f.w->List1->count(), 1);
        QCOMPARE(f.w->isVisible(), !ends);
    }

    void exitErrorIsReportedAndShutdownGoesOn()
    {
        Fixture f;
        // Take the folder away: the settings cannot be written any more.
        QVERIFY(QDir(f.dir.path()).removeRecursively());
        QFile blocker(f.dir.path());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.w->mnuExit_Click();
        QCOMPARE(f.prompts.messages.size(), size_t(1));
        QVERIFY(f.prompts.messages.front().text.startsWith(QStringLiteral("Exit Err = ")));
        bool numeric = false;
        f.prompts.messages.front().text.mid(11).toInt(&numeric);
        QVERIFY(numeric);
        QCOMPARE(f.ended, 1);
        QFile::remove(f.dir.path());
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
