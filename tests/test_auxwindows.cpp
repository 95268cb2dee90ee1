#include "frmabout.h"
#include "frmcomments.h"
#include "printwin.h"
#include "scriptedprompts.h"

#include <QTest>
#include <QtPrintSupport>

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
