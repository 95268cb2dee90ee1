// What the command line hands the window: a data file to open, and a session-only port.

#include "windowrig.h"

#include "datafile.h"
#include "recordingjournal.h"

#include <QDir>

const QString kFileRun =
    QStringLiteral(".5   850   845   790   65\r\n1.0   852   846   791   65\r\n");

class TestWindowStartup : public QObject
{
    Q_OBJECT
private slots:
    void dataFileNamedAtStartUp_data()
    {
        QTest::addColumn<QString>("name");      // in TCFiles; "run1" exists
        QTest::addColumn<bool>("withJournal");  // a run left unsaved by a crash
        QTest::addColumn<QStringList>("asked"); // the questions, in order
        QTest::addColumn<QString>("said");      // an OK box; empty: none, and run1 is opened
        QTest::newRow("missing") << "gone" << false << QStringList{} << "gone\" was not found.";
        QTest::newRow("a folder") << "" << false << QStringList{} << "TCFiles\" is not a file.";
        QTest::newRow("recovered run first, then asked to save it")
            << "run1" << true << QStringList{"Unsaved Run Found", "Save New Data?"} << "";
    }
    void dataFileNamedAtStartUp()
    {
        QFETCH(QString, name);
        QFETCH(bool, withJournal);
        QFETCH(QString, said);
        WindowRig<> rig;
        QCOMPARE(WriteDataFile(rig.dir.filePath("TCFiles/run1"),
                               WriteDataFileText("Run 1", kFileRun, 0, 4, 0)),
                 0);
        RecordingJournal journal; // a run the last session recorded and never saved
        if (withJournal) {
            QVERIFY(journal.begin(rig.dir.path() + "/TCFiles", 0, 4, 0, QStringLiteral("Lost")));
            QVERIFY(journal.append("7.0   100   101   102   103"));
            journal.close();
        }
        rig.prompts.messageAnswers = {MsgAnswer::Yes, MsgAnswer::No}; // take it back, don't save

        rig.w->afterShown(QDir::cleanPath(rig.dir.filePath("TCFiles/" + name)));

        QStringList captions, oks;
        for (const MessageRequest& m : rig.prompts.messages)
            m.buttons == MsgButtons::Ok ? void(oks << m.text) : void(captions << m.caption);
        QTEST(captions, "asked");
        QCOMPARE(oks.size(), said.isEmpty() ? 0 : 1);
        if (!said.isEmpty())
            QVERIFY2(oks[0].endsWith(said), qPrintable(oks[0]));
        QVERIFY(rig.w->windowTitle().endsWith(said.isEmpty() ? "[ run1 ]" : "[ Untitled ]"));
        QCOMPARE(rig.runText(), said.isEmpty() ? kFileRun : QString());
        QVERIFY(!rig.w->run().isUnsaved());
    }

    // A command-line port is used and offered, never saved; one chosen in the menu is (was 5).
    void sessionPortIsUsedAndNeverSaved_data()
    {
        QTest::addColumn<int>("comPort");     // from the command line; 0: none
        QTest::addColumn<QString>("device");  // from the command line; empty: none
        QTest::addColumn<QString>("menu");    // answer in Com Port; "": Cancel
        QTest::addColumn<QString>("offered"); // the number the menu's box proposes
        QTest::addColumn<QString>("opened");  // how Start selects the port
        QTest::addColumn<int>("saved");       // the setting stored at exit
        const QString none;
        QTest::newRow("number, menu cancelled")
            << 3 << none << none << QString("3") << "setPort 3" << 5;
        QTest::newRow("device, menu cancelled")
            << 0 << "/dev/ttyUSB9" << none << QString("5") << "setDevice /dev/ttyUSB9" << 5;
        QTest::newRow("device, then 2 chosen")
            << 0 << "/dev/ttyUSB9" << QString("2") << QString("5") << "setPort 2" << 2;
    }
    void sessionPortIsUsedAndNeverSaved()
    {
        QFETCH(int, comPort);
        QFETCH(QString, device);
        QFETCH(QString, menu);
        QFETCH(QString, opened);
        QFETCH(int, saved);
        WindowRig<> rig;
        rig.state.settings.comPorts[0] = 5;
        rig.w->useSessionPort(static_cast<qint16>(comPort), device);
        rig.prompts.inputAnswers = {menu};
        rig.w->action("mnuComPort1")->trigger();
        QTEST(rig.prompts.inputs.at(0).defaultText, "offered");
        rig.port.calls.clear();
        rig.w->onRecordButton(MainWindow::StartButton);
        QCOMPARE(rig.port.calls, (QStringList{"close", opened, "setSettings 19200,N,8,1", "open"}));
        rig.prompts.messageAnswers = {MsgAnswer::No}; // the run just started is not kept
        rig.w->onExit();
        QCOMPARE(rig.ended, 1);
        StoredSettings stored;
        ReadSettingsText(rig.configOnDisk(), stored);
        QCOMPARE(stored.comPorts[0], qint16(saved));
        QCOMPARE(rig.prompts.unexpected, 0);
    }
};

QTEST_MAIN(TestWindowStartup)
#include "test_window_startup.moc"
