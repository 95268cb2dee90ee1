#include "gaugepanel.h"

#include <QApplication>
#include <QTest>

class TestGaugePanel : public QObject {
    Q_OBJECT
private slots:
    void rendersBarsGridAndBackground();
    void extremeReadingStaysInsideImage();
};

namespace {

Module1 exhaustRange()
{
    Module1 m;
    DeriveThermocoupleValues(m); // degrees F, exhaust gas: 900..1700
    return m;
}

} // namespace

void TestGaugePanel::rendersBarsGridAndBackground()
{
    GaugePanel panel;
    QCOMPARE(panel.objectName(), QStringLiteral("Picture5_1"));
    panel.resize(200, 460);
    Module1 m = exhaustRange();
    panel.redraw(m);
    std::array<QString, kMaxChannels> text;
    text[0] = "1300";
    text[1] = "800"; // below the range: an empty bar
    text[2] = "1700";
    text[3] = "5000"; // far above: cut by the edge
    panel.drawNeedle(m, text);

    const QImage img = panel.image();
    QCOMPARE(img.size(), QSize(200, 460));
    // The scale runs from 1780 at the top down to 860 over 460 rows: 2 degrees per row.
    QCOMPARE(panel.rowForValue(1780), 0);
    QCOMPARE(panel.rowForValue(1300), 240);

    const auto pixel = [&](int x, int y) { return QColor(img.pixel(x, y)); };
    const int x0 = panel.columnForX(panel.face().Shape1[0].left) + kBarWidthPixels / 2;
    QCOMPARE(x0, 50 + 8);
    // Bar 0: red up to 1300, background above it.
    QCOMPARE(pixel(x0, panel.rowForValue(1290)), QColor(255, 0, 0));
    QCOMPARE(pixel(x0, panel.rowForValue(1310)), QColor(0, 0, 0));
    // Bar 1: nothing drawn between the grid lines at 900 and 1060.
    const int x1 = panel.columnForX(panel.face().Shape1[1].left) + kBarWidthPixels / 2;
    QCOMPARE(pixel(x1, panel.rowForValue(980)), QColor(0, 0, 0));
    // Bar 3 reaches the top edge.
    const int x3 = panel.columnForX(panel.face().Shape1[3].left) + kBarWidthPixels / 2;
    QCOMPARE(pixel(x3, 0), QColor(255, 0, 255));
    // The bar is 17 pixels wide: the column just right of it is background.
    QCOMPARE(pixel(x3 - kBarWidthPixels / 2 + kBarWidthPixels, 5), QColor(0, 0, 0));
    // A white grid line at 1380, drawn across the whole width, also over a bar.
    const int gridRow = panel.rowForValue(1380);
    QCOMPARE(pixel(199, gridRow), QColor(255, 255, 255));
    QCOMPARE(pixel(x3, gridRow), QColor(255, 255, 255));
    QCOMPARE(pixel(199, gridRow - 3), QColor(0, 0, 0));

    // A grabbed widget shows the same pixels as the backing image.
    const QImage grabbed = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(grabbed.pixel(x0, panel.rowForValue(1290)), img.pixel(x0, panel.rowForValue(1290)));
}

void TestGaugePanel::extremeReadingStaysInsideImage()
{
    GaugePanel panel;
    panel.resize(120, 200);
    Module1 m = exhaustRange();
    panel.redraw(m);
    std::array<QString, kMaxChannels> text;
    text.fill(QStringLiteral("1E38"));
    panel.drawNeedle(m, text);
    QCOMPARE(panel.rowForValue(1e300), -2);
    QCOMPARE(panel.rowForValue(-1e300), 202);
    const int x = panel.columnForX(panel.face().Shape1[0].left) + 1;
    QCOMPARE(QColor(panel.image().pixel(x, 0)), QColor(255, 0, 0));
    QCOMPARE(QColor(panel.image().pixel(x, panel.rowForValue(900) - 2)), QColor(255, 0, 0));
}

QTEST_MAIN(TestGaugePanel)
#include "test_gaugepanel.moc"
