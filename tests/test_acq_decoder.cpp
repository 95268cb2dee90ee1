// Splitting frames and stored lines into channel readings.

#include "decoder.h"

#include <QTest>

using Readings = std::array<float, kMaxChannels>;
Q_DECLARE_METATYPE(Readings)

namespace
{

constexpr float kUntouched = -777.0f;
const QString kOldText = QStringLiteral("old");

// The first values given, then kUntouched.
Readings readings(std::initializer_list<float> values)
{
    Readings r;
    r.fill(kUntouched);
    std::copy(values.begin(), values.end(), r.begin());
    return r;
}

} // namespace

class TestAcqDecoder : public QObject
{
    Q_OBJECT
private slots:
    void splits_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<int>("degC");
        QTest::addColumn<int>("channels");
        QTest::addColumn<Readings>("expected");
        QTest::addColumn<QString>("texts"); // of the channels, blank-separated; none: all old

        QTest::newRow("frame in C")
            << "0,450,461,472,483" << 1 << 4 << readings({450, 461, 472, 483}) << "450 461 472 483";
        QTest::newRow("frame in F") << "0,450,461,472,483" << 0 << 4
                                    << readings({842, 861.8f, 881.6f, 901.4f}) << "842 862 882 901";
        QTest::newRow("blanks around fields, a field after the last")
            << "0, 537.3,650, 760.2 ,880,12" << 1 << 4 << readings({537.3f, 650, 760.2f, 880})
            << "537 650 760 880";
        QTest::newRow("blank frame") << "   " << 0 << 4 << readings({0, 0, 0, 0}) << "";
        QTest::newRow("short frame repeats last field")
            << "0,450,461" << 1 << 4 << readings({450, 461, 461, 461}) << "450 461 461 461";
        QTest::newRow("stored line in F, not converted")
            << "12.3   450   462   471   480" << 0 << 4 << readings({450, 462, 471, 480})
            << "450 462 471 480";
        // Rounding of the shown text: halves away from zero.
        QTest::newRow("halves") << "0,0.5,-0.5,2.5,-2.5" << 1 << 4
                                << readings({0.5f, -0.5f, 2.5f, -2.5f}) << "1 -1 3 -3";
        // Fields the quick reader leaves to the general one.
        QTest::newRow("blanks inside fields, many digits")
            << "0, 4 5 0 , -12.5,0000000000000000461.4" << 1 << 4
            << readings({450, -12.5f, 461.4f, 461.4f}) << "450 -13 461 461";
        // Garbage never fails: no number reads as 0 (32 F), one too large keeps the old value.
        QTest::newRow("1e400 and past the Single range after F")
            << "0,1e400,5,3e38" << 0 << 4 << readings({kUntouched, 41, kUntouched, kUntouched})
            << "-777 41 -777 -777";
        QTest::newRow("text, -, &HFF, empty field")
            << "0,abc,-,&HFF,,7" << 0 << 4 << readings({32, 32, 491, 32}) << "32 32 491 32";
        QTest::newRow("negative channel count") << "0,1,2,3" << 1 << -3 << readings({}) << "";
        QTest::newRow("more channels than the arrays")
            << "0,1,2,3" << 1 << 32767 << readings({1, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3})
            << "1 2 3 3 3 3 3 3 3 3 3 3 3";
    }
    void splits()
    {
        QFETCH(QString, frame);
        QFETCH(int, degC);
        QFETCH(int, channels);
        QFETCH(Readings, expected);
        QFETCH(QString, texts);
        const QStringList shown = texts.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        Readings arr = readings({});
        std::array<QString, kMaxChannels> channelText;
        channelText.fill(kOldText);
        const bool blank = frame.trimmed().isEmpty();
        QCOMPARE(DecodeFrame(frame, arr, qint16(channels), qint16(degC), channelText), !blank);
        for (int i = 0; i < kMaxChannels; ++i) {
            QCOMPARE(arr[i], expected[i]);
            QCOMPARE(channelText[i], i < shown.size() ? shown[i] : kOldText);
        }
    }
};

QTEST_GUILESS_MAIN(TestAcqDecoder)
#include "test_acq_decoder.moc"
