// The temperatures of an accepted instrument frame, in either unit.

#include "decoder.h"

#include <QTest>

class TestAcqDecoder : public QObject
{
    Q_OBJECT
private slots:
    void readings_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<bool>("celsius");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("shown"); // each reading as the run shows it
        QTest::newRow("in C") << "0,450,461,472,483" << true << 4 << "450 461 472 483";
        QTest::newRow("in F") << "0,450,461,472,483" << false << 4 << "842 862 882 901";
        QTest::newRow("blanks around fields, a field after the last")
            << "0, 537.3,650, 760.2 ,880,12" << true << 4 << "537 650 760 880";
        QTest::newRow("halves away from zero") << "0,0.5,-0.5,2.5,-2.5" << true << 4 << "1 -1 3 -3";
        QTest::newRow("failed probes have no reading")
            << "0,450,OPEN,1400,-300" << true << 4 << "450 -9999 -9999 -9999";
        QTest::newRow("two channels: the others have none")
            << "0,450,461,472,483" << true << 2 << "450 461 -9999 -9999";
        QTest::newRow("more channels than the recorder has")
            << "0,1,2,3,4,5" << true << 32767 << "1 2 3 4";
    }
    void readings()
    {
        QFETCH(QString, frame);
        QFETCH(bool, celsius);
        QFETCH(int, channels);
        QStringList shown;
        for (float value : FrameReadings(frame, channels, celsius))
            shown << FormatReading(value);
        QTEST(shown.join(QLatin1Char(' ')), "shown");
    }
};

QTEST_GUILESS_MAIN(TestAcqDecoder)
#include "test_acq_decoder.moc"
