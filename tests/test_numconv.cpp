#include "numconv.h"

#include <QLocale>
#include <QtTest>
#include <clocale>
#include <limits>
#include <string>

class TestNumConv : public QObject {
    Q_OBJECT

private slots:
    void val_data();
    void val();
    void format_data();
    void format();
    void textForms_data();
    void textForms();
    void singles_data();
    void singles();
    void toWhole_data();
    void toWhole();
    void wholeNumberText_data();
    void wholeNumberText();
    void ignoresUserLocale();
};

void TestNumConv::val_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::addColumn<bool>("overflow");

    QTest::newRow("blanks inside") << "1 2 3" << 123.0 << false;
    QTest::newRow("tab and line feed") << "\t4\n2" << 42.0 << false;
    QTest::newRow("stops at letters") << " 12.5abc" << 12.5 << false;
    QTest::newRow("stops at carriage return") << "12\r\n34" << 12.0 << false;
    QTest::newRow("comma is no separator") << "1,5" << 1.0 << false;
    QTest::newRow("no leading digit") << ".4" << 0.4 << false;
    QTest::newRow("signed fraction") << "-.25" << -0.25 << false;
    QTest::newRow("sign alone") << "-" << 0.0 << false;
    QTest::newRow("negative zero") << "-0.0" << 0.0 << false;
    QTest::newRow("empty") << "" << 0.0 << false;
    QTest::newRow("no number") << "abc" << 0.0 << false;
    QTest::newRow("exponent") << "1e3" << 1000.0 << false;
    QTest::newRow("signed exponent") << "1E+2" << 100.0 << false;
    QTest::newRow("D exponent") << "2D2" << 200.0 << false;
    QTest::newRow("dangling exponent") << "1e+x" << 1.0 << false;
    QTest::newRow("hex") << "&HFF" << 255.0 << false;
    QTest::newRow("hex lower case") << "&hff" << 255.0 << false;
    QTest::newRow("hex 16-bit pattern") << "&HFFFF" << -1.0 << false;
    QTest::newRow("hex 16-bit minimum") << "&H8000" << -32768.0 << false;
    QTest::newRow("hex beyond 16 bits") << "&H10000" << 65536.0 << false;
    QTest::newRow("hex 32-bit pattern") << "&HFFFFFFFF" << -1.0 << false;
    QTest::newRow("hex beyond 32 bits") << "&H100000000" << 0.0 << true;
    QTest::newRow("octal") << "&O17" << 15.0 << false;
    QTest::newRow("prefix alone") << "&H" << 0.0 << false;
    QTest::newRow("sign before prefix") << "-&H10" << 0.0 << false;
    QTest::newRow("overflow") << "1e400" << 0.0 << true;
    QTest::newRow("negative overflow") << "-1e400" << 0.0 << true;
    QTest::newRow("long mantissa overflow") << (QString(400, QLatin1Char('9')) + ".5") << 0.0 << true;
    QTest::newRow("underflow is zero") << "1e-400" << 0.0 << false;
    QTest::newRow("zero with huge exponent") << "0e99999999999" << 0.0 << false;
    QTest::newRow("largest double") << "1.7976931348623157e308"
                                    << std::numeric_limits<double>::max() << false;
    QTest::newRow("non-ASCII digit") << QString(QChar(0x0663)) << 0.0 << false;
}

void TestNumConv::val()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QFETCH(bool, overflow);
    bool over = !overflow; // must be written either way
    const double v = num::Val(text, &over);
    QCOMPARE(v, expected);
    if (expected == 0.0)
        QVERIFY(!std::signbit(v)); // a negative zero would later be shown as "-0"
    QCOMPARE(over, overflow);
}

void TestNumConv::format_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    const QString time = QStringLiteral("#########.0");
    const QString temp = QStringLiteral("#####0");
    QTest::newRow("time below one second") << 0.4 << time << ".4";
    QTest::newRow("time") << 12.3 << time << "12.3";
    QTest::newRow("time zero") << 0.0 << time << ".0";
    QTest::newRow("negative time") << -3.2 << time << "-3.2";
    QTest::newRow("negative time below one") << -0.4 << time << "-.4";
    QTest::newRow("negative rounds to zero") << -0.04 << time << ".0";
    QTest::newRow("carry into integer") << 99.95 << time << "100.0";
    QTest::newRow("carry from below one") << 0.95 << time << "1.0";
    QTest::newRow("binary just below half") << 12.35 << "#0.0" << "12.4";
    QTest::newRow("computed just below half") << (0.3 + 0.15) << "#0.0" << "0.5";
    QTest::newRow("genuinely below half") << 12.349999 << "#0.0" << "12.3";
    QTest::newRow("leading zero kept") << 0.5 << "#0.0" << "0.5";
    QTest::newRow("temperature up") << 861.8 << temp << "862";
    QTest::newRow("temperature zero") << 0.0 << temp << "0";
    QTest::newRow("half away from zero") << 2.5 << temp << "3";
    QTest::newRow("negative half") << -12.5 << temp << "-13";
    QTest::newRow("no minus zero") << -0.4 << temp << "0";
    QTest::newRow("wider than pattern") << 1234567890123.0 << temp << "1234567890123";
    QTest::newRow("optional fraction digit") << 1.5 << "0.##" << "1.5";
}

void TestNumConv::format()
{
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(num::Format(value, pattern), expected);
}

void TestNumConv::textForms_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("cstr");
    QTest::addColumn<QString>("str");
    QTest::addColumn<QString>("printForm");

    QTest::newRow("whole") << 15.0 << "15" << " 15" << " 15 ";
    QTest::newRow("negative") << -3.0 << "-3" << "-3" << "-3 ";
    QTest::newRow("zero") << 0.0 << "0" << " 0" << " 0 ";
    QTest::newRow("negative zero") << -0.0 << "0" << " 0" << " 0 ";
    QTest::newRow("fraction") << 12.5 << "12.5" << " 12.5" << " 12.5 ";
    QTest::newRow("below one") << -0.25 << "-0.25" << "-0.25" << "-0.25 ";
    QTest::newRow("binary noise") << (0.1 + 0.2) << "0.3" << " 0.3" << " 0.3 ";
    QTest::newRow("fifteen digits") << 2.0 / 3.0 << "0.666666666666667" << " 0.666666666666667"
                                    << " 0.666666666666667 ";
    QTest::newRow("largest plain") << 123456789012345.0 << "123456789012345"
                                   << " 123456789012345" << " 123456789012345 ";
    QTest::newRow("rounds to exponent form") << 999999999999999.9 << "1E+15" << " 1E+15"
                                             << " 1E+15 ";
    QTest::newRow("small plain") << 1e-15 << "0.000000000000001" << " 0.000000000000001"
                                 << " 0.000000000000001 ";
    QTest::newRow("small") << -1e-20 << "-1E-20" << "-1E-20" << "-1E-20 ";
    QTest::newRow("mantissa") << 1.5e300 << "1.5E+300" << " 1.5E+300" << " 1.5E+300 ";
}

void TestNumConv::textForms()
{
    QFETCH(double, value);
    QFETCH(QString, cstr);
    QFETCH(QString, str);
    QFETCH(QString, printForm);
    QCOMPARE(num::CStr(value), cstr);
    QCOMPARE(num::Str(value), str);
    QCOMPARE(num::PrintForm(value), printForm);
    // What we write must read back as the same number (to the digits written).
    QCOMPARE(num::Val(printForm), value);
    QVERIFY(num::IsWholeNumberText(printForm));
}

void TestNumConv::singles_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("cstr");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("formatted");

    QTest::newRow("reading") << 861.8f << "861.8" << "#####0" << "862";
    QTest::newRow("held below half") << 0.45f << "0.45" << "#0.0" << "0.5";
    QTest::newRow("negative below half") << -0.45f << "-0.45" << "#########.0" << "-.5";
    QTest::newRow("beyond seven digits") << 16777216.0f << "1.677722E+07" << "#####0"
                                         << "16777220";
    QTest::newRow("small plain") << 1e-4f << "0.0001" << "#0.0" << "0.0";
    QTest::newRow("small") << 1.234567e-5f << "1.234567E-05" << "#0.0" << "0.0";
}

void TestNumConv::singles()
{
    QFETCH(float, value);
    QFETCH(QString, cstr);
    QFETCH(QString, pattern);
    QFETCH(QString, formatted);
    QCOMPARE(num::CStrSingle(value), cstr);
    QCOMPARE(num::FormatSingle(value, pattern), formatted);
}

void TestNumConv::toWhole_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QVariant>("integer"); // invalid: no Integer
    QTest::addColumn<QVariant>("longValue");

    const QVariant none;
    QTest::newRow("half down to even") << 2.5 << QVariant(2) << QVariant(2);
    QTest::newRow("half up to even") << 3.5 << QVariant(4) << QVariant(4);
    QTest::newRow("negative half") << -2.5 << QVariant(-2) << QVariant(-2);
    QTest::newRow("answer 2000.6") << 2000.6 << QVariant(2001) << QVariant(2001);
    QTest::newRow("just below half") << 0.49999999999999994 << QVariant(0) << QVariant(0);
    QTest::newRow("Integer top") << 32767.4 << QVariant(32767) << QVariant(32767);
    QTest::newRow("Integer top half") << 32767.5 << none << QVariant(32768);
    QTest::newRow("Integer bottom half") << -32768.5 << QVariant(-32768) << QVariant(-32768);
    QTest::newRow("below Integer") << -32768.6 << none << QVariant(-32769);
    QTest::newRow("too large answer") << 99999.0 << none << QVariant(99999);
    QTest::newRow("Long top half") << 2147483647.5 << none << none;
    QTest::newRow("Long near top half") << 2147483646.5 << none << QVariant(2147483646);
    QTest::newRow("Long bottom half") << -2147483648.5 << none << QVariant(-2147483647 - 1);
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << none << none;
    QTest::newRow("infinity") << -std::numeric_limits<double>::infinity() << none << none;
}

void TestNumConv::toWhole()
{
    QFETCH(double, value);
    QFETCH(QVariant, integer);
    QFETCH(QVariant, longValue);
    const std::optional<qint16> i = num::ToInteger(value);
    QCOMPARE(i.has_value(), integer.isValid());
    if (i)
        QCOMPARE(int(*i), integer.toInt());
    const std::optional<qint32> l = num::ToLong(value);
    QCOMPARE(l.has_value(), longValue.isValid());
    if (l)
        QCOMPARE(int(*l), longValue.toInt());
}

void TestNumConv::wholeNumberText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("print form") << " 15 " << true;
    QTest::newRow("negative") << "-3" << true;
    QTest::newRow("exponent") << "1e3" << true;
    QTest::newRow("hex") << "&HFF" << true;
    QTest::newRow("CR LF around") << "7\r\n" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("letters") << "abc" << false;
    QTest::newRow("trailing letters") << "12abc" << false;
    QTest::newRow("comma") << "1,2" << false;
    QTest::newRow("sign only") << "-" << false;
    QTest::newRow("point only") << "." << false;
    QTest::newRow("exponent without digits") << "1e" << false;
    QTest::newRow("prefix only") << "&H" << false;
    QTest::newRow("hex with non-hex") << "&HFG" << false;
    QTest::newRow("overflow") << "1e400" << false;
}

void TestNumConv::wholeNumberText()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(num::IsWholeNumberText(text), expected);
}

void TestNumConv::ignoresUserLocale()
{
    // Restores the process-wide locale even when a comparison fails.
    struct LocaleGuard {
        QLocale qt;
        std::string c = std::setlocale(LC_NUMERIC, nullptr);
        ~LocaleGuard()
        {
            QLocale::setDefault(qt);
            std::setlocale(LC_NUMERIC, c.c_str());
        }
    } guard;

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"})
        if (std::setlocale(LC_NUMERIC, name))
            break;

    QCOMPARE(num::Val(QStringLiteral("12.5")), 12.5);
    QCOMPARE(num::Val(QStringLiteral("12,5")), 12.0);
    QCOMPARE(num::Val(QStringLiteral("1.5e3")), 1500.0);
    QCOMPARE(num::Format(12.3, QStringLiteral("#########.0")), QStringLiteral("12.3"));
    QCOMPARE(num::Format(1234.0, QStringLiteral("#####0")), QStringLiteral("1234"));
    QCOMPARE(num::CStr(12.5), QStringLiteral("12.5"));
    QCOMPARE(num::CStrSingle(861.8f), QStringLiteral("861.8"));
    QVERIFY(!num::IsWholeNumberText(QStringLiteral("2,5")));
}

QTEST_GUILESS_MAIN(TestNumConv)
#include "test_numconv.moc"
