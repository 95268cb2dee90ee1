// The run chart's window beside the main window: reached by key and Tab, its first cursor in
// step with the reading list and the graph cursor, following and browsing a recording, and its
// page in a PDF file.

#include "datafile.h"
#include "graphcursor.h"
#include "pdfpages.h"
#include "runchartwindow.h"
#include "windowrig.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>

namespace
{

using Rig = WindowRig<>;

// Ticks 0.1 s apart from `from`, each with a reading.
void record(Rig& rig, int from, int to)
{
    for (int n = from; n <= to; ++n)
        rig.tickAt(n * 0.1f, QByteArray::number(n) + "," + QByteArray::number(450 + n % 37) +
                                 ",461," + QByteArray::number(472 + n % 5) + ",483\r\n");
}

RunChartWindow* openChart(Rig& rig)
{
    rig.w->action("mnuRunChart")->trigger();
    RunChartWindow* chart = rig.w->runChart();
    if (chart && !QTest::qWaitForWindowExposed(chart))
        return nullptr;
    return chart;
}

QPoint at(RunChartWidget* chart, double t)
{
    return QPoint(qRound(chart->xOf(t)), chart->height() / 2);
}

} // namespace

class TestRunChart : public QObject
{
    Q_OBJECT
private slots:
    void openedByF4WithEveryControlNamedAndOnTheTabChain()
    {
        Rig rig;
        rig.show();
        QTest::keyClick(rig.w.get(), Qt::Key_F4);
        RunChartWindow* window = rig.w->runChart();
        QVERIFY(window && window->isVisible());
        QSet<QWidget*> reached;
        for (QWidget* w = window->lastMinuteButton->nextInFocusChain();
             w != window->lastMinuteButton; w = w->nextInFocusChain())
            reached.insert(w->focusPolicy() & Qt::TabFocus ? w : nullptr);
        for (QWidget* control : std::initializer_list<QWidget*>{
                 window->lastTenMinutesButton, window->lastHourButton, window->wholeRunButton,
                 window->liveButton, window->fitBox, window->printButton, window->chart,
                 window->scrollBar, window->readout}) {
            QVERIFY2(reached.contains(control), qPrintable(control->objectName()));
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(control);
            QVERIFY(spoken && !spoken->text(QAccessible::Name).isEmpty());
        }
    }

    // A click puts cursor 1 on a reading; the list, the graph cursor and the time read-out go
    // there and stay while readings come in. A row chosen in the list moves cursor 1 back.
    void firstCursorInStepWithTheList()
    {
        Rig rig;
        rig.show();
        rig.startInC();
        record(rig, 1, 100);
        RunChartWindow* window = openChart(rig);
        QVERIFY(window);
        RunChartWidget* chart = window->chart;
        // A dragged range zooms in.
        QTest::mousePress(chart, Qt::LeftButton, {}, at(chart, 0.0));
        QTest::mouseMove(chart, at(chart, 4.0));
        QTest::mouseRelease(chart, Qt::LeftButton, {}, at(chart, 6.0));
        QVERIFY(!chart->range().following());
        QVERIFY(chart->range().span() < 7);
        QVERIFY(window->liveButton->isEnabled());

        const RunSample& target = rig.w->run().sample(20);
        QTest::mouseClick(chart, Qt::LeftButton, {}, at(chart, target.time));
        QCOMPARE(chart->cursorRow(0), std::optional<qsizetype>(20));
        QCOMPARE(controls(rig.w).readingList->currentRow(), 20);
        QCOMPARE(controls(rig.w).timeReadout->text(), CursorTimeText(target.time));
        QVERIFY(window->readout->text().startsWith("Cursor 1  " + ClockText(target.time, true)));

        record(rig, 101, 105);
        QCOMPARE(controls(rig.w).readingList->currentRow(), 20);

        controls(rig.w).readingList->setCurrentRow(7);
        QCOMPARE(chart->cursorRow(0), std::optional<qsizetype>(7));

        QTest::mouseClick(chart, Qt::RightButton, {}, at(chart, rig.w->run().sample(40).time));
        QCOMPARE(chart->cursorRow(1), std::optional<qsizetype>(40));
        const QStringList lines = window->readoutLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[2].startsWith(QStringLiteral("\u0394t 3.3 s")), qPrintable(lines[2]));
        QCOMPARE(controls(rig.w).readingList->currentRow(), 7); // cursor 2 leaves the list alone

        // Without cursors the list follows the newest reading again.
        QTest::keyClick(chart, Qt::Key_Escape);
        record(rig, 106, 107);
        QCOMPARE(controls(rig.w).readingList->currentRow(), int(rig.w->run().size() - 1));
    }

    // While recording the newest reading stays at the right edge; scrolling back stops that
    // and Live resumes it.
    void followsTheRecordingAndBrowsesBack()
    {
        Rig rig;
        rig.show();
        rig.startInC();
        RunChartWindow* window = openChart(rig);
        QVERIFY(window);
        RunChartWidget* chart = window->chart;
        window->lastMinuteButton->click();
        record(rig, 1, 900);
        const double newest = rig.w->run().sample(rig.w->run().size() - 1).time;
        QCOMPARE(chart->range().end(), newest);
        QVERIFY(!window->liveButton->isEnabled());
        // The scroll bar learns of the readings at the next repaint, not at each one.
        QCOMPARE(window->scrollBar->maximum(), 0);
        QTRY_VERIFY(window->scrollBar->value() > 0);

        window->scrollBar->setValue(window->scrollBar->value() - 200); // 20 s back
        QVERIFY(!chart->range().following());
        const double browsed = chart->range().end();
        QVERIFY(qAbs(browsed - (newest - 20)) < 0.05);
        record(rig, 901, 950);
        QCOMPARE(chart->range().end(), browsed);

        window->liveButton->click();
        QCOMPARE(chart->range().end(), double(rig.w->run().sample(rig.w->run().size() - 1).time));
        QVERIFY(chart->range().following());
    }

    // An opened run's events stand on the chart at their times, their texts told to a screen
    // reader and shown at the pointer.
    void eventsAreMarkedWithTheirTexts()
    {
        Rig rig;
        rig.show();
        QByteArray file =
            DataFileHeader(JoinEventLines({}, {{2.5f, "logger disconnected"}}), 1, 4, 0);
        for (int n = 0; n < 100; ++n)
            file += QByteArray::number(n / 10.0, 'f', 1) + "   450   461   472   483\r\n";
        rig.write(rig.data("with events"), file + "\r\n-9999\r\n");
        rig.prompts.fileAnswers = {rig.data("with events")};
        rig.w->action("mnuOpen")->trigger();
        RunChartWindow* window = openChart(rig);
        QVERIFY(window);
        RunChartWidget* chart = window->chart;
        QCOMPARE(chart->marks().size(), size_t(1));
        QVERIFY2(chart->accessibleDescription().contains("logger disconnected at 0:02.5"),
                 qPrintable(chart->accessibleDescription()));
        const ChartMark* pointed = chart->markAt(chart->xOf(2.5) + 2);
        QVERIFY(pointed && pointed->text == "logger disconnected");
    }

    // The page shows the chart in landscape with the channels' colours, in a PDF file when no
    // printer is installed.
    void printsTheChartIntoAPdfFile()
    {
        Rig rig;
        rig.show();
        rig.startInC();
        record(rig, 1, 200);
        RunChartWindow* window = openChart(rig);
        QVERIFY(window);
        rig.w->printer().setOutputFormat(QPrinter::PdfFormat); // no printer installed
        rig.w->printer().setOutputFileName(QString());
        const QString pdf = rig.dir.filePath("chart.pdf");
        rig.prompts.fileAnswers = {pdf};
        window->printButton->click();
        QCOMPARE(rig.prompts.unexpected, 0);
        QCOMPARE(rig.prompts.messageTexts(), QStringList());
        const PdfPages page = ReadPdf(pdf, 40);
        QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
        QCOMPARE(page.pages, 1);
        QVERIFY(page.pageSize.width() > page.pageSize.height());
        int red = 0; // channel 1's trace
        for (int y = 0; y < page.firstPage.height(); ++y)
            for (int x = 0; x < page.firstPage.width(); ++x)
                red += page.firstPage.pixel(x, y) == qRgb(255, 0, 0);
        QVERIFY2(red > 20, qPrintable(QString::number(red)));
    }
};

QTEST_MAIN(TestRunChart)
#include "test_runchart.moc"
