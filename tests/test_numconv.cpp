#include "numconv.h"

#include <QLocale>
#include <QtTest>
#include <clocale>
#include <string>

class TestNumConv : public QObject
{
    Q_OBJECT

private slots:
    void val_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::addColumn<bool>("overflow");
        QTest::addColumn<bool>("whole"); // IsWholeNumberText: Val leaves nothing over

        QTest::newRow("leading blanks, stops at letters") << "  12.5abc" << 12.5 << false << false;
        QTest::newRow("blanks inside") << "1 2 3" << 123.0 << false << true;
        QTest::newRow("no leading digit") << ".4" << 0.4 << false << true;
        QTest::newRow("signed fraction") << "-.25" << -0.25 << false << true;
        QTest::newRow("negative zero") << "-0.0" << 0.0 << false << true;
        QTest::newRow("signed exponent") << "1E+2" << 100.0 << false << true;
        QTest::newRow("exponent without digits") << "1e" << 1.0 << false << false;
        QTest::newRow("hex") << "&hff" << 255.0 << false << true;
        QTest::newRow("hex 16-bit pattern") << "&HFFFF" << -1.0 << false << true;
        QTest::newRow("octal") << "&O17" << 15.0 << false << true;
        QTest::newRow("prefix only") << "&H" << 0.0 << false << false;
        QTest::newRow("no number") << "abc" << 0.0 << false << false;
        QTest::newRow("overflow") << "1e400" << 0.0 << true << false;
    }

    void val()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QFETCH(bool, overflow);
        QFETCH(bool, whole);
        bool over = !overflow; // must be written either way
        const double v = num::Val(text, &over);
        QCOMPARE(v, expected);
        if (expected == 0.0)
            QVERIFY(!std::signbit(v)); // a negative zero would later be shown as "-0"
        QCOMPARE(over, overflow);
        QCOMPARE(num::IsWholeNumberText(text), whole);
    }

    void format_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("single"); // through FormatSingle

        const QString time = QStringLiteral("#########.0");
        const QString temp = QStringLiteral("#####0");
        QTest::newRow("time below one second") << 0.4 << time << ".4" << false;
        QTest::newRow("time") << 12.3 << time << "12.3" << false;
        QTest::newRow("negative time below one") << -0.4 << time << "-.4" << false;
        QTest::newRow("carry into integer") << 99.95 << time << "100.0" << false;
        QTest::newRow("temperature up") << 861.8 << temp << "862" << false;
        QTest::newRow("half away from zero") << -12.5 << temp << "-13" << false;
        QTest::newRow("no minus zero") << -0.4 << temp << "0" << false;
        QTest::newRow("binary just below half") << 12.35 << "#0.0"
                                                << "12.4" << false;
        QTest::newRow("single held below half") << 0.45 << "#0.0"
                                                << "0.5" << true;
    }

    void format()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QFETCH(bool, single);
        QCOMPARE(single ? num::FormatSingle(float(value), pattern) : num::Format(value, pattern),
                 expected);
    }

    void textForms_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("cstr");
        QTest::addColumn<QString>("str");
        QTest::addColumn<QString>("printForm");

        QTest::newRow("whole") << 15.0 << "15"
                               << " 15"
                               << " 15 ";
        QTest::newRow("negative zero") << -0.0 << "0"
                                       << " 0"
                                       << " 0 ";
        QTest::newRow("below one") << -0.25 << "-0.25"
                                   << "-0.25"
                                   << "-0.25 ";
        QTest::newRow("binary noise") << (0.1 + 0.2) << "0.3"
                                      << " 0.3"
                                      << " 0.3 ";
        QTest::newRow("to exponent form") << 999999999999999.9 << "1E+15"
                                          << " 1E+15"
                                          << " 1E+15 ";
        QTest::newRow("small") << -1e-20 << "-1E-20"
                               << "-1E-20"
                               << "-1E-20 ";
    }

    void textForms()
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

    void toInteger_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QVariant>("integer"); // invalid: no Integer

        QTest::newRow("half down to even") << 2.5 << QVariant(2);
        QTest::newRow("half up to even") << 3.5 << QVariant(4);
        QTest::newRow("negative half") << -2.5 << QVariant(-2);
        QTest::newRow("top half") << 32767.5 << QVariant();
        QTest::newRow("bottom half") << -32768.5 << QVariant(-32768);
        QTest::newRow("NaN") << qQNaN() << QVariant();
    }

    void toInteger()
    {
        QFETCH(double, value);
        QFETCH(QVariant, integer);
        const std::optional<qint16> i = num::ToInteger(value);
        QCOMPARE(i.has_value(), integer.isValid());
        if (i)
            QCOMPARE(int(*i), integer.toInt());
    }

    void ignoresUserLocale()
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

        QCOMPARE(num::Val(QStringLiteral("12,5")), 12.0);
        QCOMPARE(num::Format(12.3, QStringLiteral("#########.0")), QStringLiteral("12.3"));
        QCOMPARE(num::CStr(12.5), QStringLiteral("12.5"));
        QCOMPARE(num::CStrSingle(861.8f), QStringLiteral("861.8"));
        QVERIFY(!num::IsWholeNumberText(QStringLiteral("2,5")));
    }
};

QTEST_GUILESS_MAIN(TestNumConv)
#include "test_numconv.moc"
