// The settings file: byte layout, reading rules, damaged files and failed writes.

#include "configfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

Module1 sampleSettings()
{
    Module1 m;
    m.StripChartTime = 15;
    m.LineThickness = 2;
    m.ScaleType = 2;
    m.UserGraphMax = QStringLiteral("1200");
    m.UserGraphMin = QStringLiteral("600");
    m.DegCFlag = 1;
    m.ComPort = {3, 7, 0, 16, 9};
    return m;
}

bool sameSettings(const Module1& a, const Module1& b)
{
    return a.StripChartTime == b.StripChartTime && a.LineThickness == b.LineThickness &&
           a.ScaleType == b.ScaleType && a.UserGraphMax == b.UserGraphMax &&
           a.UserGraphMin == b.UserGraphMin && a.DegCFlag == b.DegCFlag &&
           std::equal(a.ComPort.begin(), a.ComPort.begin() + 4, b.ComPort.begin());
}

} // namespace

class TestConfigFile : public QObject
{
    Q_OBJECT
private slots:
    void layoutIsByteExact_data()
    {
        QTest::addColumn<int>("stripChartTime");
        QTest::addColumn<int>("comPort");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("print form, text as held")
            << 15 << 3
            << QByteArray(" 15 \r\n\r\n\r\n\r\n\r\n 2 \r\n 2 \r\n1200\r\n600\r\n 1 \r\n"
                          " 3 \r\n 7 \r\n 0 \r\n 16 \r\n");
        QTest::newRow("negative numbers keep their sign")
            << -5 << -32768
            << QByteArray("-5 \r\n\r\n\r\n\r\n\r\n 2 \r\n 2 \r\n1200\r\n600\r\n 1 \r\n"
                          "-32768 \r\n 7 \r\n 0 \r\n 16 \r\n");
    }
    void layoutIsByteExact()
    {
        QFETCH(int, stripChartTime);
        QFETCH(int, comPort);
        QFETCH(QByteArray, expected);
        Module1 m = sampleSettings();
        m.StripChartTime = qint16(stripChartTime);
        m.ComPort[0] = qint16(comPort);
        QCOMPARE(WriteConfigText(m), expected);
        Module1 back;
        ReadConfigText(expected, back);
        QVERIFY(sameSettings(back, m));
    }

    void roundTripThroughTheFile()
    {
        QTemporaryDir dir;
        Module1 written = sampleSettings();
        QCOMPARE(ConfigFile(1, written, dir.path()), 0);
        Module1 read;
        read.ComPort[4] = 12; // never stored, so reading must not touch it
        QCOMPARE(ConfigFile(0, read, dir.path()), 0);
        QVERIFY(sameSettings(read, written));
        QCOMPARE(read.ComPort[4], qint16(12));
    }

    void shortFilesLeaveLaterSettings_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("stripChartTime");
        QTest::addColumn<int>("scaleType");
        QTest::addColumn<bool>("laterUntouched");
        QTest::newRow("seven lines")
            << QByteArray(" 30 \r\n\r\n\r\n\r\n\r\n 1 \r\n 1 \r\n") << 30 << 1 << true;
        QTest::newRow("empty file") << QByteArray() << 99 << 0 << true;
        QTest::newRow("one line, no line end") << QByteArray(" 45") << 45 << 0 << true;
        QTest::newRow("LF line ends") << QByteArray(" 30 \n\n\n\n\n 1 \n 1 \n") << 30 << 1 << true;
    }
    void shortFilesLeaveLaterSettings()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, stripChartTime);
        QFETCH(int, scaleType);
        Module1 m;
        m.StripChartTime = 99;
        m.UserGraphMax = QStringLiteral("keep");
        m.UserGraphMin = QStringLiteral("keep too");
        m.DegCFlag = 1;
        m.ComPort = {4, 5, 6, 7, 8};
        ReadConfigText(file, m);
        QCOMPARE(int(m.StripChartTime), stripChartTime);
        QCOMPARE(int(m.ScaleType), scaleType);
        QCOMPARE(m.UserGraphMax, QStringLiteral("keep"));
        QCOMPARE(m.UserGraphMin, QStringLiteral("keep too"));
        QCOMPARE(m.DegCFlag, qint16(1));
        QCOMPARE(m.ComPort[0], qint16(4));
        QCOMPARE(m.ComPort[3], qint16(7));
    }

    // A number field read into a setting that had the value 7 before.
    void numberFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("expected");
        QTest::newRow("print form") << " 15 " << 15;
        QTest::newRow("no blanks") << "15" << 15;
        QTest::newRow("empty line reads as 0") << "" << 0;
        QTest::newRow("half rounds to even, down") << " 2.5 " << 2;
        QTest::newRow("half rounds to even, up") << " 3.5 " << 4;
        QTest::newRow("negative") << "-3 " << -3;
        QTest::newRow("comma ends the field") << "12,34" << 12;
        QTest::newRow("text is not a number") << "abc" << 7;
        QTest::newRow("number with trailing junk") << "12abc" << 7;
        QTest::newRow("beyond 16 bits") << "99999" << 7;
        QTest::newRow("below 16 bits") << "-32769" << 7;
        QTest::newRow("huge exponent") << "1e400" << 7;
    }
    void numberFields()
    {
        QFETCH(QString, line);
        QFETCH(int, expected);
        Module1 m;
        m.LineThickness = 7;
        m.StripChartTime = 1;
        const QByteArray file = "1\r\n\r\n\r\n\r\n\r\n" + line.toLatin1() + "\r\n";
        ReadConfigText(file, m);
        QCOMPARE(int(m.LineThickness), expected);
        QCOMPARE(int(m.StripChartTime), 1); // the other fields are still read
    }

    void textFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "1200"
                               << "1200";
        QTest::newRow("leading blanks dropped") << "   950"
                                                << "950";
        QTest::newRow("comma ends the text") << "950,12"
                                             << "950";
        QTest::newRow("quotes removed") << "\"1,200\""
                                        << "1,200";
        QTest::newRow("empty") << ""
                               << "";
    }
    void textFields()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        Module1 m;
        m.UserGraphMax = QStringLiteral("old");
        const QByteArray file = "\r\n\r\n\r\n\r\n\r\n\r\n\r\n" + line.toLatin1() + "\r\n";
        ReadConfigText(file, m);
        QCOMPARE(m.UserGraphMax, expected);
    }

    void reservedLinesAreIgnoredWhateverTheyHold()
    {
        Module1 m;
        ReadConfigText(" 20 \r\n\"a,b\"\r\nx,y,z\r\n1,2\r\nfoo\r\n 1 \r\n", m);
        QCOMPARE(m.StripChartTime, qint16(20));
        QCOMPARE(m.LineThickness, qint16(1));
    }

    void missingFileLeavesSettings()
    {
        QTemporaryDir dir;
        Module1 m = sampleSettings();
        QCOMPARE(ConfigFile(0, m, dir.path()), 53);
        QVERIFY(sameSettings(m, sampleSettings()));
    }

    void unwritableFolderReportsAnError()
    {
        QTemporaryDir dir;
        // A plain file where the folder should be: no account, root included, can write there.
        const QString notAFolder = dir.filePath(QStringLiteral("file"));
        QFile f(notAFolder);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        Module1 m = sampleSettings();
        QVERIFY(ConfigFile(1, m, notAFolder) != 0);
    }

    // A shorter file written over a longer one must not keep the old file's tail.
    void rewriteReplacesTheWholeFile()
    {
        QTemporaryDir dir;
        Module1 m = sampleSettings();
        m.UserGraphMax = QString(200, QLatin1Char('9'));
        QCOMPARE(ConfigFile(1, m, dir.path()), 0);
        m.UserGraphMax = QStringLiteral("1");
        QCOMPARE(ConfigFile(1, m, dir.path()), 0);
        QFile file(dir.filePath(kConfigFileName));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), WriteConfigText(m));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{kConfigFileName});
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "test_configfile.moc"
