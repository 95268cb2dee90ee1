// The temperature panel as drawn, and as the main window keeps it: bars that stand for a
// measured temperature or, in a window without readings, for nothing yet.

#include "gaugepanel.h"
#include "windowrig.h"

#include <QScreen>
#include <QTest>

class TestGaugePanel : public QObject
{
    Q_OBJECT
private slots:
    // The bar rises to its reading over a black background; white grid lines cross it all.
    void rendersBarGridAndBackground()
    {
        GaugePanel panel;
        panel.resize(200, 460);
        const DerivedSettings m = DeriveSettings(StoredSettings{}); // degrees F: 900..1700
        panel.redraw(m);
        panel.showReading(m, {1300, kNoReading, kNoReading, kNoReading});
        const QImage image = panel.image();
        const int x = panel.columnForX(panel.face().bars[0].left) + kBarWidthPixels / 2;
        QCOMPARE(image.pixel(x, panel.rowForValue(1290)), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(x, panel.rowForValue(1310)), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(x, panel.rowForValue(1220)), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(199, panel.rowForValue(1220)), qRgb(255, 255, 255));
    }

    // A reading repaints only the bars and captions it changed; what the panel then shows, in
    // its image and on the screen, is what a panel drawn afresh for that reading shows,
    // whatever came before it.
    void readingAfterReadingShowsWhatAFreshPanelShows_data()
    {
        QTest::addColumn<QList<QList<float>>>("readings");
        const float no = kNoReading;
        QTest::newRow("bars rise and fall by a little")
            << QList<QList<float>>{{1300, 1310, 1320, 1330}, {1302, 1308, 1320, 1335}};
        QTest::newRow("a bar drops to the bottom and rises again")
            << QList<QList<float>>{{1500, 1500, 1500, 1500}, {800, 1500, 1500, 1500},
                                   {1400, 1500, 1500, 1500}};
        QTest::newRow("a probe fails, then reads again")
            << QList<QList<float>>{{1300, 1300, 1300, 1300}, {1300, no, 1300, 1300},
                                   {1300, 1299, 1300, 1300}};
        QTest::newRow("values gain a digit and lose it")
            << QList<QList<float>>{{980, 990, 995, 999}, {1001, 990, 995, 1999},
                                   {999, 990, 995, 999}};
        QTest::newRow("beyond the top of the scale")
            << QList<QList<float>>{{1600, 1650, 1690, 1700}, {1800, 2400, 1690, 1700}};
    }
    void readingAfterReadingShowsWhatAFreshPanelShows()
    {
        QFETCH(QList<QList<float>>, readings);
        const DerivedSettings m = DeriveSettings(StoredSettings{}); // degrees F: 900..1700
        const auto values = [](const QList<float>& r) {
            return std::array<float, kRecorderChannels>{r[0], r[1], r[2], r[3]};
        };
        GaugePanel panel;
        panel.resize(240, 250);
        panel.redraw(m);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        for (const QList<float>& reading : readings) {
            panel.showReading(m, values(reading));
            QTest::qWait(20); // painted before the next comes
        }
        GaugePanel fresh;
        fresh.resize(240, 250);
        fresh.redraw(m);
        fresh.showReading(m, values(readings.last()));
        const QImage screen = panel.screen()->grabWindow(panel.winId()).toImage();
        QCOMPARE(screen.convertToFormat(QImage::Format_RGB32), fresh.image());
        QCOMPARE(panel.image(), fresh.image());
    }

    // Any redraw (activation, a unit or scale command) keeps a held reading shown: the
    // unmeasured placeholder ("Temp 1".."Temp 4" at 90 %) only in a window without readings.
    void redrawKeepsTheReadingShown_data()
    {
        QTest::addColumn<QString>("redraw"); // a menu command, or empty for an activation
        QTest::addColumn<bool>("recorded");  // two samples in degrees C; else none, degrees F
        QTest::addColumn<int>("cursorRow");  // -1: no row chosen
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QList<double>>("tops");
        const QStringList newest{"655", "666", "677", "688"}, first{"650", "661", "672", "683"};
        const QList<double> newestTops{655, 666, 677, 688};
        QTest::newRow("activation") << QString() << true << -1 << newest << newestTops;
        QTest::newRow("scale command") << "mnuScalesFluid" << true << -1 << newest << newestTops;
        QTest::newRow("unit command: below the F range")
            << "mnuDegF" << true << -1 << newest << QList<double>{900, 900, 900, 900};
        QTest::newRow("cursor row, activation")
            << QString() << true << 0 << first << QList<double>{650, 661, 672, 683};
        QTest::newRow("no reading: placeholder")
            << QString() << false << -1 << QStringList{"Temp 1", "Temp 2", "Temp 3", "Temp 4"}
            << QList<double>{1530, 1530, 1530, 1530};
    }
    void redrawKeepsTheReadingShown()
    {
        QFETCH(QString, redraw);
        QFETCH(int, cursorRow);
        QFETCH(QStringList, shown);
        QFETCH(bool, recorded);
        WindowRig<SaveAsCounted> f;
        if (recorded) {
            f.startInC();
            f.tickAt(0.1f, "1,650,661,672,683\r\n");
            f.tickAt(0.2f, "2,655,666,677,688\r\n");
            QCOMPARE(f.rows().size(), 2);
            f.w->onRecordButton(MainWindow::StopButton); // the unit commands wait for a Stop
        }
        if (cursorRow >= 0)
            controls(f.w).readingList->setCurrentRow(cursorRow);
        if (redraw.isEmpty())
            f.w->onActivated();
        else
            f.w->action(redraw)->trigger();
        const GaugeFace& face = controls(f.w).temperaturePanel->face();
        QStringList captions;
        QList<double> tops;
        for (int ch = 0; ch < 4; ++ch)
            captions << face.channelLabels[ch].caption, tops << face.bars[ch].top;
        QCOMPARE(captions, shown);
        QTEST(tops, "tops");
        // What the bars show is what a screen reader hears.
        QVERIFY(controls(f.w).temperaturePanel->accessibleDescription().startsWith(
            "Ch 1: " + shown[0] + ", Ch 2: " + shown[1]));
    }
};

QTEST_MAIN(TestGaugePanel)
#include "test_gaugepanel.moc"
