#include "aboutbox.h"
#include "commentseditor.h"
#include "printwin.h"
#include "scriptedprompts.h"

#include <QTest>
#include <QtPrintSupport>

Q_DECLARE_METATYPE(PrintOutput)

class TestAuxWindows : public QObject
{
    Q_OBJECT
    const QString old_ = QStringLiteral("Run 1\r\nhot day\r\n");
    ProgramState m_;
private slots:
    void fitsPictureToPage_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSizeF>("printable");
        QTest::addColumn<QSizeF>("printed");
        QTest::addColumn<QPageLayout::Orientation>("orientation");
        QTest::newRow("page wider")
            << QSize(500, 400) << QSizeF(1000, 500) << QSizeF(625, 500) << QPageLayout::Landscape;
        QTest::newRow("square: portrait")
            << QSize(300, 300) << QSizeF(800, 600) << QSizeF(600, 600) << QPageLayout::Portrait;
        QTest::newRow("empty picture")
            << QSize(0, 0) << QSizeF(600, 800) << QSizeF() << QPageLayout::Portrait;
    }
    void fitsPictureToPage()
    {
        QFETCH(QSize, picture);
        QFETCH(QSizeF, printable);
        QTEST(FitImageToPage(picture, printable), "printed");
        QTEST(PictureOrientation(picture), "orientation");
    }

    // The cancels and failures of printing, with a PDF file as the way out.
    void printsToPrinterOrPdf_data()
    {
        QTest::addColumn<QList<PrintOutput>>("choice"); // answer when asked; empty: no printer
        QTest::addColumn<QStringList>("dialog");        // answer of the save dialog: "" Cancel
        QTest::addColumn<QString>("written");           // "printer", "pdf" or nothing
        QTest::addColumn<QString>("message");           // part of the one message; empty: none
        const QList<PrintOutput> none;
        QTest::newRow("no printer: save dialog cancelled") << none << QStringList{""} << "" << "";
        QTest::newRow("printer chosen") << QList{PrintOutput::Printer} << QStringList{} << "printer"
                                        << "";
        QTest::newRow("PDF chosen over the printer")
            << QList{PrintOutput::PdfFile} << QStringList{"page.pdf"} << "pdf" << "";
        QTest::newRow("question cancelled") << QList{PrintOutput::Cancel} << QStringList{} << ""
                                            << "";
        QTest::newRow("PDF into a missing folder")
            << none << QStringList{"no/page.pdf"} << ""
            << "could not be printed: Printing could not start on the file";
    }
    void printsToPrinterOrPdf()
    {
        QFETCH(QList<PrintOutput>, choice);
        QFETCH(QStringList, dialog);
        QFETCH(QString, written);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString printerFile = dir.filePath("printer.pdf"), pdfFile = dir.filePath("page.pdf");
        QPrinter device(QPrinter::HighResolution);
        device.setOutputFileName(choice.isEmpty() ? QString() : printerFile);
        device.setOutputFormat(QPrinter::PdfFormat); // after the name: "" is no printer
        QLabel window(QStringLiteral("Run 1"));
        ScriptedPrompts prompts;
        prompts.printOutputAnswers.assign(choice.begin(), choice.end());
        for (const QString& answer : dialog)
            prompts.fileAnswers.push_back(answer.isEmpty() ? QString() : dir.filePath(answer));

        std::optional<bool> printed;
        const bool started = PrintWindowToPrinterOrPdf(
            &window, device, prompts, std::chrono::milliseconds(0), nullptr,
            PdfDialogRequest(dir.path(), "run1"), [&](bool done) { printed = done; });

        // The page comes from the event loop after the pause, never from inside the command.
        QVERIFY(!printed && !QFile::exists(printerFile) && !QFile::exists(pdfFile));
        QCOMPARE(QGuiApplication::overrideCursor() != nullptr, started);
        if (started)
            QTRY_VERIFY(printed);
        QCOMPARE(printed.value_or(false), !written.isEmpty());
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(prompts.unexpected == 0 && prompts.printOutputAnswers.empty() &&
                prompts.fileAnswers.empty());
        const QStringList shown = prompts.messageTexts();
        QVERIFY2(message.isEmpty() ? shown.isEmpty()
                                   : shown.size() == 1 && shown[0].contains(message),
                 qPrintable(shown.join('|')));
        QCOMPARE(QFile::exists(printerFile), written == "printer");
        QCOMPARE(QFile::exists(pdfFile), written == "pdf");
        if (!prompts.saveDialogs.empty())
            QCOMPARE(prompts.saveDialogs.at(0).initialName, QStringLiteral("run1.pdf"));
    }

    void commentsEditor_data()
    {
        QTest::addColumn<QString>("typed"); // typed after the box's text
        QTest::addColumn<int>("index"); // okCancelButtons index; -1: the main window is activated
        QTest::addColumn<QString>("stored");
        QTest::newRow("OK keeps the lines, CR LF ended") << "a\nb" << 0 << old_ + "a\r\nb";
        QTest::newRow("Cancel discards") << "a" << 1 << old_;
        QTest::newRow("leaving the window discards") << "a" << -1 << old_;
    }
    void commentsEditor()
    {
        QFETCH(QString, typed);
        QFETCH(int, index);
        QString comments = old_;
        QWidget main;
        main.show();
        QPointer<CommentsEditor> f =
            new CommentsEditor(comments, [&](const QString& text) { comments = text; }, &main);
        f->show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->editor->moveCursor(QTextCursor::End);
        f->editor->insertPlainText(typed);
        index < 0 ? main.activateWindow()
                  : QTest::mouseClick(f->okCancelButtons[index], Qt::LeftButton);
        QTRY_VERIFY(f.isNull()); // a closed window deletes itself from the event queue
        QTEST(comments, "stored");
    }

    // No printer is said in words; a click on a control keeps the box open, one on it closes it.
    void aboutBoxPrintsAndCloses()
    {
        m_.derived = DeriveSettings(m_.settings);
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat); // without a file: what Qt gives then
        ScriptedPrompts prompts;
        QPointer<AboutBox> about = new AboutBox(m_.derived, printer, prompts);
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QTest::mouseClick(about->printButton, Qt::LeftButton);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(prompts.messageTexts(),
                 QStringList{"The window could not be printed: No printer is installed."});
        QTest::mouseClick(about->titleLabel, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(about);
        QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(3, 3));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(about.isNull());
    }
};

QTEST_MAIN(TestAuxWindows)
#include "test_auxwindows.moc"
