// The file, export, cursor, help and print commands as the user reaches them through the main
// window, with dialogs answered by script and outside programs recorded.

#include "windowrig.h"

#include "pdfpages.h"
#include "readinglistview.h"
#include <QAction>
#include <QLabel>
#include <QPrinter>
#include <QTest>

namespace
{

const QString kRun = QStringLiteral(".5   850   845   790   65\r\n1.0   852   846   791   65\r\n"
                                    "1.5   990   846   791   66\r\n");

struct Rig : WindowRig<> {
    // Starts with an unsaved run of three samples.
    Rig()
    {
        w->AnalyzeData(kRun);
        m.DataNotSaved = 1;
    }
    QString data(const QString& name) const { return dir.path() + "/TCFiles/" + name; }
    void write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
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
        rig.m.CommentsText = QStringLiteral("Run 1");
        rig.prompts.fileAnswers = {rig.data("run1")};
        rig.w->action("mnuSaveAs")->trigger();
        QCOMPARE(rig.w->windowTitle(), "Thermocouple Data Logger - Veltrona Inc.   [ run1 ]");
        const QByteArray saved = rig.read(rig.data("run1"));
        QVERIFY(saved.startsWith("ZRB-TC-QLMR*1.10\r\n 0 \r\n 4 \r\n0\r\n"));

        rig.w->clearRun();
        rig.prompts.fileAnswers = {rig.data("run1")};
        rig.w->action("mnuOpen")->trigger();
        QCOMPARE(rig.w->runText(), kRun);
        QCOMPARE(rig.w->List1->count(), 3);
        QCOMPARE(rig.m.CommentsText, QStringLiteral("Run 1\r\n"));
        // Saving the loaded run again writes the same file: the comments do not grow.
        rig.w->action("mnuSave")->trigger();
        QCOMPARE(rig.read(rig.data("run1")), saved);
    }

    // A file of another kind changes nothing; one saved in the other unit switches the program.
    void openChecksTheFile()
    {
        Rig rig;
        rig.write(rig.data("other"), "ZRB-AF-UEGO*1.10\r\n 0 \r\n");
        rig.prompts.fileAnswers = {rig.data("other")};
        rig.prompts.messageAnswers = {MsgAnswer::No}; // do not save the run first
        rig.w->mnuOpen_Click();
        QCOMPARE(rig.prompts.messages.back().caption, QStringLiteral("Bad File"));
        QCOMPARE(rig.prompts.messages.back().text,
                 QStringLiteral("This is not a Thermocouple Recorder file and can not be used."));
        QCOMPARE(rig.w->List1->count(), 3);
        QVERIFY(rig.w->windowTitle().endsWith("[ Untitled ]"));

        rig.prompts.messageAnswers = {MsgAnswer::No};
        rig.write(rig.data("inC"),
                  "ZRB-TC-QLMR*1.10\r\n 1 \r\n 4 \r\n0\r\nA/F1\r\nA/F1\r\nA/F1\r\nA/F1\r\n\r\n"
                  "-9999\r\n7.26   450.6   461   472   483\r\n\r\n-9999\r\n");
        rig.prompts.fileAnswers = {rig.data("inC")};
        rig.w->mnuOpen_Click();
        QCOMPARE(rig.prompts.messageTexts().last(),
                 QStringLiteral("Your program is set to using Deg F but this file was saved using "
                                "Deg C.  The program will now be switch to temperature units of "
                                "Deg C."));
        QCOMPARE(rig.m.DegCFlag, qint16(1));
        QCOMPARE(rig.w->List1->text(0), QStringLiteral("7.3   451   461   472   483"));
    }

    // Exit's Yes really saves; a cancelled Save As before Save still leaves the run on disk.
    void unsavedRunsReachTheDisk()
    {
        Rig rig;
        rig.prompts.fileAnswers = {QString()};
        rig.w->mnuSave_Click();
        QVERIFY(rig.read(rig.data("Untitled")).contains("1.5   990   846   791   66\r\n"));

        rig.m.DataNotSaved = 1;
        rig.prompts.messageAnswers = {MsgAnswer::Yes};
        rig.prompts.fileAnswers = {rig.data("at exit")};
        rig.w->mnuExit_Click();
        QVERIFY(rig.read(rig.data("at exit")).contains(".5   850   845   790   65\r\n"));
        QCOMPARE(rig.ended, 1);
    }

    // Export writes the list to a file and opens it; Help opens a copy of the help text.
    void exportAndHelpOpenInTheEditor()
    {
        Rig rig;
        rig.launcher.available = {QStringLiteral("xdg-open")};
        rig.w->action("mnuExport")->trigger();
        const QString path = rig.dir.path() + "/Export.txt";
        QCOMPARE(QString::fromLatin1(rig.read(path)), kRun);
        QCOMPARE(rig.launcher.started, (decltype(rig.launcher.started){{"xdg-open", {path}}}));
        QVERIFY(rig.prompts.messageTexts()[0].startsWith(
            "When you are finished viewing the Export.txt document"));

        QVERIFY(QDir(rig.dir.path()).mkpath("TC Text"));
        rig.write(rig.dir.path() + "/TC Text/AFHelp.txt", "help\r\n");
        rig.w->mnuHelpHelp_Click();
        const QString copy = rig.dir.path() + "/TC Text/AFHelpBKP.txt";
        QCOMPARE(rig.read(copy), QByteArray("help\r\n"));
        QCOMPARE(rig.launcher.started.back().second, QStringList{copy});
    }

    // The CSV export takes the name from its dialog and the unit from the run, not from the
    // unit setting; Cancel writes nothing.
    void csvExportWritesTheRunInItsUnit_data()
    {
        QTest::addColumn<QString>("answer"); // the name chosen in TCFiles; null: Cancel
        QTest::addColumn<int>("runDegC");
        QTest::addColumn<int>("settingDegC");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QString>("message"); // what a message says; empty: none
        QTest::newRow("degrees F")
            << "run1.csv" << 0 << 0 << QByteArray("time_s,ch1_degF,ch2_degF,ch3_degF,ch4_degF")
            << "";
        QTest::newRow("run in C, setting now F")
            << "run1.csv" << 1 << 0 << QByteArray("time_s,ch1_degC,ch2_degC,ch3_degC,ch4_degC")
            << "";
        QTest::newRow("run in F, setting now C")
            << "run1.csv" << 0 << 1 << QByteArray("time_s,ch1_degF,ch2_degF,ch3_degF,ch4_degF")
            << "";
        QTest::newRow("Cancel") << QString() << 0 << 0 << QByteArray() << "";
        QTest::newRow("missing folder")
            << "gone/run1.csv" << 0 << 0 << QByteArray() << "path not found (error 76).";
    }
    void csvExportWritesTheRunInItsUnit()
    {
        QFETCH(QString, answer);
        QFETCH(int, runDegC);
        QFETCH(int, settingDegC);
        QFETCH(QByteArray, header);
        QFETCH(QString, message);
        Rig rig;
        rig.w->runDegCFlag = static_cast<qint16>(runDegC);
        rig.m.DegCFlag = static_cast<qint16>(settingDegC);
        const QString path = answer.isNull() ? QString() : rig.data(answer);
        rig.prompts.fileAnswers = {path};
        rig.w->action("mnuExportCsv")->trigger();

        QCOMPARE(rig.prompts.saveDialogs.size(), size_t(1));
        QCOMPARE(rig.prompts.saveDialogs[0].initialName, QStringLiteral("Untitled.csv"));
        QCOMPARE(rig.prompts.saveDialogs[0].initialDir, rig.dir.path() + "/TCFiles");
        const QByteArray rows(".5,850,845,790,65\r\n1.0,852,846,791,65\r\n1.5,990,846,791,66\r\n");
        QCOMPARE(rig.read(path), header.isEmpty() ? QByteArray() : header + "\r\n" + rows);
        const QStringList shown = rig.prompts.messageTexts();
        QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(shown[0].endsWith(message), qPrintable(shown[0]));
        QCOMPARE(rig.m.DataNotSaved, qint16(1)); // an export is no save
        QVERIFY(!QFile::exists(rig.dir.path() + "/Export.txt"));
    }

    void cursorShowsTheChosenSample()
    {
        Rig rig;
        rig.w->List1->setCurrentRow(2);
        QCOMPARE(rig.w->label6Caption(0), QStringLiteral("990"));
        // A click on the chart picks the row nearest in time.
        float x = 0.7f;
        int section = 0;
        rig.w->DrawGraphCursor(x, section);
        QCOMPARE(rig.w->List1->currentRow(), 0);
        QCOMPARE(rig.w->Label1[0]->text(), QStringLiteral(".5"));
    }

    // With a printer the user chooses it or a PDF file; without one, Print offers the file.
    // Either way one page shows the window as it was captured.
    void printGivesOnePageOfTheWindow_data()
    {
        QTest::addColumn<bool>("printer");
        QTest::addColumn<bool>("choosePdf");
        QTest::newRow("no printer: a PDF file") << false << true;
        QTest::newRow("printer") << true << false;
        QTest::newRow("printer, PDF chosen") << true << true;
    }
    void printGivesOnePageOfTheWindow()
    {
        QFETCH(bool, printer);
        QFETCH(bool, choosePdf);
        Rig rig;
        rig.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.w.get()));
        const QString printed = rig.dir.path() + "/printer.pdf";
        const QString pdf = rig.data("Untitled.pdf");
        // A printer that writes a file stands in for an installed one; a PDF device without a
        // file is what Qt gives when none is installed.
        rig.w->printer().setOutputFileName(printer ? printed : QString());
        rig.w->printer().setOutputFormat(QPrinter::PdfFormat);
        if (printer)
            rig.prompts.printOutputAnswers = {choosePdf ? PrintOutput::PdfFile
                                                        : PrintOutput::Printer};
        if (choosePdf)
            rig.prompts.fileAnswers = {pdf};
        rig.w->action("mnuPrint")->trigger();

        QCOMPARE(rig.prompts.unexpected, 0);
        QVERIFY(rig.prompts.messages.empty());
        if (choosePdf) {
            QCOMPARE(rig.prompts.saveDialogs.at(0).initialName, QStringLiteral("Untitled.pdf"));
            QCOMPARE(rig.prompts.saveDialogs.at(0).initialDir, rig.dir.path() + "/TCFiles");
        }
        const QString file = choosePdf ? pdf : printed;
        QVERIFY(!QFile::exists(choosePdf ? printed : pdf));
        const PdfPages page = ReadPdf(file, 50);
        QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
        QCOMPARE(page.pages, 1);
        const QImage capture = rig.w->Picture1->pixmap().toImage();
        QCOMPARE(capture.size(), rig.w->grab().size());
        // Wider than high: the printer's page in landscape, the window as large as the
        // printable area allows, from its corner.
        QPageLayout layout = rig.w->printer().pageLayout();
        layout.setOrientation(QPageLayout::Landscape);
        QCOMPARE(page.pageSize, layout.fullRect(QPageLayout::Point).size());
        const QRectF paint = layout.paintRect(QPageLayout::Point);
        const double scale =
            std::min(paint.width() / capture.width(), paint.height() / capture.height());
        const QRect area =
            QRectF(paint.topLeft() * 50 / 72.0, QSizeF(capture.size()) * scale * 50 / 72.0)
                .toRect()
                .adjusted(1, 1, -1, -1);
        const double difference = MeanDifference(page.firstPage, area, capture);
        QVERIFY2(difference < 15, qPrintable(QString::number(difference)));
        // A picture that is not the window's is told apart.
        QVERIFY(MeanDifference(page.firstPage, area, capture.mirrored(true, true)) > 40);
    }
};

QTEST_MAIN(TestWindowFiles)
#include "test_window_files.moc"
