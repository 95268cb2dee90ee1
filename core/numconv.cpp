#include "numconv.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>

namespace num
{
namespace
{

// Significant digits a Double and a Single carry in text. Format rounds the value as CStr
// would show it first, so that a number that is meant to be 12.35 but is held as
// 12.3499999999999996447... still rounds up, as the user reading "12.35" expects.
constexpr int kDoubleDigits = 15;
constexpr int kSingleDigits = 7;

// Longest exponent we pass on to the converter; anything larger is already far beyond the
// range of a Double either way, and clamping keeps the text short and the count from wrapping.
constexpr long kExponentClamp = 99999;

// ---------------------------------------------------------------------------------------------
// Reading

bool isIgnoredBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int digitValue(char c, int radix)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < radix ? v : -1;
}

struct Scan {
    double value = 0.0;
    bool overflow = false;
    bool complete = false; // a number with digits, and nothing left over after it
};

// The characters that may take part in a number, with the ignored blanks removed. Filtering
// stops at the first character that can never belong to one, so a long line costs little.
std::string numberCharacters(const QString& text)
{
    std::string s;
    for (const QChar c : text) {
        if (isIgnoredBlank(c))
            continue;
        const ushort u = c.unicode();
        const char a = u < 128 ? static_cast<char>(u) : '\x01';
        s.push_back(a);
        if (!(isDigit(a) || digitValue(a, 16) >= 0 || a == '+' || a == '-' || a == '.' ||
              a == '&' || a == 'e' || a == 'E' || a == 'd' || a == 'D' || a == 'h' || a == 'H' ||
              a == 'o' || a == 'O'))
            break;
    }
    return s;
}

// &H / &O form: up to 4 hexadecimal digits' worth of value is a 16-bit Integer pattern and up
// to 8 digits' worth a 32-bit Long pattern, so &HFFFF is -1 and &HFFFFFFFF is -1 too.
Scan scanRadix(const std::string& s, std::size_t i)
{
    Scan r;
    const char p = i < s.size() ? s[i] : '\0';
    const int radix = (p == 'h' || p == 'H') ? 16 : (p == 'o' || p == 'O') ? 8 : 0;
    if (radix == 0)
        return r;
    ++i;
    quint64 v = 0;
    bool any = false;
    for (; i < s.size(); ++i) {
        const int d = digitValue(s[i], radix);
        if (d < 0)
            break;
        any = true;
        if (v <= 0xFFFFFFFFull)
            v = v * radix + d;
    }
    if (!any)
        return r;
    r.complete = i == s.size();
    if (v <= 0xFFFFull)
        r.value = static_cast<qint16>(static_cast<quint16>(v));
    else if (v <= 0xFFFFFFFFull)
        r.value = static_cast<qint32>(static_cast<quint32>(v));
    else
        r.overflow = true;
    return r;
}

Scan scan(const QString& text)
{
    const std::string s = numberCharacters(text);
    if (!s.empty() && s[0] == '&')
        return scanRadix(s, 1);

    Scan r;
    std::size_t i = 0;
    std::string mantissa;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            mantissa.push_back('-');
        ++i;
    }
    mantissa.push_back('0'); // so that ".4" and "-.4" still start with a digit
    int intDigits = 0;       // significant digits before the point (leading zeros dropped)
    int leadingFracZeros = 0;
    bool anyDigit = false;
    bool nonZeroSeen = false;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        anyDigit = true;
        nonZeroSeen = nonZeroSeen || s[i] != '0';
        if (nonZeroSeen)
            ++intDigits;
        mantissa.push_back(s[i]);
    }
    if (i < s.size() && s[i] == '.') {
        mantissa.push_back('.');
        ++i;
        for (; i < s.size() && isDigit(s[i]); ++i) {
            anyDigit = true;
            if (!nonZeroSeen && s[i] == '0')
                ++leadingFracZeros;
            nonZeroSeen = nonZeroSeen || s[i] != '0';
            mantissa.push_back(s[i]);
        }
    }
    if (!anyDigit)
        return r;
    if (mantissa.back() == '.')
        mantissa.push_back('0');

    // The exponent counts only when digits follow its letter; "1e" reads as 1.
    long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        bool negative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            negative = s[j] == '-';
            ++j;
        }
        if (j < s.size() && isDigit(s[j])) {
            for (; j < s.size() && isDigit(s[j]); ++j)
                exponent = std::min(kExponentClamp, exponent * 10 + (s[j] - '0'));
            if (negative)
                exponent = -exponent;
            i = j;
        }
    }
    r.complete = i == s.size();

    const std::string number = mantissa + 'e' + std::to_string(exponent);
    double v = 0.0;
    const auto res = std::from_chars(number.data(), number.data() + number.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        // Out of range either way: too large is an overflow, too small is simply zero.
        const long magnitude = (intDigits > 0 ? intDigits : -leadingFracZeros) + exponent;
        r.overflow = magnitude > 0;
        v = 0.0;
    } else if (res.ec != std::errc()) {
        v = 0.0;
    }
    r.value = v == 0.0 ? 0.0 : v; // no negative zero
    return r;
}

// ---------------------------------------------------------------------------------------------
// Writing

// A finite non-negative number as 0.d1d2d3... x 10^exponent; `digits` has no leading or
// trailing zeros, and is empty for zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal toDecimal(double value, int significant)
{
    Decimal d;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, significant - 1);
    const std::string text(buf, res.ptr); // d.ddddde+XX
    const std::size_t e = text.find('e');
    d.digits = text.substr(0, 1) + (e > 2 ? text.substr(2, e - 2) : std::string());
    d.exponent = std::atoi(text.c_str() + e + 1) + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.exponent = 0;
    d.negative = std::signbit(value) && !d.digits.empty();
    return d;
}

char digitAt(const Decimal& d, int index)
{
    return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
}

// Keeps `decimals` digits after the point, a dropped half rounding away from zero.
void roundToDecimals(Decimal& d, int decimals)
{
    const int keep = d.exponent + decimals;
    if (d.digits.empty() || keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        d.negative = false;
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        for (; i >= 0 && d.digits[i] == '9'; --i)
            d.digits[i] = '0';
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[i];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.negative = false;
}

QString nonFiniteText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    return value < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
}

// Plain notation while the number needs no more than `significant` digits on either side of
// the point (so 1E-16 and 1E+15 go to exponent form for a Double); otherwise d.dddE+XX with
// at least two exponent digits.
QString shortText(double value, int significant)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    const Decimal d = toDecimal(value, significant);
    if (d.digits.empty())
        return QStringLiteral("0");

    const int n = static_cast<int>(d.digits.size());
    std::string out = d.negative ? "-" : "";
    const int fractionDigits = n - d.exponent;
    if (d.exponent <= significant && fractionDigits <= significant) {
        if (d.exponent > 0) {
            for (int i = 0; i < d.exponent; ++i)
                out.push_back(digitAt(d, i));
            if (fractionDigits > 0)
                out += '.' + d.digits.substr(d.exponent);
        } else {
            out += "0." + std::string(-d.exponent, '0') + d.digits;
        }
    } else {
        out.push_back(d.digits[0]);
        if (n > 1)
            out += '.' + d.digits.substr(1);
        const int e = d.exponent - 1;
        std::string exp = std::to_string(std::abs(e));
        if (exp.size() < 2)
            exp.insert(exp.begin(), '0');
        out += (e < 0 ? "E-" : "E+") + exp;
    }
    return QString::fromLatin1(out.data(), static_cast<int>(out.size()));
}

QString formatDecimal(double value, const QString& pattern, int significant)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    const int point = pattern.indexOf(QLatin1Char('.'));
    const QString intPattern = point < 0 ? pattern : pattern.left(point);
    const QString fracPattern = point < 0 ? QString() : pattern.mid(point + 1);
    if (intPattern.isEmpty() && fracPattern.isEmpty() && point < 0)
        return shortText(value, significant);

    const int minIntDigits = static_cast<int>(intPattern.count(QLatin1Char('0')));
    QString fracPlaces; // the '0' / '#' placeholders after the point, in order
    for (const QChar c : fracPattern)
        if (c == QLatin1Char('0') || c == QLatin1Char('#'))
            fracPlaces.append(c);

    Decimal d = toDecimal(value, significant);
    roundToDecimals(d, static_cast<int>(fracPlaces.size()));

    std::string intText;
    for (int i = 0; i < d.exponent; ++i)
        intText.push_back(digitAt(d, i));
    if (static_cast<int>(intText.size()) < minIntDigits)
        intText.insert(0, minIntDigits - intText.size(), '0');

    std::string fracText;
    for (int k = 0; k < fracPlaces.size(); ++k)
        fracText.push_back(digitAt(d, d.exponent + k));
    // '#' after the point shows a trailing digit only when it is not zero.
    while (!fracText.empty() && fracText.back() == '0' &&
           fracPlaces.at(static_cast<int>(fracText.size()) - 1) == QLatin1Char('#'))
        fracText.pop_back();

    std::string out = d.negative ? "-" : "";
    out += intText;
    if (point >= 0)
        out += '.' + fracText;
    return QString::fromLatin1(out.data(), static_cast<int>(out.size()));
}

// Nearest whole number, an exact half going to the even neighbour; independent of the
// floating-point rounding mode in force.
double roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double diff = value - lower; // exact for every finite double
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

template <typename T> std::optional<T> toWhole(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = roundHalfEven(value);
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(r);
}

} // namespace

double Val(const QString& text, bool* overflow)
{
    const Scan r = scan(text);
    if (overflow)
        *overflow = r.overflow;
    return r.value;
}

QString Format(double value, const QString& pattern)
{
    return formatDecimal(value, pattern, kDoubleDigits);
}

QString FormatSingle(float value, const QString& pattern)
{
    return formatDecimal(static_cast<double>(value), pattern, kSingleDigits);
}

QString CStr(double value)
{
    return shortText(value, kDoubleDigits);
}

QString CStrSingle(float value)
{
    return shortText(static_cast<double>(value), kSingleDigits);
}

QString Str(double value)
{
    const QString text = CStr(value);
    return text.startsWith(QLatin1Char('-')) ? text : QLatin1Char(' ') + text;
}

QString PrintForm(double value)
{
    return Str(value) + QLatin1Char(' ');
}

std::optional<qint16> ToInteger(double value)
{
    return toWhole<qint16>(value);
}

std::optional<qint32> ToLong(double value)
{
    return toWhole<qint32>(value);
}

bool IsWholeNumberText(const QString& text)
{
    const Scan r = scan(text.trimmed());
    return r.complete && !r.overflow;
}

} // namespace num
