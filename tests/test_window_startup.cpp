// What the command line hands the window: a data file opened once the window is up (after a run
// left by a crash was offered back), and a port for this session that is never saved.

#include "windowrig.h"

#include "datafile.h"
#include "recordingjournal.h"

#include <QAction>
#include <QDir>
#include <QTest>

namespace
{

const QString kFileRun =
    QStringLiteral(".5   850   845   790   65\r\n1.0   852   846   791   65\r\n");
const QString kJournalRun = QStringLiteral("7.0   100   101   102   103\r\n");

struct Rig : WindowRig<> {
    QString data(const QString& name) const { return dir.path() + "/TCFiles/" + name; }
    // A run the last session recorded and never saved.
    void leaveJournal()
    {
        RecordingJournal journal;
        QVERIFY(journal.begin(dir.path() + "/TCFiles", 0, 4, 0, QStringLiteral("Lost")));
        QVERIFY(journal.append(kJournalRun.trimmed()));
        journal.close();
    }
    qint16 savedComPort() const
    {
        Module1 saved;
        ReadConfigText(configOnDisk(), saved);
        return saved.ComPort[0];
    }
};

} // namespace

class TestWindowStartup : public QObject
{
    Q_OBJECT
private slots:
    void dataFileNamedAtStartUp_data()
    {
        QTest::addColumn<QString>("name");      // in TCFiles; "run1" exists
        QTest::addColumn<bool>("journal");      // a run left unsaved by a crash
        QTest::addColumn<QStringList>("asked"); // the questions, in order
        QTest::addColumn<QString>("said");      // an OK box; empty: none
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("run");
        QTest::newRow("opens") << "run1" << false << QStringList{} << ""
                               << "run1" << kFileRun;
        QTest::newRow("missing") << "gone" << false << QStringList{} << "gone\" was not found."
                                 << "Untitled" << QString();
        QTest::newRow("a folder") << "" << false << QStringList{} << "TCFiles\" is not a file."
                                  << "Untitled" << QString();
        QTest::newRow("recovered run first, then asked to save it")
            << "run1" << true << QStringList{"Unsaved Run Found", "Save New Data?"} << ""
            << "run1" << kFileRun;
    }
    void dataFileNamedAtStartUp()
    {
        QFETCH(QString, name);
        QFETCH(bool, journal);
        QFETCH(QStringList, asked);
        QFETCH(QString, said);
        QFETCH(QString, title);
        QFETCH(QString, run);
        Rig rig;
        QCOMPARE(WriteDataFile(rig.data("run1"), WriteDataFileText("Run 1", kFileRun, 0, 4, 0)), 0);
        if (journal)
            rig.leaveJournal();
        rig.prompts.messageAnswers = {MsgAnswer::Yes, MsgAnswer::No}; // take it back, don't save

        rig.w->afterShown(QDir::cleanPath(rig.data(name)));

        QStringList captions;
        QStringList oks;
        for (const MessageRequest& m : rig.prompts.messages)
            m.buttons == MsgButtons::Ok ? void(oks << m.text) : void(captions << m.caption);
        QCOMPARE(captions, asked);
        QVERIFY2(oks.size() == (said.isEmpty() ? 0 : 1), qPrintable(oks.join('|')));
        if (!said.isEmpty())
            QVERIFY2(oks[0].endsWith(said), qPrintable(oks[0]));
        QCOMPARE(rig.w->windowTitle(),
                 "Thermocouple Data Logger - Veltrona Inc.   [ " + title + " ]");
        QCOMPARE(rig.w->runText(), run);
        QCOMPARE(rig.prompts.openDialogs.size(), size_t(0));
        QCOMPARE(rig.m.DataNotSaved, qint16(0));
    }

    void sessionPortIsUsedAndNeverSaved_data()
    {
        QTest::addColumn<int>("comPort");     // from the command line; 0: none
        QTest::addColumn<QString>("device");  // from the command line; empty: none
        QTest::addColumn<QString>("menu");    // answer in Com Port; null: not used, "": Cancel
        QTest::addColumn<QString>("offered"); // the number the menu's box proposes
        QTest::addColumn<QString>("opened");  // how Start selects the port
        QTest::addColumn<int>("saved");       // the setting stored at exit (5 before)
        QTest::newRow("none") << 0 << "" << QString() << ""
                              << "setPort 5" << 5;
        QTest::newRow("number") << 3 << "" << QString() << ""
                                << "setPort 3" << 5;
        QTest::newRow("device") << 0 << "/dev/ttyUSB9" << QString() << ""
                                << "setDevice /dev/ttyUSB9" << 5;
        QTest::newRow("number, menu cancelled") << 3 << ""
                                                << ""
                                                << "3"
                                                << "setPort 3" << 5;
        QTest::newRow("number, then 7 chosen") << 3 << ""
                                               << "7"
                                               << "3"
                                               << "setPort 7" << 7;
        QTest::newRow("device, menu cancelled") << 0 << "/dev/ttyUSB9"
                                                << ""
                                                << "5"
                                                << "setDevice /dev/ttyUSB9" << 5;
        QTest::newRow("device, then 2 chosen") << 0 << "/dev/ttyUSB9"
                                               << "2"
                                               << "5"
                                               << "setPort 2" << 2;
        QTest::newRow("no session, 9 chosen") << 0 << ""
                                              << "9"
                                              << "5"
                                              << "setPort 9" << 9;
    }
    void sessionPortIsUsedAndNeverSaved()
    {
        QFETCH(int, comPort);
        QFETCH(QString, device);
        QFETCH(QString, menu);
        QFETCH(QString, offered);
        QFETCH(QString, opened);
        QFETCH(int, saved);
        Rig rig;
        rig.m.ComPort[0] = 5;
        rig.w->useSessionPort(static_cast<qint16>(comPort), device);
        if (!menu.isNull()) {
            rig.prompts.inputAnswers = {menu};
            rig.w->action("mnuComPort1")->trigger();
            QCOMPARE(rig.prompts.inputs.at(0).defaultText, offered);
        }
        rig.port.calls.clear();
        rig.w->StartComm();
        QCOMPARE(rig.port.calls, (QStringList{"close", opened, "setSettings 19200,N,8,1", "open"}));
        rig.w->mnuExit_Click();
        QCOMPARE(rig.ended, 1);
        QCOMPARE(rig.savedComPort(), qint16(saved));
        QCOMPARE(rig.prompts.unexpected, 0);
    }
};

QTEST_MAIN(TestWindowStartup)
#include "test_window_startup.moc"
