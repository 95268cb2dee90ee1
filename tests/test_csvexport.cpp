// The CSV export: RFC 4180 fields, the header in the run's unit, every row as stored whatever the
// locale, and a write that fails reported as such.

#include "csvexport.h"
#include "runsample.h"

#include <vector>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace
{

struct Samples final : SampleSource {
    std::vector<RunSample> rows;
    qsizetype size() const override { return qsizetype(rows.size()); }
    const RunSample& sample(qsizetype row) const override { return rows[size_t(row)]; }
};

} // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT
private slots:
    void quotesOnlyWhatNeedsIt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << QStringLiteral("852") << "852";
        QTest::newRow("comma") << QStringLiteral("1,5") << "\"1,5\"";
        QTest::newRow("quote doubled") << QStringLiteral("say \"hi\"") << "\"say \"\"hi\"\"\"";
        QTest::newRow("CR alone") << QStringLiteral("a\rb") << "\"a\rb\"";
        QTest::newRow("LF alone") << QStringLiteral("a\nb") << "\"a\nb\"";
    }
    void quotesOnlyWhatNeedsIt()
    {
        QFETCH(QString, text);
        QTEST(CsvField(text), "field");
    }

    // Written in a locale whose decimal separator is the comma: the values keep their point. A
    // file that cannot be written is reported and not left behind.
    void writesEveryRowUnderTheRunsUnit_data()
    {
        QTest::addColumn<QString>("file"); // in a scratch folder
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("degC");
        QTest::addColumn<QByteArray>("csv");
        QTest::newRow("degrees F")
            << "run.csv" << QStringList{".5   850   845   790   65", "1.0   852   846   791   65"}
            << 0
            << QByteArray("time_s,ch1_degF,ch2_degF,ch3_degF,ch4_degF\r\n"
                          ".5,850,845,790,65\r\n1.0,852,846,791,65\r\n");
        QTest::newRow("degrees C") << "run.csv" << QStringList{"12345.6   -18   0   1371   25"} << 1
                                   << QByteArray("time_s,ch1_degC,ch2_degC,ch3_degC,ch4_degC\r\n"
                                                 "12345.6,-18,0,1371,25\r\n");
        QTest::newRow("channels without a reading are empty")
            << "run.csv" << QStringList{"2.0   70   71"} << 0
            << QByteArray("time_s,ch1_degF,ch2_degF,ch3_degF,ch4_degF\r\n2.0,70,71,,\r\n");
        QTest::newRow("a folder that does not exist: reported")
            << "gone/run.csv" << QStringList{"1.0   852"} << 0 << QByteArray();
    }
    void writesEveryRowUnderTheRunsUnit()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, lines);
        QFETCH(int, degC);
        QFETCH(QByteArray, csv);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Samples run;
        for (const QString& line : lines)
            run.rows.push_back(*ParseSampleLine(line));
        QTemporaryDir dir;
        const int error = WriteCsvFile(dir.filePath(file), run, 4, static_cast<qint16>(degC));
        QLocale::setDefault(QLocale::c());
        QCOMPARE(error != 0, csv.isEmpty());
        QFile written(dir.filePath(file));
        QCOMPARE(written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray(), csv);
    }
};

QTEST_GUILESS_MAIN(TestCsvExport)
#include "test_csvexport.moc"
