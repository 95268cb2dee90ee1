#include "frmabout.h"
#include "frmcomments.h"
#include "pdfpages.h"
#include "printwin.h"
#include "scriptedprompts.h"

#include <QPainter>
#include <QTest>
#include <QtPrintSupport>

namespace
{

// Large areas of clear colours, so that a page shows at a glance whether it holds the window.
class ColourBlocks final : public QWidget
{
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::blue);
        p.fillRect(QRect(0, 0, width() / 2, height()), Qt::red);
        p.fillRect(QRect(width() / 8, height() / 8, width() / 4, height() / 4), Qt::green);
        p.fillRect(QRect(width() * 5 / 8, height() / 2, width() / 4, height() / 3), Qt::yellow);
    }
};

constexpr int kDpi = 50;

} // namespace

Q_DECLARE_METATYPE(PrintOutput)

class TestAuxWindows : public QObject
{
    Q_OBJECT
    QTemporaryDir dir_;
    const QString old_ = QStringLiteral("Run 1\r\nhot day\r\n");
    Module1 m_;
private slots:
    void fitsPictureToPage_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSizeF>("printable");
        QTest::addColumn<QSizeF>("printed");
        QTest::newRow("full width") << QSize(400, 100) << QSizeF(800, 600) << QSizeF(800, 200);
        QTest::newRow("page wider") << QSize(500, 400) << QSizeF(1000, 500) << QSizeF(625, 500);
        QTest::newRow("empty picture") << QSize(0, 0) << QSizeF(600, 800) << QSizeF();
    }
    void fitsPictureToPage()
    {
        QFETCH(QSize, picture);
        QFETCH(QSizeF, printable);
        QTEST(FitPictureToPage(picture, printable), "printed");
    }
    void printsWindow_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QString>("file");  // the PDF printed to; empty: no printer installed
        QTest::addColumn<QString>("named"); // what the error message names; empty: printed
        QTest::newRow("wide: landscape") << QSize(400, 300) << dir_.filePath("w") << "";
        QTest::newRow("square: portrait") << QSize(300, 300) << dir_.filePath("s") << "";
        QTest::newRow("no printer") << QSize(300, 200) << QString() << "No printer is installed.";
        QTest::newRow("not writable") << QSize(300, 200) << dir_.filePath("no/p") << "no/p";
    }
    void printsWindow()
    {
        QFETCH(QSize, window);
        QFETCH(QString, file);
        const bool landscape = window.width() > window.height(); // also when printing fails
        QFETCH(QString, named);
        QPrinter printer;
        printer.setOutputFileName(file);
        printer.setOutputFormat(QPrinter::PdfFormat); // after the name: "" selects a real printer
        printer.setPageOrientation(landscape ? QPageLayout::Portrait : QPageLayout::Landscape);
        QWidget w;
        w.resize(window);
        ScriptedPrompts prompts;
        QCOMPARE(PrintFormFitted(&w, printer, prompts, {}), named.isEmpty());
        QVERIFY(!QGuiApplication::overrideCursor());
        const QStringList shown = prompts.messageTexts();
        QVERIFY(named.isEmpty() ? shown.isEmpty() : shown.size() == 1 && shown[0].contains(named));
        QCOMPARE(QFileInfo(file).size() > 0, named.isEmpty());
        QCOMPARE(printer.pageLayout().orientation() == QPageLayout::Landscape, landscape);
    }
    // Print with a PDF file as the way out: without a printer the page goes into the file named
    // in the save dialog; with one, the user chooses. The PDF is the printer's page.
    void printsToPrinterOrPdf_data()
    {
        QTest::addColumn<bool>("printer");              // installed (a PDF file stands in for it)
        QTest::addColumn<QList<PrintOutput>>("choice"); // answer when asked; empty: not asked
        QTest::addColumn<QStringList>("dialog");        // answer of the save dialog: "" Cancel
        QTest::addColumn<QString>("written");           // "printer", "pdf" or nothing
        QTest::addColumn<QString>("message");           // part of the one message; empty: none
        const QList<PrintOutput> none;
        QTest::newRow("no printer: PDF file named")
            << false << none << QStringList{"page.pdf"} << "pdf"
            << "";
        QTest::newRow("no printer: save dialog cancelled") << false << none << QStringList{""} << ""
                                                           << "";
        QTest::newRow("printer chosen")
            << true << QList{PrintOutput::Printer} << QStringList{} << "printer"
            << "";
        QTest::newRow("PDF chosen over the printer")
            << true << QList{PrintOutput::PdfFile} << QStringList{"page.pdf"} << "pdf"
            << "";
        QTest::newRow("question cancelled")
            << true << QList{PrintOutput::Cancel} << QStringList{} << ""
            << "";
        QTest::newRow("PDF into a missing folder")
            << false << none << QStringList{"no/page.pdf"} << ""
            << "could not be printed: Printing could not start on the file";
    }
    void printsToPrinterOrPdf()
    {
        QFETCH(bool, printer);
        QFETCH(QList<PrintOutput>, choice);
        QFETCH(QStringList, dialog);
        QFETCH(QString, written);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString printerFile = dir.filePath("printer.pdf");
        const QString pdfFile = dir.filePath("page.pdf");
        QPrinter device(QPrinter::HighResolution);
        device.setOutputFileName(printer ? printerFile : QString());
        device.setOutputFormat(QPrinter::PdfFormat);      // after the name: "" is no printer
        device.setPageSize(QPageSize(QPageSize::Letter)); // not the default page
        device.setPageMargins(QMarginsF(20, 30, 40, 50), QPageLayout::Point);
        ColourBlocks window;
        window.resize(400, 300);
        ScriptedPrompts prompts;
        prompts.printOutputAnswers.assign(choice.begin(), choice.end());
        for (const QString& answer : dialog)
            prompts.fileAnswers.push_back(answer.isEmpty() ? QString() : dir.filePath(answer));
        QLabel holder;

        const bool printed = PrintFormToPrinterOrPdf(&window, device, prompts, {}, &holder,
                                                     PdfDialogRequest(dir.path(), "run1"));

        QCOMPARE(printed, !written.isEmpty());
        QCOMPARE(prompts.unexpected, 0);
        QVERIFY(prompts.printOutputAnswers.empty() && prompts.fileAnswers.empty());
        QCOMPARE(prompts.printOutputQuestions,
                 printer ? QStringList{QDir::toNativeSeparators(printerFile)} : QStringList{});
        const QStringList shown = prompts.messageTexts();
        QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(shown[0].contains(message), qPrintable(shown[0]));
        QCOMPARE(QFile::exists(printerFile), written == "printer");
        QCOMPARE(QFile::exists(pdfFile), written == "pdf");
        if (written != "pdf")
            return;
        QCOMPARE(prompts.saveDialogs.at(0).initialName, QStringLiteral("run1.pdf"));

        const PdfPages pdf = ReadPdf(pdfFile, kDpi);
        QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
        QCOMPARE(pdf.pages, 1);
        // The printer's Letter page, turned as the wide window asks, margins kept.
        QCOMPARE(qRound(pdf.pageSize.width()), 792);
        QCOMPARE(qRound(pdf.pageSize.height()), 612);
        const QRectF paint(20, 30, 792 - 20 - 40, 612 - 30 - 50); // points
        const double scale = std::min(paint.width() / 400, paint.height() / 300);
        const QRect area =
            QRectF(paint.topLeft() * kDpi / 72.0, QSizeF(400, 300) * scale * kDpi / 72.0)
                .toRect()
                .adjusted(1, 1, -1, -1);
        const QImage picture = window.grab().toImage();
        const double difference = MeanDifference(pdf.firstPage, area, picture);
        QVERIFY2(difference < 10, qPrintable(QString::number(difference)));
        // The comparison does tell pictures apart.
        QVERIFY(MeanDifference(pdf.firstPage, area, picture.mirrored(true, false)) > 60);
    }

    void commentsEditor_data()
    {
        QTest::addColumn<QString>("typed"); // typed over the box's text
        QTest::addColumn<int>("index");     // Command1 index; -1: the main window is activated
        QTest::addColumn<QString>("stored");
        QTest::newRow("OK stores line breaks as CR LF") << "a\nb" << 0 << "a\r\nb";
        QTest::newRow("OK keeps loaded lines") << QString() << 0 << old_;
        QTest::newRow("Cancel discards") << "a" << 1 << old_;
        QTest::newRow("leaving the window discards") << "a" << -1 << old_;
    }
    void commentsEditor()
    {
        QFETCH(QString, typed);
        QFETCH(int, index);
        m_.CommentsText = old_;
        QWidget main;
        main.show();
        QPointer<frmComments> f = new frmComments(m_, &main);
        f->show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->Text1->selectAll();
        for (const QChar c : typed) // letters and line breaks, as keys
            QTest::keyClick(f->Text1, c == '\n' ? Qt::Key_Return : Qt::Key(c.toUpper().unicode()));
        index < 0 ? main.activateWindow() : QTest::mouseClick(f->Command1[index], Qt::LeftButton);
        QTRY_VERIFY(f.isNull()); // a closed window deletes itself from the event queue
        QTEST(m_.CommentsText, "stored");
    }
    void aboutClicks()
    {
        DeriveThermocoupleValues(m_);
        QPrinter printer;
        ScriptedPrompts prompts;
        QPointer<frmAbout> about = new frmAbout(m_, printer, prompts);
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(about->Label2->text(), QStringLiteral("Thermocouple Recorder v1.1  A.005"));
        QTest::mouseClick(about->Label2, Qt::LeftButton); // a click on a control keeps it open
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(about);
        QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(3, 3));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(about.isNull());
    }
};

QTEST_MAIN(TestAuxWindows)
#include "test_auxwindows.moc"
