#include "gaugepanel.h"

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
        const DerivedSettings m =
            DeriveSettings(StoredSettings{}); // degrees F, exhaust gas: 900..1700
        panel.redraw(m);
        panel.drawNeedle(m, {"1300"});
        const QImage image = panel.image();
        const int x = panel.columnForX(panel.face().bars[0].left) + kBarWidthPixels / 2;
        QCOMPARE(image.pixel(x, panel.rowForValue(1290)), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(x, panel.rowForValue(1310)), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(x, panel.rowForValue(1220)), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(199, panel.rowForValue(1220)), qRgb(255, 255, 255));
    }
};

QTEST_MAIN(TestGaugePanel)
#include "test_gaugepanel.moc"
