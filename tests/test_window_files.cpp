// The open, save, CSV export, cursor and print commands as reached through the main window.

#include "windowrig.h"

#include "pdfpages.h"
#include <QLabel>
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
    // A file of another kind is refused in words and the run stays, still unsaved.
    void openRefusesAnotherKindOfFile()
    {
        Rig rig;
        rig.write(rig.data("other"), "ZRB-AF-UEGO*1.10\r\n 0 \r\n");
        rig.prompts.fileAnswers = {rig.data("other")};
        rig.prompts.messageAnswers = {MsgAnswer::No}; // the run may go, for a run
        rig.w->onOpen();
        QCOMPARE(rig.prompts.messageTexts().last(),
                 QStringLiteral("This is not a Thermocouple Recorder file and can not be used."));
        QCOMPARE(rig.runText(), kRun);
        QVERIFY(rig.w->run().isUnsaved() && rig.w->run().leftJournal());
    }

    // A Save with no name yet whose Save As is cancelled still leaves the run on disk.
    void aCancelledSaveAsStillSaves()
    {
        Rig rig;
        rig.prompts.fileAnswers = {QString()};
        rig.w->onSave();
        QVERIFY(rig.read(rig.data("Untitled")).contains("1.5   990   846   791   66\r\n"));
        QVERIFY(!rig.w->run().isUnsaved());
    }

    // A row chosen in the list shows its readings; a click on the chart chooses the row.
    void cursorShowsTheChosenRow()
    {
        Rig rig;
        controls(rig.w).readingList->setCurrentRow(2);
        QCOMPARE(rig.w->channelReadingCaption(0), QStringLiteral("990"));
        float x = 0.7f; // the row nearest in time
        int section = 0;
        rig.w->moveGraphCursor(x, section);
        QCOMPARE(controls(rig.w).readingList->currentRow(), 0);
        QCOMPARE(controls(rig.w).timeReadout->text(), QStringLiteral(".5"));
    }

    // The export names the run's unit, not the setting's; a missing folder is reported.
    void csvExportWritesTheRunInItsUnit()
    {
        Rig rig(0);
        rig.state.settings.degreesCelsius = 1;
        rig.prompts.fileAnswers = {rig.data("run1.csv"), rig.data("gone/run1.csv")};
        rig.w->action("mnuExportCsv")->trigger();
        QCOMPARE(rig.read(rig.data("run1.csv")),
                 "time_s,ch1_degF,ch2_degF,ch3_degF,ch4_degF\r\n" +
                     rig.runText().replace(QStringLiteral("   "), ",").toLatin1());
        QVERIFY(rig.prompts.messageTexts().isEmpty());
        rig.w->action("mnuExportCsv")->trigger();
        QCOMPARE(rig.prompts.messageTexts().size(), 1);
        QVERIFY(rig.prompts.messageTexts().first().endsWith("path not found (error 76)."));
        QVERIFY(rig.w->run().isUnsaved()); // an export is no save
    }

    // One landscape page shows the captured window as large as the printable area allows.
    void printGivesOnePageOfTheWindow()
    {
        Rig rig;
        rig.show();
        const QString printed = rig.dir.path() + "/printer.pdf";
        rig.w->printer().setOutputFileName(printed); // a printer that writes a file
        rig.w->printer().setOutputFormat(QPrinter::PdfFormat);
        rig.prompts.printOutputAnswers = {PrintOutput::Printer};
        rig.w->action("mnuPrint")->trigger();

        QVERIFY(!QFile::exists(printed)); // the command returns before its pause is over
        QTRY_VERIFY(QFile::exists(printed));
        const PdfPages page = ReadPdf(printed, 50);
        QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
        QCOMPARE(page.pages, 1);
        const QImage capture = controls(rig.w).printHolder->pixmap().toImage();
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
