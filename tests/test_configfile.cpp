// The settings file: byte layout, reading rules, damaged files and the file itself.

#include "configfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

StoredSettings sampleSettings()
{
    StoredSettings m;
    m.chartSectionSeconds = 15;
    m.lineThickness = 2;
    m.scaleType = 2;
    m.userGraphMax = QStringLiteral("1200");
    m.userGraphMin = QStringLiteral("600");
    m.degreesCelsius = 1;
    m.comPorts = {3, 7, 0, 16, 9};
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
        const QByteArray sample = SettingsFileText(sampleSettings());
        const QByteArray seven = " 30 \r\n\r\n\r\n\r\n\r\n 2 \r\n 1 \r\n",
                         later = sample.mid(sample.indexOf("1200"));
        QTest::newRow("LF line ends, none after the last line")
            << QByteArray(seven).replace("\r\n", "\n").chopped(1) << seven + later;
        // Written on another system: the CR after each LF must not stick to the next field.
        QTest::newRow("LF CR line ends") << QByteArray(sample).replace("\r\n", "\n\r") << sample;
        // The final line end closes the last line, it does not start an empty tenth one.
        QTest::newRow("CR LF, empty lines")
            << sample.left(sample.indexOf("1200")) + "\r\n\r\n"
            << sample.left(sample.indexOf("1200")) + "\r\n\r\n" + later.mid(later.indexOf(" 1 "));
    }
    void shortFilesLeaveLaterSettings()
    {
        QFETCH(QByteArray, file);
        StoredSettings m = sampleSettings();
        ReadSettingsText(file, m);
        QTEST(SettingsFileText(m), "expected");
    }

    // The same line read as a number field (was 7) and as a text field (was "old"), after
    // reserved lines 2 to 5 whose quotes and commas shift nothing.
    void fields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "" << 0 << "";
        QTest::newRow("leading blanks") << "   950" << 950 << "950";
        QTest::newRow("half to even") << " 2.5 " << 2 << "2.5 ";
        QTest::newRow("comma ends the field") << "12,34" << 12 << "12";
        QTest::newRow("trailing junk") << "12abc" << 7 << "12abc";
        QTest::newRow("beyond 16 bits") << "32768" << 7 << "32768";
        QTest::newRow("quotes") << "\"1,200\"" << 7 << "1,200";
    }
    void fields()
    {
        QFETCH(QString, line);
        StoredSettings m;
        m.lineThickness = 7;
        m.userGraphMax = QStringLiteral("old");
        const QByteArray l = line.toLatin1();
        ReadSettingsText("1\r\n\"a,b\"\r\nx,y,z\r\n1,2\r\nfoo\r\n" + l + "\r\n 1 \r\n" + l + "\r\n",
                         m);
        QTEST(int(m.lineThickness), "number");
        QTEST(m.userGraphMax, "text");
        QVERIFY(m.chartSectionSeconds == 1 && m.scaleType == 1); // the other fields are still read
    }

    void layoutAndFile()
    {
        StoredSettings m = sampleSettings();
        QCOMPARE(SettingsFileText(m),
                 QByteArray(" 15 \r\n\r\n\r\n\r\n\r\n 2 \r\n 2 \r\n1200\r\n600\r\n"
                            " 1 \r\n 3 \r\n 7 \r\n 0 \r\n 16 \r\n"));
        m.chartSectionSeconds = -5; // negative numbers keep their sign in the blank's place
        QVERIFY(SettingsFileText(m).startsWith("-5 \r\n"));
        QTemporaryDir dir;
        StoredSettings read = sampleSettings();
        QCOMPARE(LoadSettingsFile(read, dir.path()), 53);
        QCOMPARE(SettingsFileText(read), SettingsFileText(sampleSettings())); // nothing changed
        QCOMPARE(SaveSettingsFile(m, dir.path()), 0);
        read.comPorts[4] = 12; // never stored, so reading must not touch it
        QCOMPARE(LoadSettingsFile(read, dir.path()), 0);
        QCOMPARE(SettingsFileText(read), SettingsFileText(m));
        QCOMPARE(read.comPorts[4], qint16(12));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{kConfigFileName});
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "test_configfile.moc"
