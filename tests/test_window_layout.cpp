// The main window on today's screens: its default layout, a maximised window, twice the scale
// (the same tests run again with QT_SCALE_FACTOR=2) and a large font; the title, the keyboard
// and the window's place kept between runs.

#include "gaugepanel.h"
#include "sectionbox.h"
#include "windowrig.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>

namespace
{

// A row as wide as the list must show whole: a five-digit time, four-digit readings.
const QString kWidestRow = QStringLiteral("99999.9   1999   1999   1999   1999");

struct Shown : WindowRig<> {
    explicit Shown(const QString& folder = {}) : WindowRig<>({}, folder) { show(); }
};

} // namespace

class TestWindowLayout : public QObject
{
    Q_OBJECT
private slots:
    // Every rule holds at the default size, maximised on a 1280 x 1000 screen and with a font
    // half as large again as the system's.
    void controlsFitTheWindow_data()
    {
        QTest::addColumn<QSize>("size"); // empty: the default size
        QTest::addColumn<double>("fontScale");
        QTest::newRow("default") << QSize() << 1.0;
        QTest::newRow("maximised") << QSize(1280, 1000) << 1.0;
        QTest::newRow("large font") << QSize() << 1.5;
    }
    void controlsFitTheWindow()
    {
        QFETCH(QSize, size);
        QFETCH(double, fontScale);
        const QFont system = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(system); });
        QFont font = system;
        font.setPointSizeF(font.pointSizeF() * fontScale);
        QApplication::setFont(font);
        Shown rig;
        MainWindow& w = *rig.w;
        const QRect startButton = w.recordButtons[MainWindow::StartButton]->geometry();
        const QRect chartBefore = w.chartFrame->geometry();
        const QRect panelBefore = w.temperaturePanel->geometry();
        const QSize windowBefore = w.size();
        if (size.isValid()) {
            w.resize(size);
            QCoreApplication::processEvents();
        }
        w.appendRunLine(kWidestRow);
        w.readingList->setCurrentRow(0);
        QCoreApplication::processEvents();

        // The whole row shows, with no horizontal scrolling.
        QVERIFY(w.readingList->width() >= w.readingList->widthForRow(kWidestRow.size()));
        QVERIFY(!w.readingList->horizontalScrollBar()->isVisible());
        // Nothing stands outside the window or on another control.
        QWidget* client = w.centralWidget();
        const QList<QWidget*> controls{w.temperaturePanel,
                                       w.recordButtons[MainWindow::StartButton],
                                       w.recordButtons[MainWindow::StopButton],
                                       w.recordButtons[MainWindow::OffButton],
                                       w.timeReadout,
                                       w.findPortsButton,
                                       w.portList,
                                       w.fuelLabel,
                                       w.readingListHeading,
                                       w.readingList,
                                       w.statusLine,
                                       w.chartFrame};
        for (QWidget* a : controls) {
            QVERIFY2(client->rect().contains(a->geometry()), qPrintable(a->objectName()));
            for (QWidget* b : controls)
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + " overlaps " + b->objectName()));
        }
        for (QPushButton* b :
             {w.recordButtons[MainWindow::StartButton], w.recordButtons[MainWindow::StopButton],
              w.findPortsButton}) // captions not cut
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
        // The channel labels under the bars are legible and none is cut at the panel's edge.
        const GaugePanel& panel = *w.temperaturePanel;
        QVERIFY(panel.channelLabelPixels() >= 10);
        font.setPixelSize(GaugePanel::kMinChannelLabelPixels);
        for (int ch = 0; ch < 4; ++ch) {
            const QRect r = panel.channelLabelRect(ch);
            QVERIFY(panel.rect().contains(r) && r.height() >= 10);
            QVERIFY(QFontMetrics(font).horizontalAdvance(QStringLiteral("Temp 4")) <= r.width());
        }
        // The chart's three sections share its width.
        for (int k = 0; k < 3; ++k)
            QVERIFY(
                QRect(w.chartSections[k]->mapTo(w.chartFrame, QPoint()), w.chartSections[k]->size())
                    .right() <= w.chartFrame->width());

        if (!size.isValid())
            return;
        // A larger window grows the chart in both directions and the panel and list in
        // height; the buttons stay where they were.
        QCOMPARE(w.recordButtons[MainWindow::StartButton]->geometry(), startButton);
        const QSize grown = w.size() - windowBefore;
        QVERIFY(grown.width() > 300 && grown.height() > 300);
        QCOMPARE(w.chartFrame->width() - chartBefore.width(), grown.width());
        const int taller = (w.chartFrame->height() - chartBefore.height()) +
                           (w.temperaturePanel->height() - panelBefore.height());
        QCOMPARE(taller, grown.height());
        QVERIFY(w.chartFrame->height() > chartBefore.height() + grown.height() / 3);
        QCOMPARE(w.readingList->geometry().bottom(), w.temperaturePanel->geometry().bottom());
    }

    // The title is the program's own, exactly; Alt opens the menus, the usual Ctrl keys reach
    // their commands, and no caption changes.
    void titleAndKeyboard()
    {
        Shown rig;
        MainWindow& w = *rig.w;
        QCOMPARE(w.windowTitle(),
                 QStringLiteral("Thermocouple Data Logger - Veltrona Inc.   [ Untitled ]"));
        // A display name of the application would make the desktop append it to every title.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(w.menu("mnuFile")->isVisible());
        w.menu("mnuFile")->hide();
        QCOMPARE(w.menu("mnuFile")->title(), QStringLiteral("File"));

        rig.prompts.fileAnswers = {QString()}; // the Open dialog is cancelled
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(rig.prompts.openDialogs.size(), size_t(1));
        QCOMPARE(w.action("mnuOpen")->text(), QStringLiteral("Open"));
    }

    // The window comes back where and as large as it was; a damaged placement file only
    // costs the default size.
    void placementIsKept()
    {
        QTemporaryDir folder;
        QSize before;
        {
            Shown rig(folder.path());
            rig.w->resize(1100, 900);
            QCoreApplication::processEvents();
            before = rig.w->size();
            rig.w->unload();
            QVERIFY(!rig.configOnDisk().contains("1100")); // never in the settings file
        }
        {
            Shown again(folder.path());
            QCOMPARE(again.w->size(), before);
            again.write(folder.filePath(QStringLiteral("window-placement.ini")),
                        "[window]\ngeometry=@ByteArray(\\x1\\x2garbage)\n");
        }
        Shown fresh(folder.path());
        QVERIFY(fresh.w->width() >= fresh.w->centralWidget()->minimumWidth());
        QVERIFY(fresh.w->width() < 1100);
    }

    // A channel below or above the graph range shows an arrow in its colour at that edge of
    // the chart; back in range, the arrow goes.
    void offRangeChannelsAreMarked()
    {
        Shown rig;
        MainWindow& w = *rig.w;
        rig.startInC();
        rig.tickAt(0.1f, "1,20,700,1300,600\r\n"); // below, inside, above 500-950, inside
        QLabel* below = w.findChild<QLabel*>("offRange_0");
        QLabel* above = w.findChild<QLabel*>("offRange_2");
        QVERIFY(below->isVisible() && above->isVisible());
        QVERIFY(!w.findChild<QLabel*>("offRange_1")->isVisible());
        QCOMPARE(below->text(), QStringLiteral("\u25BC"));
        QCOMPARE(above->text(), QStringLiteral("\u25B2"));
        QVERIFY(below->y() > above->y());
        QVERIFY(below->styleSheet().contains("ff0000"));
        rig.tickAt(0.2f, "2,700,700,700,700\r\n");
        QVERIFY(!below->isVisible() && !above->isVisible());
    }
};

QTEST_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
