#include "gaugepanel.h"

#include <QApplication>
#include <QTest>

class TestGaugePanel : public QObject
{
    Q_OBJECT
private slots:
    void rendersBarGridAndBackground();
};

void TestGaugePanel::rendersBarGridAndBackground()
{
    GaugePanel panel;
    panel.resize(200, 460);
    Module1 m;
    DeriveThermocoupleValues(m); // degrees F, exhaust gas: 900..1700
    panel.redraw(m);
    panel.drawNeedle(m, {"1300"});

    const auto pixel = [&](int x, double value) {
        return QColor(panel.image().pixel(x, panel.rowForValue(value)));
    };
    const int x = panel.columnForX(panel.face().Shape1[0].left) + kBarWidthPixels / 2;
    QCOMPARE(pixel(x, 1290), QColor(255, 0, 0)); // the bar up to its reading
    QCOMPARE(pixel(x, 1310), QColor(0, 0, 0));   // background above it
    // A white grid line across the whole width, also over the bar.
    QCOMPARE(pixel(199, 1220), QColor(255, 255, 255));
    QCOMPARE(pixel(x, 1220), QColor(255, 255, 255));
}

QTEST_MAIN(TestGaugePanel)
#include "test_gaugepanel.moc"
