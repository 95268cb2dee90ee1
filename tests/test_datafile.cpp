// Data files: layout, reading and partial reads, safe saving, names, export.

#include "configfile.h"
#include "datafile.h"
#include "export.h"
#include "filecommands.h"
#include "scriptedprompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using Outcome = DataFileRead::Outcome;

const QString kRun = QStringLiteral(".5   850   845   790   65\r\n1.0   852   846   791   65\r\n");

QByteArray head(const QByteArray& unit = " 0 ", const QByteArray& channels = " 4 ")
{
    return "ZRB-TC-QLMR*1.10\r\n" + unit + "\r\n" + channels + "\r\n0\r\n" +
           QByteArray("A/F1\r\n").repeated(4);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "<unreadable>";
}

bool putFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

class TestDataFile : public QObject
{
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    // error -1: another program's file; channels -1: not read; null comments/samples: not begun.
    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("comments");
        QTest::addColumn<QString>("samples");
        const QByteArray run = head() + "Run 1\r\n-9999\r\n" + kRun.toLatin1();
        const QByteArray end = "\r\n-9999\r\n", empty = end + end;
        const QString none, crlf = "\r\n", run1 = "Run 1\r\n";
        QTest::newRow("saved") << run + end << 0 << 4 << run1 << kRun + crlf;
        QTest::newRow("-9999 ends comments") << head() + "a" + end + "b" + end + "1.0   5" + empty
                                             << 0 << 4 << "a" + crlf << "b" + crlf;
        QTest::newRow("no blanks, LF")
            << QByteArray(head("1", "4") + empty).replace("\r\n", "\n") << 0 << 4 << crlf << crlf;
        QTest::newRow("quoted type, comma")
            << "  \"ZRB-TC-QLMR*1.10\" " + head().mid(16).chopped(2) + ",x\r\n-9999\r\n\r\n-9999\n"
            << 0 << 4 << "x" + crlf << crlf;
        QTest::newRow("other type")
            << QByteArray(run).replace("TC-QLMR", "AF-UEGO") << -1 << -1 << none << none;
        QTest::newRow("ends after line 3") << head().left(26) << 62 << 4 << none << none;
        QTest::newRow("no terminator") << head() + "Run 1\r\n.5   850\r\n"
                                       << 62 << 4 << run1 + ".5   850\r\n"
                                       << QString("");
        // Whole lines keep their break, also without the final "-9999"; a cut last line has none.
        QTest::newRow("no final -9999") << run << 0 << 4 << run1 << kRun;
        QTest::newRow("last line cut short")
            << run + "1.5   85" << 0 << 4 << run1 << kRun + "1.5   85";
        QTest::newRow("-9999 without line end")
            << run + "\r\n-9999" << 0 << 4 << run1 << kRun + crlf;
        QTest::newRow("not numeric") << head(" 0 ", "4x") << 13 << -1 << none << none;
        QTest::newRow("unit > 16 bits") << head(" 40000 ") << 6 << -1 << none << none;
    }
    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, error);
        QFETCH(QString, comments);
        QFETCH(QString, samples);
        const QString path = dir_.filePath(QStringLiteral("run"));
        QVERIFY(putFile(path, bytes));
        const DataFileRead r = ReadDataFile(path, kDataFileTypeLine);
        QCOMPARE(r.outcome, error < 0 ? Outcome::WrongType : error ? Outcome::Error : Outcome::Ok);
        QCOMPARE(r.errorNumber, qMax(error, 0));
        QTEST(r.channelsRead ? r.channels : -1, "channels");
        QCOMPARE(r.commentsStarted, !comments.isNull());
        QCOMPARE(r.comments, comments); // a null expectation also matches empty text
        QCOMPARE(r.samplesStarted, !samples.isNull());
        QCOMPARE(r.samples, samples);
    }

    void writesAndSaves()
    {
        QCOMPARE(WriteDataFileText("Run 1", kRun, 0, 4, 0),
                 head() + "Run 1\r\n-9999\r\n" + kRun.toLatin1() + "\r\n-9999\r\n");
        const QByteArray bytes = WriteDataFileText("25\u00b0", "", 1, 4, 0);
        QCOMPARE(bytes, head(" 1 ") + "25\xb0\r\n-9999\r\n\r\n-9999\r\n");
        const QString path = dir_.filePath(QStringLiteral("saved"));
        QVERIFY(putFile(path, QByteArray(4000, 'x'))); // a longer file must leave no tail
        QCOMPARE(WriteDataFile(path, bytes), 0);
        QCOMPARE(fileBytes(path), bytes);
        const DataFileRead r = ReadDataFile(path, kDataFileTypeLine);
        QVERIFY(r.unit == 1 && r.comments == QStringLiteral("25\u00b0\r\n")); // Latin-1
        QCOMPARE(ReadDataFile(dir_.filePath("absent"), kDataFileTypeLine).errorNumber, 53);
        QCOMPARE(WriteExportFile(path, QStringLiteral(".5   850\r\n1.0   852\r\n")), 0);
        QCOMPARE(fileBytes(path), QByteArray(".5   850\r\n1.0   852\r\n"));
        QCOMPARE(WriteDataFile(dir_.filePath("nowhere/run"), bytes), 76);
    }

    // A full disk (a file-size limit) shows in small files only when the buffer is flushed.
    void fullDiskKeepsOldFile_data()
    {
        QTest::addColumn<bool>("settings");
        QTest::addColumn<int>("size"); // of the data file, or of the settings' user range text
        QTest::addColumn<int>("limit");
        QTest::newRow("100 bytes, 64-byte limit") << false << 100 << 64;
        QTest::newRow("1 MB, 1 KB limit") << false << 1024 * 1024 << 1024;
        QTest::newRow("settings, 32-byte limit") << true << 4 << 32;
    }
    void fullDiskKeepsOldFile()
    {
#ifdef Q_OS_UNIX
        QFETCH(bool, settings);
        QFETCH(int, size);
        QFETCH(int, limit);
        QTemporaryDir dir;
        const QString name = settings ? kConfigFileName : QStringLiteral("run");
        const QString path = dir.filePath(name);
        const QByteArray old = QByteArray("old run\r\n").repeated(30);
        QVERIFY(putFile(path, old));
        StoredSettings stored;
        stored.userGraphMax = QString(size, QLatin1Char('9'));

        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small{rlim_t(limit), saved.rlim_max};
        // Without the signal the kernel ends the process; ignored, the write fails with EFBIG.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        const int result = settings ? SaveSettingsFile(stored, dir.path())
                                    : WriteDataFile(path, QByteArray(size, 'n'));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(result, 61);
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{name}); // no temporary file left behind
#else
        QSKIP("needs a file-size limit (setrlimit)");
#endif
    }

    // The number stays as users and old notes know it; the line under it says why.
    void errorTextsGiveTheReason_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason"); // a part of the second line
        QTest::newRow("disk full") << 61 << "disk is full";
        QTest::newRow("text for a number") << 13 << "Not a data file";
        QTest::newRow("cut short") << 62 << "ends too early";
        QTest::newRow("no folder") << 76 << "folder does not exist";
    }
    void errorTextsGiveTheReason()
    {
        QFETCH(int, error);
        QFETCH(QString, reason);
        const QStringList lines = DataFileErrorText(error, 0).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("SaveAFFileEr:  %1   0").arg(error));
        QVERIFY2(lines[1].contains(reason), qPrintable(lines[1]));
    }

    void namesAndMessages()
    {
        const QString folder = QStringLiteral("/p/TCFiles");
        QCOMPARE(DataFileName("/p/tcfiles/Run 7", folder), QStringLiteral("Run 7"));
        QCOMPARE(QDir::fromNativeSeparators(DataFileName("/p/TCFiles/d/Run 7", folder)), "d/Run 7");
        QCOMPARE(DataFileName("/p/TCFiles2/Run 7", folder), QStringLiteral("Run 7"));
        const QString digits = QStringLiteral("0123456789").repeated(4);
        const QString forty = "/d/TC Files/" + digits;
        ScriptedPrompts prompts;
        QCOMPARE(ShortenToFortyCharacters(prompts, forty), forty);
        QCOMPARE(ShortenToFortyCharacters(prompts, forty + "1.run"), forty);
        QCOMPARE(prompts.messageTexts().join('|'),
                 "File Name shortened to first 40 characters:\r\r    " + digits);
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "test_datafile.moc"
