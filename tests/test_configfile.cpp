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

} // namespace

class TestConfigFile : public QObject
{
    Q_OBJECT
private slots:
    // A file read into the sample settings, and the settings it leaves, as written back.
    void shortFilesLeaveLaterSettings_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray sample = WriteConfigText(sampleSettings());
        const QByteArray seven = " 30 \r\n\r\n\r\n\r\n\r\n 2 \r\n 1 \r\n",
                         later = sample.mid(sample.indexOf("1200"));
        QTest::newRow("seven lines") << seven << seven + later;
        QTest::newRow("LF line ends") << QByteArray(seven).replace("\r\n", "\n") << seven + later;
        // Written on another system: the CR after each LF must not stick to the next field,
        // nor make an extra line out of the last line end.
        QTest::newRow("LF CR line ends") << QByteArray(sample).replace("\r\n", "\n\r") << sample;
        QTest::newRow("seven lines, LF CR")
            << QByteArray(seven).replace("\r\n", "\n\r") << seven + later;
        QTest::newRow("CR LF, empty lines")
            << sample.left(sample.indexOf("1200")) + "\r\n\r\n"
            << sample.left(sample.indexOf("1200")) + "\r\n\r\n" + later.mid(later.indexOf(" 1 "));
        QTest::newRow("empty file") << QByteArray() << sample;
        QTest::newRow("one line, no line end") << QByteArray(" 45") << " 45 " + sample.mid(4);
    }
    void shortFilesLeaveLaterSettings()
    {
        QFETCH(QByteArray, file);
        Module1 m = sampleSettings();
        ReadConfigText(file, m);
        QTEST(WriteConfigText(m), "expected");
    }

    // A number field read into a setting that had the value 7 before.
    void numberFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty line reads as 0") << "" << 0;
        QTest::newRow("half to even, down") << " 2.5 " << 2;
        QTest::newRow("half to even, up") << " 3.5 " << 4;
        QTest::newRow("comma ends the field") << "12,34" << 12;
        QTest::newRow("not a number") << "abc" << 7;
        QTest::newRow("trailing junk") << "12abc" << 7;
        QTest::newRow("beyond 16 bits") << "32768" << 7;
        QTest::newRow("below 16 bits") << "-32769" << 7;
    }
    void numberFields()
    {
        QFETCH(QString, line);
        Module1 m;
        m.LineThickness = 7;
        ReadConfigText("1\r\n\r\n\r\n\r\n\r\n" + line.toLatin1() + "\r\n 1 \r\n", m);
        QTEST(int(m.LineThickness), "expected");
        QVERIFY(m.StripChartTime == 1 && m.ScaleType == 1); // the other fields are still read
    }

    // Whatever the reserved lines 2 to 5 hold, quotes and commas included, they shift nothing.
    void textFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("leading blanks dropped") << "   950" << QString("950");
        QTest::newRow("comma ends the text") << "950,12" << QString("950");
        QTest::newRow("quotes removed") << "\"1,200\"" << QString("1,200");
        QTest::newRow("empty") << "" << QString("");
    }
    void textFields()
    {
        QFETCH(QString, line);
        Module1 m;
        m.UserGraphMax = QStringLiteral("old");
        ReadConfigText(
            "\r\n\"a,b\"\r\nx,y,z\r\n1,2\r\nfoo\r\n 1 \r\n\r\n" + line.toLatin1() + "\r\n", m);
        QTEST(m.UserGraphMax, "expected");
        QCOMPARE(m.LineThickness, qint16(1));
    }

    void layoutAndFile()
    {
        Module1 m = sampleSettings();
        QCOMPARE(WriteConfigText(m),
                 QByteArray(" 15 \r\n\r\n\r\n\r\n\r\n 2 \r\n 2 \r\n1200\r\n600\r\n"
                            " 1 \r\n 3 \r\n 7 \r\n 0 \r\n 16 \r\n"));
        m.StripChartTime = -5; // negative numbers keep their sign in the blank's place
        m.ComPort[0] = -32768;
        QCOMPARE(WriteConfigText(m),
                 QByteArray("-5 \r\n\r\n\r\n\r\n\r\n 2 \r\n 2 \r\n1200\r\n600\r\n"
                            " 1 \r\n-32768 \r\n 7 \r\n 0 \r\n 16 \r\n"));
        QTemporaryDir dir;
        Module1 read = sampleSettings();
        QCOMPARE(ConfigFile(0, read, dir.path()), 53);
        QCOMPARE(WriteConfigText(read), WriteConfigText(sampleSettings())); // nothing changed
        // A shorter file written over a longer one must not keep the old file's tail.
        m.UserGraphMax = QString(200, QLatin1Char('9'));
        QCOMPARE(ConfigFile(1, m, dir.path()), 0);
        m.UserGraphMax = QStringLiteral("1");
        QCOMPARE(ConfigFile(1, m, dir.path()), 0);
        QFile file(dir.filePath(kConfigFileName));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), WriteConfigText(m));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{kConfigFileName});
        read.ComPort[4] = 12; // never stored, so reading must not touch it
        QCOMPARE(ConfigFile(0, read, dir.path()), 0);
        QCOMPARE(WriteConfigText(read), WriteConfigText(m));
        QCOMPARE(read.ComPort[4], qint16(12));
        // A plain file where the folder should be: no account, root included, can write there.
        QVERIFY(ConfigFile(1, m, file.fileName()) != 0);
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "test_configfile.moc"
