#include "numconv.h"

#include <QtTest>
#include <clocale>
#include <string>

class TestNumConv : public QObject
{
    Q_OBJECT

private slots:
    // whole: IsWholeNumberText (nothing left over); integer: ToInteger of the value, if any.
    void val_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::addColumn<bool>("overflow");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<QVariant>("integer");
        const QVariant none;
        QTest::newRow("blanks, letters") << "  12.5abc" << 12.5 << false << false << QVariant(12);
        QTest::newRow("half up to even") << "3.5" << 3.5 << false << true << QVariant(4);
        QTest::newRow("negative half") << "-2.5" << -2.5 << false << true << QVariant(-2);
        QTest::newRow("top half") << "32767.5" << 32767.5 << false << true << none;
        QTest::newRow("bottom half") << "-32768.5" << -32768.5 << false << true << QVariant(-32768);
        QTest::newRow("blanks inside") << "1 2 3" << 123.0 << false << true << QVariant(123);
        QTest::newRow("no leading digit") << "-.25" << -0.25 << false << true << QVariant(0);
        QTest::newRow("negative zero") << "-0.0" << 0.0 << false << true << QVariant(0);
        QTest::newRow("signed exponent") << "1E+2" << 100.0 << false << true << QVariant(100);
        QTest::newRow("exponent, no digits") << "1e" << 1.0 << false << false << QVariant(1);
        QTest::newRow("hex 16-bit pattern") << "&hFFFF" << -1.0 << false << true << QVariant(-1);
        QTest::newRow("prefix only") << "&H" << 0.0 << false << false << QVariant(0);
        QTest::newRow("overflow") << "1e400" << 0.0 << true << false << QVariant(0);
    }
    void val()
    {
        QFETCH(QString, text);
        QFETCH(bool, overflow);
        bool over = !overflow; // must be written either way
        const double v = num::Val(text, &over);
        QTEST(v, "expected");
        QVERIFY(v != 0.0 || !std::signbit(v)); // a negative zero would later be shown as "-0"
        QCOMPARE(over, overflow);
        QTEST(num::IsWholeNumberText(text), "whole");
        const std::optional<qint16> i = num::ToInteger(v);
        QTEST(i ? QVariant(int(*i)) : QVariant(), "integer");
    }
    void toIntegerOfNaN() { QVERIFY(!num::ToInteger(qQNaN())); }

    // Format of a double and FormatSingle of the same value held as a float must agree.
    void format_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        const QString time = QStringLiteral("#########.0"), temp = QStringLiteral("#####0");
        QTest::newRow("negative below one") << -0.4 << time << "-.4";
        QTest::newRow("carry into integer") << 99.95 << time << "100.0";
        QTest::newRow("half away from zero") << -12.5 << temp << "-13";
        QTest::newRow("no minus zero") << -0.4 << temp << "0";
        QTest::newRow("binary just below half") << 12.35 << QString("#0.0") << "12.4";
        QTest::newRow("float just below half") << 0.45 << QString("#0.0") << "0.5";
    }
    void format()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QTEST(num::Format(value, pattern), "expected");
        QTEST(num::FormatSingle(float(value), pattern), "expected");
    }

    // CStr, Str and PrintForm of the value, joined by '|'.
    void textForms_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("forms");
        QTest::newRow("whole") << 15.0 << "15| 15| 15 ";
        QTest::newRow("negative zero") << -0.0 << "0| 0| 0 ";
        QTest::newRow("below one") << -0.25 << "-0.25|-0.25|-0.25 ";
        QTest::newRow("binary noise") << (0.1 + 0.2) << "0.3| 0.3| 0.3 ";
        QTest::newRow("to exponent form") << 999999999999999.9 << "1E+15| 1E+15| 1E+15 ";
        QTest::newRow("small") << -1e-20 << "-1E-20|-1E-20|-1E-20 ";
    }
    void textForms()
    {
        QFETCH(double, value);
        const QString printForm = num::PrintForm(value);
        QTEST(num::CStr(value) + '|' + num::Str(value) + '|' + printForm, "forms");
        // What we write must read back as the same number (to the digits written).
        QCOMPARE(num::Val(printForm), value);
        QVERIFY(num::IsWholeNumberText(printForm));
    }

    void ignoresUserLocale()
    {
        const QLocale qtLocale;
        const std::string cLocale = std::setlocale(LC_NUMERIC, nullptr);
        const auto restore = qScopeGuard([&] { // also when a comparison fails
            QLocale::setDefault(qtLocale);
            std::setlocale(LC_NUMERIC, cLocale.c_str());
        });
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
