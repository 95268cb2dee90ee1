// Splitting frames and stored lines into channel readings.

#include "decoder.h"
#include "framereader.h"
#include "numconv.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

using Readings = std::array<float, kMaxChannels>;
using Texts = std::array<QString, kMaxChannels>;

Q_DECLARE_METATYPE(Readings)

namespace
{

constexpr float kUntouched = -777.0f;
const QString kOldText = QStringLiteral("old");

Readings filled(float v)
{
    Readings r;
    r.fill(v);
    return r;
}

Readings four(float a, float b, float c, float d)
{
    Readings r = filled(kUntouched);
    r[0] = a;
    r[1] = b;
    r[2] = c;
    r[3] = d;
    return r;
}

// The routine as the instrument's line rules read, statement by statement on whole strings,
// with the general converters: the optimised decoder must agree with it on every input.
bool referenceBreakout(QString& Kxx, Readings& arr, qint16 NumChannels, qint16 DegCFlag,
                       Texts& texts)
{
    auto vbTrim = [](const QString& s) {
        qsizetype b = 0, e = s.size();
        while (b < e && s[b] == QLatin1Char(' '))
            ++b;
        while (e > b && s[e - 1] == QLatin1Char(' '))
            --e;
        return s.mid(b, e - b);
    };
    // Kxx = Trim(Right(Kxx, n)) as one statement: a negative n fails it as a whole.
    auto trimRight = [&](QString& s, qsizetype n) {
        if (n >= 0)
            s = vbTrim(s.right(n));
    };
    if (vbTrim(Kxx).isEmpty()) {
        for (int i = 0; i < std::min<int>(NumChannels, kMaxChannels); ++i)
            arr[i] = 0;
        return false;
    }
    const bool comma = Kxx.contains(QLatin1Char(','));
    const QString sep = comma ? QStringLiteral(",") : QStringLiteral(" ");
    const int skip = comma ? 0 : 1;
    const double factor = (comma && DegCFlag != 1) ? 9.0 / 5.0 : 1.0;
    const double offset = (comma && DegCFlag != 1) ? 32.0 : 0.0;
    qsizetype p = Kxx.indexOf(sep) + 1;
    trimRight(Kxx, Kxx.size() - (p + skip));
    for (int i = 0; i < NumChannels && i < kMaxChannels; ++i) {
        p = Kxx.indexOf(sep) + 1;
        bool overflow = false;
        const double v = num::Val(vbTrim(p == 0 ? Kxx : Kxx.left(p)), &overflow);
        const double r = v * factor + offset;
        if (!overflow && std::fabs(r) <= std::numeric_limits<float>::max())
            arr[i] = static_cast<float>(r);
        texts[i] = num::FormatSingle(arr[i], QStringLiteral("#####0"));
        if (!(comma && p == 0))
            trimRight(Kxx, Kxx.size() - (p + skip));
    }
    return true;
}

} // namespace

class TestAcqDecoder : public QObject
{
    Q_OBJECT
private slots:
    void splits_data();
    void splits();
    void blankLeavesTextsAlone_data();
    void blankLeavesTextsAlone();
    void channelCountOutOfRange_data();
    void channelCountOutOfRange();
    void frameFromReceivedText();
    void agreesWithPlainReading_data();
    void agreesWithPlainReading();
    void readingTextMatchesGeneralFormatter();
};

void TestAcqDecoder::splits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("degC");
    QTest::addColumn<Readings>("expected");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("frame in C") << "0,450,461,472,483" << 1 << four(450, 461, 472, 483)
                                << QStringList{"450", "461", "472", "483"};
    QTest::newRow("frame in F") << "0,450,461,472,483" << 0 << four(842, 861.8f, 881.6f, 901.4f)
                                << QStringList{"842", "862", "882", "901"};
    QTest::newRow("any unit other than 1 is F")
        << "0,100" << 2 << four(212, 212, 212, 212) << QStringList{"212", "212", "212", "212"};
    QTest::newRow("short frame repeats last field")
        << "0,450,461" << 1 << four(450, 461, 461, 461) << QStringList{"450", "461", "461", "461"};
    QTest::newRow("fields after the fourth ignored")
        << "17,1,2,3,4,5,6" << 1 << four(1, 2, 3, 4) << QStringList{"1", "2", "3", "4"};
    QTest::newRow("instrument fractions")
        << "17,512.3,498.7,455.1,63.2" << 1 << four(512.3f, 498.7f, 455.1f, 63.2f)
        << QStringList{"512", "499", "455", "63"};
    QTest::newRow("blanks inside fields") << "0, 4 5 0 , -12.5,  7" << 1 << four(450, -12.5f, 7, 7)
                                          << QStringList{"450", "-13", "7", "7"};
    QTest::newRow("stored line C")
        << "12.3   450   462   471   480" << 1 << four(450, 462, 471, 480)
        << QStringList{"450", "462", "471", "480"};
    QTest::newRow("stored line F, no conversion")
        << "12.3   450   462   471   480" << 0 << four(450, 462, 471, 480)
        << QStringList{"450", "462", "471", "480"};
    QTest::newRow("stored line below a second")
        << ".4   -5   0   1000   99999" << 0 << four(-5, 0, 1000, 99999)
        << QStringList{"-5", "0", "1000", "99999"};
    QTest::newRow("non-numeric field reads 0, so 32 F")
        << "0,abc,-,&HFF,,7" << 0 << four(32, 32, 491, 32) << QStringList{"32", "32", "491", "32"};
    QTest::newRow("only commas") << ",,,," << 1 << four(0, 0, 0, 0)
                                 << QStringList{"0", "0", "0", "0"};
    QTest::newRow("single comma") << "," << 0 << four(32, 32, 32, 32)
                                  << QStringList{"32", "32", "32", "32"};
    QTest::newRow("1e400 keeps the element")
        << "0,1e400,5,1e39,2e38" << 1 << four(kUntouched, 5, kUntouched, 2e38f)
        << QStringList{"-777", "5", "-777", num::FormatSingle(2e38f, "#####0")};
    QTest::newRow("past the Single range only after F conversion")
        << "0,3e38,-3e38" << 0 << four(kUntouched, kUntouched, kUntouched, kUntouched)
        << QStringList{"-777", "-777", "-777", "-777"};
    QTest::newRow("exponent and D forms")
        << "x,1.5E2,2D1,-1e-3" << 1 << four(150, 20, -0.001f, -0.001f)
        << QStringList{"150", "20", "0", "0"};
    QTest::newRow("halves round away from zero")
        << "0,0.5,-0.5,2.5,-2.5" << 1 << four(0.5f, -0.5f, 2.5f, -2.5f)
        << QStringList{"1", "-1", "3", "-3"};
    QTest::newRow("binary bytes") << QString::fromLatin1(
                                         QByteArray("\x00\xff,\x01\x80\x7f,9\x00,\xfe", 11))
                                  << 1 << four(0, 9, 0, 0) << QStringList{"0", "9", "0", "0"};
    QTest::newRow("no separator at all, stored")
        << "12345" << 1 << four(2345, 345, 45, 5) << QStringList{"2345", "345", "45", "5"};
}

void TestAcqDecoder::splits()
{
    QFETCH(QString, text);
    QFETCH(int, degC);
    QFETCH(Readings, expected);
    QFETCH(QStringList, texts);

    Readings arr = filled(kUntouched);
    Texts channelText;
    channelText.fill(kOldText);
    QVERIFY(BreakoutTempData(text, arr, 4, static_cast<qint16>(degC), channelText));
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(arr[i], expected[i]);
        QCOMPARE(channelText[i], texts[i]);
    }
    for (int i = 4; i < kMaxChannels; ++i) {
        QCOMPARE(arr[i], kUntouched);
        QCOMPARE(channelText[i], kOldText);
    }
}

void TestAcqDecoder::blankLeavesTextsAlone_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QStringLiteral("     ");
}

void TestAcqDecoder::blankLeavesTextsAlone()
{
    QFETCH(QString, text);
    const QString before = text;
    Readings arr = filled(kUntouched);
    Texts channelText;
    channelText.fill(kOldText);
    QVERIFY(!BreakoutTempData(text, arr, 4, 1, channelText));
    QCOMPARE(text, before);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(arr[i], 0.0f);
    QCOMPARE(arr[4], kUntouched);
    for (const QString& t : channelText)
        QCOMPARE(t, kOldText);
}

void TestAcqDecoder::channelCountOutOfRange_data()
{
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("touched");
    QTest::newRow("negative") << -3 << 0;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("all thirteen") << 13 << 13;
    QTest::newRow("more than the arrays") << 32767 << 13;
}

void TestAcqDecoder::channelCountOutOfRange()
{
    QFETCH(int, channels);
    QFETCH(int, touched);
    for (const QString& line :
         {QStringLiteral("0,1,2,3"), QStringLiteral("1.0   1   2   3"), QString()}) {
        QString text = line;
        Readings arr = filled(kUntouched);
        Texts channelText;
        channelText.fill(kOldText);
        BreakoutTempData(text, arr, static_cast<qint16>(channels), 1, channelText);
        for (int i = 0; i < kMaxChannels; ++i)
            QCOMPARE(arr[i] != kUntouched, i < touched);
    }
}

// The road of a sample: received text, framing, splitting.
void TestAcqDecoder::frameFromReceivedText()
{
    const QString received = QStringLiteral(",455,466\r\n0,450,461,472,483\r\n0,999,");
    QString frame;
    QVERIFY(ExtractFrame(received, frame));
    QCOMPARE(frame, QStringLiteral("0,450,461,472,483"));
    Readings arr{};
    Texts channelText;
    QVERIFY(BreakoutTempData(frame, arr, 4, 1, channelText));
    QCOMPARE(channelText[0], QStringLiteral("450"));
    QCOMPARE(channelText[3], QStringLiteral("483"));
    QCOMPARE(frame, QStringLiteral("483")); // consumed: only the repeated last field is left

    QString empty = QStringLiteral("stale");
    QVERIFY(ExtractFrame(QStringLiteral("x\r\n\r\n0,1,2,3,4\r\n"), empty));
    QVERIFY(empty.isEmpty());
    channelText.fill(kOldText);
    arr.fill(kUntouched);
    QVERIFY(!BreakoutTempData(empty, arr, 4, 0, channelText));
    QCOMPARE(arr[0], 0.0f);
    QCOMPARE(channelText[0], kOldText);
}

void TestAcqDecoder::agreesWithPlainReading_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("long line") << QString(100000, QLatin1Char('7')) + QStringLiteral(",1,2");
    QTest::newRow("long digits") << QStringLiteral("0,1234567890123456789,0.1234567890123456789");
    QTest::newRow("sixteen digits") << QStringLiteral("0,1234567890123456,9007199254740993");
    QTest::newRow("leading blanks stored") << QStringLiteral("   12.3   450   462");
    QTest::newRow("single blanks stored") << QStringLiteral("1 2 3 4 5 6 7 8");
    QTest::newRow("tabs") << QStringLiteral("0,\t45\t0,1\n2");
    QTest::newRow("signs") << QStringLiteral("0,+5,--5,+-5,-+5,5-,.,-.5");
    QTest::newRow("hex octal") << QStringLiteral("0,&H7FFF,&O777,&HFFFF,&HZZ");
    QTest::newRow("dangling exponent") << QStringLiteral("0,1e,1e+,5E-2x");
    QTest::newRow("huge after F") << QStringLiteral("0,1.8e38,1.9e38,-1.9e38");
    QTest::newRow("lone CR") << QStringLiteral("0,12\r,13");

    // Random frames from the characters that matter to the splitting and reading.
    QRandomGenerator rng(20240611);
    const QString alphabet = QStringLiteral("0123456789,,,,....   --+eEdD&HhOo\t\r\nx\x7f\xe9");
    for (int n = 0; n < 400; ++n) {
        QString s;
        const int len = static_cast<int>(rng.bounded(40));
        for (int k = 0; k < len; ++k)
            s += alphabet[static_cast<int>(rng.bounded(alphabet.size()))];
        QTest::addRow("random %d", n) << s;
    }
    // Random well-formed frames and stored lines, the everyday inputs of the fast paths.
    for (int n = 0; n < 400; ++n) {
        QString frame = QStringLiteral("17");
        QString line = QStringLiteral("12.3");
        for (int k = 0; k < 4; ++k) {
            const double v = (rng.generateDouble() - 0.3) * std::pow(10.0, rng.bounded(7));
            const int decimals = static_cast<int>(rng.bounded(4));
            frame += QLatin1Char(',') + QString::number(v, 'f', decimals);
            line += QStringLiteral("   ") + QString::number(v, 'f', decimals);
        }
        QTest::addRow("frame %d", n) << frame;
        QTest::addRow("line %d", n) << line;
    }
}

void TestAcqDecoder::agreesWithPlainReading()
{
    QFETCH(QString, text);
    for (qint16 degC : {qint16(0), qint16(1)}) {
        for (qint16 channels : {qint16(4), qint16(13)}) {
            QString fast = text;
            QString plain = text;
            Readings a = filled(kUntouched), b = filled(kUntouched);
            Texts ta, tb;
            const bool ra = BreakoutTempData(fast, a, channels, degC, ta);
            const bool rb = referenceBreakout(plain, b, channels, degC, tb);
            QCOMPARE(ra, rb);
            QCOMPARE(fast, plain);
            for (int i = 0; i < kMaxChannels; ++i) {
                QCOMPARE(a[i], b[i]);
                QCOMPARE(ta[i], tb[i]);
            }
        }
    }
}

void TestAcqDecoder::readingTextMatchesGeneralFormatter()
{
    // Around every rounding boundary of the everyday range, and at random.
    QRandomGenerator rng(77);
    std::vector<float> values{0.0f,
                              -0.0f,
                              0.099999f,
                              0.1f,
                              0.49999997f,
                              0.5f,
                              0.50000006f,
                              9.4999995f,
                              9.5f,
                              99999.5f,
                              999999.44f,
                              999999.5f,
                              1e6f,
                              -999999.9f,
                              123456.5f,
                              1.0078125f,
                              3.4e38f,
                              std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN()};
    for (float half : {0.5f, 9.5f, 99.5f, 999.5f, 9999.5f, 99999.5f, 999999.5f, 0.49999995f}) {
        for (const float sign : {1.0f, -1.0f}) {
            float below = sign * half, above = sign * half;
            for (int k = 0; k < 50; ++k) {
                values.push_back(below = std::nextafter(below, 0.0f));
                values.push_back(above = std::nextafter(above, sign * 1e9f));
            }
        }
    }
    for (int k = 0; k < 200000; ++k) {
        const double magnitude = std::pow(10.0, rng.bounded(8)) * (rng.generateDouble() - 0.5);
        values.push_back(static_cast<float>(magnitude));
        const float half = std::floor(static_cast<float>(magnitude)) + 0.5f;
        values.push_back(std::nextafter(half, 0.0f));
        values.push_back(std::nextafter(half, 1e9f));
    }
    for (const float v : values)
        QCOMPARE(FormatChannelReading(v), num::FormatSingle(v, QStringLiteral("#####0")));
}

QTEST_GUILESS_MAIN(TestAcqDecoder)
#include "test_acq_decoder.moc"
