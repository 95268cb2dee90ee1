// The file, export, cursor, help and print commands as the user reaches them through the main
// window, with dialogs answered by script and outside programs recorded.

#include "windowrig.h"

#include "commentseditor.h"
#include "pdfpages.h"
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>

namespace
{

const QString kRun = QStringLiteral(".5   850   845   790   65\r\n1.0   852   846   791   65\r\n"
                                    "1.5   990   846   791   66\r\n");

struct Rig : WindowRig<> {
    // Starts with an unsaved run of three samples recorded in `degreesCelsius` (kRun in C).
    explicit Rig(qint16 degreesCelsius = 1)
    {
        state.settings.degreesCelsius = degreesCelsius;
        w->applyThermocoupleMode();
        w->onRecordButton(MainWindow::StartButton);
        port.feed("\r\n0,0,0,0,0\r\n");
        w->onSampleTick();
        tickAt(0.5f, "0,850,845,790,65\r\n");
        tickAt(1.0f, "0,852,846,791,65\r\n");
        tickAt(1.5f, "0,990,846,791,66\r\n");
        w->onRecordButton(MainWindow::StopButton);
    }
};

} // namespace

class TestWindowFiles : public QObject
{
    Q_OBJECT
private slots:
    // Save As then Open gives the run back, and Save writes the same file again: the comments
    // do not grow. A file of another kind changes nothing; one saved in the other unit switches
    // the program.
    void saveAsThenOpen()
    {
        Rig rig;
        rig.w->onComments();
        auto* comments = rig.w->findChild<CommentsEditor*>();
        QVERIFY(comments);
        comments->editor->setPlainText(QStringLiteral("Run 1"));
        comments->onButton(0);
        rig.saveAs(rig.data("run1"));
        QCOMPARE(rig.w->windowTitle(), "Thermocouple Data Logger - Veltrona Inc.   [ run1 ]");
        const QByteArray saved = rig.read(rig.data("run1"));
        QVERIFY(saved.startsWith("ZRB-TC-QLMR*1.10\r\n 1 \r\n 4 \r\n0\r\n"));
        rig.write(rig.data("other"), "ZRB-AF-UEGO*1.10\r\n 0 \r\n");
        rig.write(rig.data("inF"),
                  "ZRB-TC-QLMR*1.10\r\n 0 \r\n 4 \r\n0\r\nA/F1\r\nA/F1\r\nA/F1\r\nA/F1\r\n\r\n"
                  "-9999\r\n7.26   450.6   461   472   483\r\n\r\n-9999\r\n");
        rig.prompts.fileAnswers = {rig.data("run1"), rig.data("other"), rig.data("inF")};

        rig.w->action("mnuOpen")->trigger();
        QCOMPARE(rig.runText(), kRun);
        QCOMPARE(rig.w->run().header().comments, QStringLiteral("Run 1\r\n"));
        rig.w->action("mnuSave")->trigger();
        QCOMPARE(rig.read(rig.data("run1")), saved);

        rig.w->onOpen();
        QCOMPARE(rig.prompts.messageTexts().last(),
                 QStringLiteral("This is not a Thermocouple Recorder file and can not be used."));
        QCOMPARE(rig.runText(), kRun);
        rig.w->onOpen();
        QVERIFY(rig.prompts.messageTexts().last().endsWith("units of Deg F."));
        QCOMPARE(rig.state.settings.degreesCelsius, qint16(0));
        QCOMPARE(rig.w->readingList->text(0), QStringLiteral("7.3   451   461   472   483"));
    }

    // A Save with no name yet whose Save As is cancelled still leaves the run on disk; Exit's
    // Yes really saves, under the first 40 characters of a longer name.
    void unsavedRunsReachTheDisk()
    {
        Rig rig;
        rig.prompts.fileAnswers = {QString()};
        rig.w->onSave();
        QVERIFY(rig.read(rig.data("Untitled")).contains("1.5   990   846   791   66\r\n"));
        QVERIFY(!rig.w->run().isUnsaved());

        Rig exiting;
        const QString forty = QStringLiteral("0123456789").repeated(4);
        exiting.prompts.messageAnswers = {MsgAnswer::Yes};
        exiting.prompts.fileAnswers = {exiting.data(forty + "cut")};
        exiting.w->onExit();
        QVERIFY(exiting.read(exiting.data(forty)).contains(".5   850   845   790   65\r\n"));
        QCOMPARE(exiting.ended, 1);
    }

    // Export writes the list to a file and opens it; Help opens a copy of the help text; a row
    // chosen in the list or a click on the chart moves the cursor.
    void exportHelpAndCursor()
    {
        Rig rig;
        rig.launcher.available = {QStringLiteral("xdg-open")};
        rig.w->action("mnuExport")->trigger();
        const QString path = rig.dir.path() + "/Export.txt";
        QCOMPARE(QString::fromLatin1(rig.read(path)), kRun);
        QCOMPARE(rig.launcher.started, (decltype(rig.launcher.started){{"xdg-open", {path}}}));

        QVERIFY(QDir(rig.dir.path()).mkpath("TC Text"));
        rig.write(rig.dir.path() + "/TC Text/AFHelp.txt", "help\r\n");
        rig.w->onHelp();
        const QString copy = rig.dir.path() + "/TC Text/AFHelpBKP.txt";
        QCOMPARE(rig.read(copy), QByteArray("help\r\n"));
        QCOMPARE(rig.launcher.started.back().second, QStringList{copy});

        rig.w->readingList->setCurrentRow(2);
        QCOMPARE(rig.w->channelReadingCaption(0), QStringLiteral("990"));
        float x = 0.7f; // the row nearest in time
        int section = 0;
        rig.w->moveGraphCursor(x, section);
        QCOMPARE(rig.w->readingList->currentRow(), 0);
        QCOMPARE(rig.w->timeReadout->text(), QStringLiteral(".5"));
    }

    // The CSV export takes the name from its dialog and the unit from the run, not from the
    // unit setting; Cancel writes nothing.
    void csvExportWritesTheRunInItsUnit_data()
    {
        QTest::addColumn<QString>("answer");  // the name chosen in TCFiles; null: Cancel
        QTest::addColumn<int>("runDegC");     // the setting is the other unit
        QTest::addColumn<QByteArray>("unit"); // in the header; empty: no file
        QTest::addColumn<QString>("message"); // what a message says; empty: none
        QTest::newRow("run in C") << "run1.csv" << 1 << QByteArray("C") << "";
        QTest::newRow("run in F") << "run1.csv" << 0 << QByteArray("F") << "";
        QTest::newRow("Cancel") << QString() << 0 << QByteArray() << "";
        QTest::newRow("missing folder")
            << "gone/run1.csv" << 0 << QByteArray() << "path not found (error 76).";
    }
    void csvExportWritesTheRunInItsUnit()
    {
        QFETCH(QString, answer);
        QFETCH(int, runDegC);
        QFETCH(QByteArray, unit);
        QFETCH(QString, message);
        Rig rig(static_cast<qint16>(runDegC));
        rig.state.settings.degreesCelsius = static_cast<qint16>(!runDegC);
        const QString path = answer.isNull() ? QString() : rig.data(answer);
        rig.prompts.fileAnswers = {path};
        rig.w->action("mnuExportCsv")->trigger();

        QCOMPARE(rig.prompts.saveDialogs.at(0).initialName, QStringLiteral("Untitled.csv"));
        const QByteArray file = "time_s,ch1_deg" + unit + ",ch2_deg" + unit + ",ch3_deg" + unit +
                                ",ch4_deg" + unit + "\r\n" +
                                rig.runText().replace(QStringLiteral("   "), ",").toLatin1();
        QCOMPARE(rig.read(path), unit.isEmpty() ? QByteArray() : file);
        QCOMPARE(rig.prompts.messageTexts().size(), message.isEmpty() ? 0 : 1);
        QVERIFY(message.isEmpty() || rig.prompts.messageTexts().join('|').endsWith(message));
        QVERIFY(rig.w->run().isUnsaved()); // an export is no save
        QVERIFY(!QFile::exists(rig.dir.path() + "/Export.txt"));
    }

    // With a printer the user chooses it or a PDF file; without one, Print offers the file.
    // Either way one landscape page shows the window as it was captured, as large as the
    // printable area allows, from its corner.
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
        rig.show();
        const QString printed = rig.dir.path() + "/printer.pdf", pdf = rig.data("Untitled.pdf");
        // A printer that writes a file stands in for an installed one; a PDF device without a
        // file is what Qt gives when none is installed.
        rig.w->printer().setOutputFileName(printer ? printed : QString());
        rig.w->printer().setOutputFormat(QPrinter::PdfFormat);
        rig.prompts.printOutputAnswers = {choosePdf ? PrintOutput::PdfFile : PrintOutput::Printer};
        rig.prompts.fileAnswers = {pdf};
        rig.w->action("mnuPrint")->trigger();

        QCOMPARE(rig.prompts.printOutputQuestions.size(), printer ? 1 : 0);
        const QString target = choosePdf ? pdf : printed;
        QVERIFY(!QFile::exists(target)); // the command returns before its pause is over
        QTRY_VERIFY(QFile::exists(target));
        QVERIFY(!QFile::exists(choosePdf ? printed : pdf));
        const PdfPages page = ReadPdf(target, 50);
        QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
        QCOMPARE(page.pages, 1);
        const QImage capture = rig.w->printHolder->pixmap().toImage();
        QCOMPARE(capture.size(), rig.w->grab().size());
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
