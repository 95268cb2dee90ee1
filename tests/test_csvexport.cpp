// The CSV export: header and units, rows as stored, quoting, and a file that reads back as the
// same table whatever the locale.

#include "csvexport.h"
#include "runlines.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace
{

using Table = QList<QStringList>;

// An RFC 4180 reader written from the RFC, not from the writer: fields split at commas,
// records at CR LF, a field in double quotes may hold commas, CR LF and doubled quotes.
// False when the text breaks the rules (a quote inside an unquoted field, an unclosed quote,
// a record not ended by CR LF).
bool readCsv(const QString& text, Table& table)
{
    table.clear();
    QStringList record;
    QString field;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == u'"') {
            for (++i;; ++i) {
                if (i >= text.size())
                    return false;
                if (text[i] == u'"') {
                    if (i + 1 < text.size() && text[i + 1] == u'"') {
                        field += u'"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i];
            }
        }
        while (i < text.size() && text[i] != u',' && text[i] != u'\r') {
            if (text[i] == u'"' || text[i] == u'\n')
                return false;
            field += text[i++];
        }
        if (i >= text.size())
            return false;
        record << std::exchange(field, QString());
        if (text[i] == u',') {
            ++i;
            continue;
        }
        if (text.mid(i, 2) != QLatin1String("\r\n"))
            return false;
        i += 2;
        table << std::exchange(record, QStringList());
    }
    return true;
}

void fill(RunLines& run, const QStringList& lines)
{
    for (const QString& line : lines)
        run.append(line);
}

} // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void quotesOnlyWhatNeedsIt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::newRow("number") << "852"
                                << "852";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("comma") << "1,5"
                               << "\"1,5\"";
        QTest::newRow("quote doubled") << "say \"hi\""
                                       << "\"say \"\"hi\"\"\"";
        QTest::newRow("CR LF kept inside") << "a\r\nb"
                                           << "\"a\r\nb\"";
        QTest::newRow("LF alone") << "a\nb"
                                  << "\"a\nb\"";
        QTest::newRow("blanks need no quotes") << " a b "
                                               << " a b ";
    }
    void quotesOnlyWhatNeedsIt()
    {
        QFETCH(QString, text);
        QTEST(CsvField(text), "field");
    }

    void writesHeaderAndRowsAsStored_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("degC");
        QTest::addColumn<QByteArray>("csv");
        QTest::newRow("degrees F")
            << QStringList{".5   850   845   790   65", "1.0   852   846   791   65"} << 4 << 0
            << QByteArray("time_s,ch1_degF,ch2_degF,ch3_degF,ch4_degF\r\n"
                          ".5,850,845,790,65\r\n1.0,852,846,791,65\r\n");
        QTest::newRow("degrees C") << QStringList{"12345.6   -18   0   1371   25"} << 4 << 1
                                   << QByteArray("time_s,ch1_degC,ch2_degC,ch3_degC,ch4_degC\r\n"
                                                 "12345.6,-18,0,1371,25\r\n");
        QTest::newRow("empty run: header alone")
            << QStringList{} << 4 << 0
            << QByteArray("time_s,ch1_degF,ch2_degF,ch3_degF,ch4_degF\r\n");
        QTest::newRow("short line padded to the header")
            << QStringList{"2.0   70   71"} << 4 << 0
            << QByteArray("time_s,ch1_degF,ch2_degF,ch3_degF,ch4_degF\r\n2.0,70,71,,\r\n");
        QTest::newRow("field with a comma quoted")
            << QStringList{"3.0   7,5"} << 1 << 1
            << QByteArray("time_s,ch1_degC\r\n3.0,\"7,5\"\r\n");
    }
    void writesHeaderAndRowsAsStored()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, channels);
        QFETCH(int, degC);
        RunLines run;
        fill(run, lines);
        QTEST(RunAsCsv(run, channels, static_cast<qint16>(degC)), "csv");
    }

    // Written and read back in each locale, the file gives every stored value under its
    // header, with the point as decimal separator.
    void readsBackAsTheSameTable_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("German: decimal comma") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("French") << QLocale(QLocale::French, QLocale::France);
    }
    void readsBackAsTheSameTable()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        RunLines run;
        fill(run, {".1   1699   1702   1650   210", "864000.0   -40   0   7   99999"});
        QTemporaryDir dir;
        const QString path = dir.filePath("run.csv");
        QCOMPARE(WriteCsvFile(path, run, 4, 0), 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        Table table;
        QVERIFY(readCsv(QString::fromUtf8(file.readAll()), table));
        const Table expected{{"time_s", "ch1_degF", "ch2_degF", "ch3_degF", "ch4_degF"},
                             {".1", "1699", "1702", "1650", "210"},
                             {"864000.0", "-40", "0", "7", "99999"}};
        QCOMPARE(table, expected);
        QCOMPARE(QLocale::c().toDouble(table[2][0]), 864000.0);
    }
};

QTEST_GUILESS_MAIN(TestCsvExport)
#include "test_csvexport.moc"
