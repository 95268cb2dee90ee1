#pragma once
// Number and text conventions shared by every part of the program: reading numbers out of
// text the way the instrument, the settings file and the data files expect, and the fixed
// display patterns. The decimal separator is always the point, whatever the user's locale.

#include <QString>
#include <QtGlobal>
#include <optional>

namespace num
{

// The number at the start of `text`. Leading blanks are skipped; blanks, tabs and line feeds
// between the characters of the number are ignored; one sign, digits, a point and an exponent
// (E or D, optional sign, digits) are read; &H / &O prefixes read hexadecimal / octal.
// Reading stops at the first other character; text without a leading number gives 0.
// &H / &O values of up to 16 bits are read as a 16-bit Integer pattern, up to 32 bits as a
// 32-bit Long pattern (&HFFFF and &HFFFFFFFF are both -1).
// A number too large for a Double (or an &H / &O value beyond 32 bits) gives 0; *overflow,
// when given, tells whether that happened. A number too small for a Double reads as 0.
double Val(const QString& text, bool* overflow = nullptr);

// Formats `value` with a pattern made of '#' (digit only where the number has one: no leading
// zeros, so 0.4 with "#.0" is ".4"), '0' (always a digit) and '.' (the decimal point).
// The value is rounded half away from zero to the digits shown; more integer digits than the
// pattern has are still shown. A negative value that rounds to zero shows no minus sign.
// Patterns in use: "#########.0", "########.0", "#####0", "####0", "#0.0".
// The value is first taken to 15 significant digits, as CStr shows it, so that a number held
// just below a half (12.35 is 12.34999... in binary) rounds as its decimal form reads.
// Characters other than '#', '0' and the first '.' are ignored; an empty pattern gives CStr.
QString Format(double value, const QString& pattern);
// The same for a Single, taken to 7 significant digits first: 0.45f, held as 0.4499999881,
// gives 0.5 with "#0.0".
QString FormatSingle(float value, const QString& pattern);

// Shortest decimal form of a Double (at most 15 significant digits), no leading blank:
// 3, 12.5, -0.25, 1E+20. Plain notation while at most 15 digits are needed before and after
// the point (1E-15 is 0.000000000000001, 1E-16 is 1E-16), otherwise mantissa, E, sign and at
// least two exponent digits. Not-a-number and infinities give "NaN", "Inf" and "-Inf".
QString CStr(double value);
// The same for a Single (at most 7 significant digits, plain up to 7 digits on either side
// of the point): 861.8f gives 861.8, 1E7f gives 1E+07.
QString CStrSingle(float value);

// CStr with a leading blank for non-negative numbers: " 3", "-3".
QString Str(double value);

// How a number is written to a text file: a blank or a minus sign, the digits, one trailing
// blank: " 15 ", "-3 ".
QString PrintForm(double value);

// Conversion to the 16-bit Integer: rounds to the nearest whole number, halves to even
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). A value outside -32768..32767 after rounding, or not a
// finite number, gives std::nullopt: an overflow is an error, never a silent wrap.
std::optional<qint16> ToInteger(double value);

// Same for the 32-bit Long.
std::optional<qint32> ToLong(double value);

// True when `text`, blanks around it ignored, is one complete number (sign, digits, point,
// exponent, or &H/&O form) that Val reads without leaving anything over. Empty text is not
// a number. Blanks inside are ignored as Val ignores them ("1 2" is 12); an exponent letter
// without digits ("1e") or a number that overflows is not a complete number.
// Used where a field must hold a number and nothing else.
bool IsWholeNumberText(const QString& text);

} // namespace num
