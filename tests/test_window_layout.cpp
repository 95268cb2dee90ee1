// The window's layout at any size, scale (QT_SCALE_FACTOR=2) and font; keyboard, names, place.

#include "aboutbox.h"
#include "commentseditor.h"
#include "gaugepanel.h"
#include "sectionbox.h"
#include "windowrig.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>

namespace
{

// The widest row: a five-digit time and the instrument's highest reading in degrees C.
const QString kWidestRow = QStringLiteral("99999.9   1372   1372   1372   1372");

struct Shown : WindowRig<> {
    explicit Shown(const QString& folder = {}) : WindowRig<>({}, folder) { show(); }
};

} // namespace

class TestWindowLayout : public QObject
{
    Q_OBJECT
private slots:
    // Default, maximised on 1920 x 1080, smallest, and a font half as large again.
    void controlsFitTheWindow_data()
    {
        QTest::addColumn<QSize>("size"); // empty: the default size
        QTest::addColumn<double>("fontScale");
        QTest::newRow("default") << QSize() << 1.0;
        QTest::newRow("maximised") << QSize(1920, 1080) << 1.0;
        QTest::newRow("smallest") << QSize(1, 1) << 1.0;
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
        const WindowControls c(w);
        if (size.isValid()) {
            w.resize(size);
            QCoreApplication::processEvents();
        }
        rig.startInC();
        rig.tickAt(99999.9f, "1,1372,1372,1372,1372\r\n");
        w.onRecordButton(MainWindow::StopButton);
        QCOMPARE(rig.rows(), QStringList{kWidestRow});
        QCoreApplication::processEvents();

        // The whole row shows, with no horizontal scrolling, and no more than that.
        const int rowWidth = c.readingList->widthForRow(kWidestRow.size());
        QVERIFY(c.readingList->width() >= rowWidth);
        QVERIFY(c.readingList->width() <= std::max(rowWidth, 3500 / 15 + 1));
        QVERIFY(!c.readingList->horizontalScrollBar()->isVisible());
        const QString columns = c.readingListColumns->text();
        QCOMPARE(columns.indexOf("Ch 1"), kWidestRow.indexOf("1372"));
        QCOMPARE(columns.indexOf("Ch 4"), kWidestRow.lastIndexOf("1372"));
        // Nothing stands outside the window or on another control.
        QWidget* client = w.centralWidget();
        const QList<QWidget*> placed{c.temperaturePanel,
                                     c.recordButtons[MainWindow::StartButton],
                                     c.recordButtons[MainWindow::StopButton],
                                     c.recordButtons[MainWindow::OffButton],
                                     c.timeReadout,
                                     c.findPortsButton,
                                     c.portList,
                                     c.fuelLabel,
                                     c.readingListHeading,
                                     c.readingListColumns,
                                     c.readingList,
                                     c.statusLine,
                                     c.chartFrame};
        for (QWidget* a : placed) {
            QVERIFY2(client->rect().contains(a->geometry()), qPrintable(a->objectName()));
            for (QWidget* b : placed)
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + " overlaps " + b->objectName()));
        }
        for (QPushButton* b : client->findChildren<QPushButton*>()) // captions not cut
            QVERIFY2(!b->isVisible() || b->width() >= b->sizeHint().width(), qPrintable(b->text()));
        // The channel labels under the bars are legible and none is cut at the panel's edge.
        const GaugePanel& panel = *c.temperaturePanel;
        QVERIFY(panel.channelLabelPixels() >= 10);
        font.setPixelSize(GaugePanel::kMinChannelLabelPixels);
        for (int ch = 0; ch < 4; ++ch) {
            const QRect r = panel.channelLabelRect(ch);
            QVERIFY(panel.rect().contains(r) && r.height() >= 10);
            QVERIFY(QFontMetrics(font).horizontalAdvance(QStringLiteral("Temp 4")) <= r.width());
        }
        // The chart's three sections share its width, their times stand under them.
        for (int k = 0; k < 3; ++k) {
            const QRect box = c.chartSections[k]->geometry();
            QVERIFY(box.right() < c.chartFrame->width() && box.height() > 100);
            for (QLabel* time : {c.sectionTimeLabels[2 * k], c.sectionTimeLabels[2 * k + 1]}) {
                QVERIFY(time->geometry().top() > box.bottom());
                QVERIFY(time->geometry().bottom() < c.chartFrame->height());
                QVERIFY(time->x() >= box.x() && time->geometry().right() <= box.right());
            }
        }
        if (size == QSize(1, 1)) // small enough for a 1080-line screen at twice the scale
            QVERIFY2(w.width() <= 620 && w.height() <= 440,
                     qPrintable(QStringLiteral("%1 x %2").arg(w.width()).arg(w.height())));
    }

    // Alt opens the menus, the usual Ctrl keys and F3 reach their commands.
    void keyboardReachesTheCommands()
    {
        Shown rig;
        MainWindow& w = *rig.w;
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(w.menu("mnuFile")->isVisible());
        w.menu("mnuFile")->hide();

        rig.prompts.fileAnswers = {QString()}; // the Open dialog is cancelled
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(rig.prompts.openDialogs.size(), size_t(1));

        rig.startInC();
        QVERIFY(w.run().isRecording());
        QTest::keyClick(&w, Qt::Key_F3); // Off
        QVERIFY(!w.run().isRecording());
    }

    // The window comes back as it was; a damaged placement file only costs the default size.
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

    // A screen reader finds every control and dialog by a name; Tab reaches every button.
    void namedAndReachable()
    {
        Shown rig;
        MainWindow& w = *rig.w;
        const WindowControls c(w);
        const auto named = [](QObject* o) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(o);
            return a ? a->text(QAccessible::Name) : QStringLiteral("(none)");
        };
        const std::pair<QObject*, const char*> names[] = {
            {c.portList, "Ports found"},
            {c.chartFrame, "Strip chart"},
            {c.temperaturePanel, "Temperature panel"},
            {c.chartSections[0], "Chart section 1"},
            {c.chartSections[1], "Chart section 2"},
            {c.chartSections[2], "Chart section 3"},
            {c.recordButtons[MainWindow::OffButton], "Off <F3>"}};
        for (const auto& [control, name] : names)
            QCOMPARE(named(control), QString::fromLatin1(name));

        QSet<QWidget*> reached;
        QWidget* at = c.recordButtons[MainWindow::StartButton];
        for (int i = 0; i < 50; ++i, at = at->nextInFocusChain())
            if (at->isVisibleTo(&w) && (at->focusPolicy() & Qt::TabFocus))
                reached.insert(at);
        for (QPushButton* b : w.findChildren<QPushButton*>())
            QVERIFY2(!b->isVisibleTo(&w) || reached.contains(b), qPrintable(b->text()));

        w.action("mnuComments")->trigger();
        auto* comments = static_cast<CommentsEditor*>(w.findChild<QDialog*>("frmComments"));
        QVERIFY(comments);
        QCOMPARE(QAccessible::queryAccessibleInterface(comments)->role(), QAccessible::Dialog);
        QCOMPARE(named(comments->editor), QStringLiteral("Comments"));
        comments->close();
        w.action("mnuAbout")->trigger();
        auto* about = static_cast<AboutBox*>(w.findChild<QDialog*>("frmAbout"));
        QVERIFY(about && QTest::qWaitForWindowExposed(about));
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(about);
        QCOMPARE(box->role(), QAccessible::Dialog);
        QCOMPARE(box->text(QAccessible::Name), QStringLiteral("About Thermocouple Recorder"));
        QCOMPARE(about->parentWidget(), &w);
        about->close();
    }

    // An off-range channel shows an arrow in its colour at that edge; back in range it goes.
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
        QVERIFY(below->y() > above->y());
        QVERIFY(below->styleSheet().contains("ff0000"));
        rig.tickAt(0.2f, "2,700,700,700,700\r\n");
        QVERIFY(!below->isVisible() && !above->isVisible());
    }
};

QTEST_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
