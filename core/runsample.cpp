#include "runsample.h"

#include "numconv.h"

#include <QVarLengthArray>
#include <optional>

double RunTimeOfSample(float clock, float start)
{
    const float elapsed = clock - start;
    return std::floor(elapsed * 10.0f + 0.5f) * 0.1;
}

QString FormatRunTime(double seconds)
{
    return num::Format(seconds, QStringLiteral("#########.0"));
}

QString FormatReading(float value)
{
    if (!HasReading(value))
        return kNoReadingText;
    // The general formatter first takes a Single to 7 significant digits, then rounds half
    // away from zero to a whole number. Below a million the 7 digits include the first
    // decimal, and |value| x 10^decimals is exact in a double (24-bit mantissa times 5^7).
    const double a = std::fabs(static_cast<double>(value));
    if (!(a < 1e6))
        return num::FormatSingle(value, QStringLiteral("#####0"));
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

QString FormatSampleLine(const RunSample& sample, int channelCount)
{
    QString line = FormatRunTime(sample.time);
    for (int i = 0; i < std::min(channelCount, kRecorderChannels); ++i) {
        line += QLatin1String("   ");
        line += FormatReading(sample.values[i]);
    }
    return line;
}

namespace
{

// A field as the program writes it: sign, digits, a point and digits. Anything else is not a
// reading: a line holding such a field is damaged, never a temperature made up from it.
std::optional<double> fieldValue(QStringView field)
{
    qsizetype i = 0;
    const bool negative = field.startsWith(u'-');
    if (negative || field.startsWith(u'+'))
        ++i;
    qint64 mantissa = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (; i < field.size(); ++i) {
        const char16_t c = field[i].unicode();
        if (c == u'.' && !point) {
            point = true;
        } else if (c >= u'0' && c <= u'9') {
            if (digits == 15)
                return std::nullopt; // more digits than any reading or time has
            mantissa = mantissa * 10 + (c - u'0');
            ++digits;
            decimals += point ? 1 : 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    // One division by an exact power of ten rounds as the decimal text reads.
    constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    return negative ? -value : value;
}

} // namespace

std::optional<RunSample> ParseSampleLine(QStringView line)
{
    // Fields are split at blanks before any is read as a number: the number reader itself
    // skips blanks inside a number, and would read "12.3   842" as one.
    QVarLengthArray<QStringView, 1 + kRecorderChannels> fields;
    for (qsizetype i = 0; i < line.size() && fields.size() < 1 + kRecorderChannels;) {
        while (i < line.size() && line[i].isSpace())
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !line[i].isSpace())
            ++i;
        if (i > start)
            fields.append(line.mid(start, i - start));
    }
    if (fields.size() < 2)
        return std::nullopt;
    RunSample sample;
    const std::optional<double> time = fieldValue(fields[0]);
    if (!time)
        return std::nullopt;
    sample.time = static_cast<float>(*time);
    for (qsizetype c = 1; c < fields.size(); ++c) {
        if (fields[c] == kNoReadingText)
            continue;
        const std::optional<double> value = fieldValue(fields[c]);
        if (!value)
            return std::nullopt;
        sample.values[c - 1] = static_cast<float>(*value);
    }
    return sample;
}

std::optional<RunSample> ParseSampleLine(QLatin1StringView line)
{
    QVarLengthArray<char16_t, 128> wide(line.size());
    for (qsizetype i = 0; i < line.size(); ++i)
        wide[i] = static_cast<uchar>(line.data()[i]);
    return ParseSampleLine(QStringView(wide.constData(), wide.size()));
}
