#include "decoder.h"

#include "numconv.h"

#include <QStringView>

#include <algorithm>
#include <cmath>
#include <limits>

// The decoder runs for every sample, every replayed line and every cursor move over a long run,
// so it walks the text by index instead of cutting new strings for every field, and reads the
// everyday field (sign, digits, point) and formats the everyday reading without the general
// converters. Anything else goes through num::Val / num::FormatSingle, which define the result.

namespace
{

constexpr char16_t kBlank = u' ';

// The text still to be split: [begin, end) of the original, blanks trimmed at both ends.
struct Rest {
    const QChar* data;
    qsizetype begin;
    qsizetype end;

    qsizetype length() const { return end - begin; }
    void trim()
    {
        while (begin < end && data[begin] == kBlank)
            ++begin;
        while (end > begin && data[end - 1] == kBlank)
            --end;
    }
    // 1-based position of the first `sep`, 0 when there is none.
    qsizetype find(char16_t sep) const
    {
        for (qsizetype i = begin; i < end; ++i)
            if (data[i] == sep)
                return i - begin + 1;
        return 0;
    }
    // Keeps the rightmost length - count characters, trimmed. A count past the length leaves
    // the text as it is: that step is skipped, and the channels go on with what is left.
    void dropLeft(qsizetype count)
    {
        if (count > length())
            return;
        begin += count;
        trim();
    }
};

bool isAllBlank(const QString& s)
{
    for (const QChar c : s)
        if (c != kBlank)
            return false;
    return true;
}

// Val of `field` for the form sign? digits [. digits] followed by nothing or by `sep` alone,
// with at most 15 digits, so that digits / 10^k is exact and correctly rounded like the
// general reader. False for any other form.
bool readPlainNumber(QStringView field, char16_t sep, double& value)
{
    constexpr int kMaxDigits = 15;
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    qsizetype i = 0;
    const qsizetype n = field.size();
    bool negative = false;
    if (i < n && (field[i] == u'-' || field[i] == u'+')) {
        negative = field[i] == u'-';
        ++i;
    }
    quint64 mantissa = 0;
    int digits = 0;
    int fraction = 0;
    bool point = false;
    for (; i < n; ++i) {
        const char16_t c = field[i].unicode();
        if (c >= u'0' && c <= u'9') {
            if (++digits > kMaxDigits)
                return false;
            mantissa = mantissa * 10 + (c - u'0');
            if (point)
                ++fraction;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && !(i == n - 1 && field[i] == sep))
        return false;
    const double v = static_cast<double>(mantissa) / kPow10[fraction];
    value = (negative && v != 0.0) ? -v : v;
    return true;
}

double readField(QStringView field, char16_t sep, bool& overflow)
{
    double v = 0.0;
    overflow = false;
    if (readPlainNumber(field, sep, v))
        return v;
    return num::Val(field.toString(), &overflow);
}

} // namespace

QString FormatChannelReading(float value)
{
    // The general formatter first takes a Single to 7 significant digits, then rounds half
    // away from zero to a whole number. Below a million the 7 digits include the first
    // decimal, and |value| x 10^decimals is exact in a double (24-bit mantissa times 5^7).
    const double a = std::fabs(static_cast<double>(value));
    if (!(a < 1e6))
        return num::FormatSingle(value, kChannelPattern);
    if (a < 0.1)
        return QStringLiteral("0");
    int decimals = 7;
    qint64 scale = 10'000'000;
    for (double limit = 1.0; a >= limit; limit *= 10.0) {
        --decimals;
        scale /= 10;
    }
    const auto scaled = static_cast<qint64>(std::nearbyint(a * static_cast<double>(scale)));
    qint64 whole = scaled / scale;
    if ((scaled % scale) * 2 >= scale)
        ++whole;
    if (whole == 0)
        return QStringLiteral("0");
    return QString::number(value < 0 ? -whole : whole);
}

bool DecodeFrame(QString& text, std::array<float, kMaxChannels>& readings, qint16 channelCount,
                 qint16 degreesCelsius, std::array<QString, kMaxChannels>& channelTexts)
{
    const int shown = std::clamp<int>(channelCount, 0, kMaxChannels);
    if (isAllBlank(text)) {
        for (int i = 0; i < shown; ++i)
            readings[i] = 0.0f;
        return false;
    }

    const bool isFrame = text.contains(QLatin1Char(','));
    const char16_t sep = isFrame ? u',' : kBlank;
    // A stored line has three blanks between fields; the extra skip eats the second one, the
    // trimming the third.
    const qsizetype skip = isFrame ? 0 : 1;
    const double factor = (isFrame && degreesCelsius != 1) ? 9.0 / 5.0 : 1.0;
    const double offset = (isFrame && degreesCelsius != 1) ? 32.0 : 0.0;

    Rest rest{text.constData(), 0, text.size()}; // not trimmed before the first field is dropped
    const qsizetype first = rest.find(sep);
    rest.dropLeft(first + skip);

    for (int i = 0; i < channelCount; ++i) {
        const qsizetype p = rest.find(sep);
        if (i < kMaxChannels) {
            const QStringView field = p == 0 ? QStringView(rest.data + rest.begin, rest.length())
                                             : QStringView(rest.data + rest.begin, p);
            bool overflow = false;
            const double value = readField(field, sep, overflow);
            const double reading = value * factor + offset;
            if (!overflow && std::fabs(reading) <= std::numeric_limits<float>::max())
                readings[i] = static_cast<float>(reading);
            channelTexts[i] = FormatChannelReading(readings[i]);
        }
        const Rest before = rest;
        // The last field of a frame stays, so the remaining channels repeat it.
        if (!(isFrame && p == 0))
            rest.dropLeft(p + skip);
        if (i >= kMaxChannels && rest.begin == before.begin && rest.end == before.end)
            break; // nothing more can change
    }

    text = text.mid(rest.begin, rest.length());
    return true;
}
