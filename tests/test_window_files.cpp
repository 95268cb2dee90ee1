// The file, export, cursor, help and print commands as the user reaches them through the main
// window, with dialogs answered by script and outside programs recorded.

#include "sectionbox.h"
#include "windowrig.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QTest>

namespace
{

const QString kRun = QStringLiteral(".5   850   845   790   65\r\n1.0   852   846   791   65\r\n"
                                    "1.5   990   846   791   66\r\n");

struct Rig : WindowRig<> {
    QString data(const QString& name) const { return dir.path() + "/TCFiles/" + name; }
    void loadRun(const QString& text = kRun)
    {
        w->Text1.Text = text;
        w->AnalyzeData();
        m.DataNotSaved = 1;
    }
};

} // namespace

class TestWindowFiles : public QObject
{
    Q_OBJECT
private slots:
    void saveAsThenOpenGivesTheRunBack()
    {
        Rig rig;
        rig.loadRun();
        rig.m.CommentsText = QStringLiteral("Run 1");
        rig.prompts.fileAnswers = {rig.data("run1")};
        rig.w->action("mnuSaveAs")->trigger();
        QCOMPARE(rig.w->windowTitle(), "Thermocouple Data Logger - Veltrona Inc.   [ run1 ]");
        QCOMPARE(rig.m.DataNotSaved, qint16(0));
        const QByteArray saved = rig.read(rig.data("run1"));
        QVERIFY(saved.startsWith("ZRB-TC-QLMR*1.10\r\n 0 \r\n 4 \r\n0\r\n"));

        rig.w->Text1.Text.clear();
        rig.w->List1->clear();
        rig.prompts.fileAnswers = {rig.data("run1")};
        rig.w->action("mnuOpen")->trigger();
        QCOMPARE(rig.w->Text1.Text, kRun);
        QCOMPARE(rig.w->List1->count(), 3);
        QCOMPARE(rig.m.CommentsText, QStringLiteral("Run 1\r\n"));
        // Saving the loaded run again writes the same file: the comments do not grow.
        rig.w->action("mnuSave")->trigger();
        QCOMPARE(rig.read(rig.data("run1")), saved);
    }

    void openingAFileOfTheOtherUnitSwitches()
    {
        Rig rig;
        QFile f(rig.data("inC"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(
            "ZRB-TC-QLMR*1.10\r\n 1 \r\n 4 \r\n0\r\nA/F1\r\nA/F1\r\nA/F1\r\nA/F1\r\n\r\n-9999\r\n"
            "7.26   450.6   461   472   483\r\n\r\n-9999\r\n");
        f.close();
        rig.prompts.fileAnswers = {rig.data("inC")};
        rig.w->mnuOpen_Click();
        QCOMPARE(rig.prompts.messageTexts(),
                 QStringList{"Your program is set to using Deg F but this file was saved using "
                             "Deg C.  The program will now be switch to temperature units of "
                             "Deg C."});
        QCOMPARE(rig.m.DegCFlag, qint16(1));
        QCOMPARE(rig.w->List1->item(0)->text(), QStringLiteral("7.3   451   461   472   483"));
    }

    void badFileChangesNothing()
    {
        Rig rig;
        rig.loadRun();
        QFile f(rig.data("other"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ZRB-AF-UEGO*1.10\r\n 0 \r\n");
        f.close();
        rig.prompts.fileAnswers = {rig.data("other")};
        rig.prompts.messageAnswers = {MsgAnswer::No}; // do not save the run first
        rig.w->mnuOpen_Click();
        QCOMPARE(rig.prompts.messages.back().caption, QStringLiteral("Bad File"));
        QCOMPARE(rig.prompts.messages.back().text,
                 QStringLiteral("This is not a Thermocouple Recorder file and can not be used."));
        QCOMPARE(rig.w->List1->count(), 3);
        QVERIFY(rig.w->windowTitle().endsWith("[ Untitled ]"));
    }

    // Exit's Yes really saves; a cancelled Save As before Save still leaves the run on disk.
    void unsavedRunsReachTheDisk()
    {
        Rig rig;
        rig.loadRun();
        rig.prompts.fileAnswers = {QString()};
        rig.w->mnuSave_Click();
        QVERIFY(rig.read(rig.data("Untitled")).contains("1.5   990   846   791   66\r\n"));

        rig.loadRun();
        rig.prompts.messageAnswers = {MsgAnswer::Yes};
        rig.prompts.fileAnswers = {rig.data("at exit")};
        rig.w->mnuExit_Click();
        QVERIFY(rig.read(rig.data("at exit")).contains(".5   850   845   790   65\r\n"));
        QCOMPARE(rig.ended, 1);
    }

    void exportWritesTheListAndOpensIt()
    {
        Rig rig;
        rig.loadRun();
        rig.launcher.available = {QStringLiteral("xdg-open")};
        rig.w->action("mnuExport")->trigger();
        const QString path = rig.dir.path() + "/Export.txt";
        QCOMPARE(QString::fromLatin1(rig.read(path)), kRun);
        QCOMPARE(rig.launcher.started.size(), size_t(1));
        QCOMPARE(rig.launcher.started[0].second, QStringList{path});
        QVERIFY(rig.prompts.messageTexts()[0].startsWith("When you are finished viewing the "
                                                         "Export.txt document"));
    }

    void cursorShowsTheChosenSample()
    {
        Rig rig;
        rig.loadRun();
        rig.w->List1->setCurrentRow(2);
        QCOMPARE(rig.w->Label1[0]->text(), QStringLiteral("1.5"));
        QCOMPARE(rig.w->label6Caption(0), QStringLiteral("990"));
        QVERIFY(rig.w->Label2[0]->isVisibleTo(rig.w.get()));
        // A click on the chart picks the row nearest in time.
        float x = 0.7f;
        int section = 0;
        rig.w->DrawGraphCursor(x, section);
        QCOMPARE(rig.w->List1->currentRow(), 0);
        QCOMPARE(rig.w->Label1[0]->text(), QStringLiteral(".5"));
    }

    void helpOpensACopyOfTheHelpText()
    {
        Rig rig;
        QVERIFY(QDir(rig.dir.path()).mkpath("TC Text"));
        QFile help(rig.dir.path() + "/TC Text/AFHelp.txt");
        QVERIFY(help.open(QIODevice::WriteOnly));
        help.write("help\r\n");
        help.close();
        rig.launcher.available = {QStringLiteral("gedit")};
        rig.w->mnuHelpHelp_Click();
        const QString copy = rig.dir.path() + "/TC Text/AFHelpBKP.txt";
        QCOMPARE(rig.read(copy), QByteArray("help\r\n"));
        QCOMPARE(rig.launcher.started.back(),
                 std::make_pair(QStringLiteral("gedit"), QStringList{copy}));
    }

    void printWritesOnePage()
    {
        Rig rig;
        const QString pdf = rig.dir.path() + "/page.pdf";
        rig.w->printer().setOutputFormat(QPrinter::PdfFormat);
        rig.w->printer().setOutputFileName(pdf);
        rig.w->mnuPrint_Click();
        QVERIFY(rig.prompts.messages.empty());
        QVERIFY(rig.read(pdf).startsWith("%PDF"));
    }
};

QTEST_MAIN(TestWindowFiles)
#include "test_window_files.moc"
