// Splitting frames and stored lines into channel readings.

#include "decoder.h"
#include "framereader.h"

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
    void splits_data();
    void splits();
};

void TestAcqDecoder::splits_data()
{
    QTest::addColumn<QString>("received"); // the first frame is cut out when it holds a CR LF
    QTest::addColumn<int>("degC");
    QTest::addColumn<int>("channels");
    QTest::addColumn<Readings>("expected");
    QTest::addColumn<QStringList>("texts"); // empty: every text keeps its old value

    QTest::newRow("tail of a line, frame in C, start of the next")
        << ",455,466\r\n0,450,461,472,483\r\n0,999," << 1 << 4 << readings({450, 461, 472, 483})
        << QStringList{"450", "461", "472", "483"};
    QTest::newRow("two CR LF in a row: empty frame")
        << "x\r\n\r\n0,1,2,3,4\r\n"
        << 0 << 4 << readings({0, 0, 0, 0}) << QStringList{};
    QTest::newRow("frame in F") << "0,450,461,472,483" << 0 << 4
                                << readings({842, 861.8f, 881.6f, 901.4f})
                                << QStringList{"842", "862", "882", "901"};
    QTest::newRow("short frame repeats last field")
        << "0,450,461" << 1 << 4 << readings({450, 461, 461, 461})
        << QStringList{"450", "461", "461", "461"};
    const QStringList stored{"450", "462", "471", "480"};
    QTest::newRow("stored line in C")
        << "12.3   450   462   471   480" << 1 << 4 << readings({450, 462, 471, 480}) << stored;
    QTest::newRow("stored line in F, not converted")
        << "12.3   450   462   471   480" << 0 << 4 << readings({450, 462, 471, 480}) << stored;
    // Rounding of the shown text: halves away from zero.
    QTest::newRow("halves") << "0,0.5,-0.5,2.5,-2.5" << 1 << 4
                            << readings({0.5f, -0.5f, 2.5f, -2.5f})
                            << QStringList{"1", "-1", "3", "-3"};
    // Fields the quick reader leaves to the general one.
    QTest::newRow("blanks inside fields, many digits")
        << "0, 4 5 0 , -12.5,0000000000000000461.4" << 1 << 4
        << readings({450, -12.5f, 461.4f, 461.4f}) << QStringList{"450", "-13", "461", "461"};

    // Garbage never fails: what reads as no number is 0 (32 F), what is too large keeps the old.
    QTest::newRow("binary bytes") << QString::fromLatin1(
                                         QByteArray("\x00\xff,\x01\x80\x7f,9\x00,\xfe", 11))
                                  << 1 << 4 << readings({0, 9, 0, 0})
                                  << QStringList{"0", "9", "0", "0"};
    QTest::newRow("very long line") << QString(100000, QLatin1Char('7')) + ",1,2" << 1 << 4
                                    << readings({1, 2, 2, 2}) << QStringList{"1", "2", "2", "2"};
    QTest::newRow("1e400 and past the Single range after F")
        << "0,1e400,5,3e38" << 0 << 4 << readings({kUntouched, 41, kUntouched, kUntouched})
        << QStringList{"-777", "41", "-777", "-777"};
    QTest::newRow("text, -, &HFF, empty field")
        << "0,abc,-,&HFF,,7" << 0 << 4 << readings({32, 32, 491, 32})
        << QStringList{"32", "32", "491", "32"};
    QTest::newRow("only commas") << ",,,," << 1 << 4 << readings({0, 0, 0, 0})
                                 << QStringList{"0", "0", "0", "0"};
    QTest::newRow("negative channel count")
        << "0,1,2,3" << 1 << -3 << readings({}) << QStringList{};
    QTest::newRow("more channels than the arrays")
        << "0,1,2,3" << 1 << 32767 << readings({1, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3})
        << QStringList{"1", "2", "3", "3", "3", "3", "3", "3", "3", "3", "3", "3", "3"};
}

void TestAcqDecoder::splits()
{
    QFETCH(QString, received);
    QFETCH(int, degC);
    QFETCH(int, channels);
    QFETCH(Readings, expected);
    QFETCH(QStringList, texts);

    QString frame = received;
    if (received.contains(kLineBreak)) {
        FrameAssembler assembler;
        assembler.append(received.toLatin1());
        QVERIFY(assembler.takeFrame(frame));
    }
    const bool blank = frame.trimmed().isEmpty();
    Readings arr = readings({});
    std::array<QString, kMaxChannels> channelText;
    channelText.fill(kOldText);
    QCOMPARE(BreakoutTempData(frame, arr, qint16(channels), qint16(degC), channelText), !blank);
    for (int i = 0; i < kMaxChannels; ++i) {
        QCOMPARE(arr[i], expected[i]);
        QCOMPARE(channelText[i], i < texts.size() ? texts[i] : kOldText);
    }
}

QTEST_GUILESS_MAIN(TestAcqDecoder)
#include "test_acq_decoder.moc"
