// Data files: layout, reading and partial reads, safe saving, names, export, replay lines.

#include "datafile.h"
#include "export.h"
#include "filecommands.h"
#include "replay.h"
#include "scriptedprompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#ifdef Q_OS_UNIX
#include <csignal>
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
    void writesLayout()
    {
        QCOMPARE(WriteDataFileText("Run 1", kRun, 0, 4, 0),
                 head() + "Run 1\r\n-9999\r\n" + kRun.toLatin1() + "\r\n-9999\r\n");
        QCOMPARE(WriteDataFileText("", "", 1, 4, 0), head(" 1 ") + "\r\n-9999\r\n\r\n-9999\r\n");
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("channels");     // -1: not read
        QTest::addColumn<QString>("comments"); // null: comment section not begun
        QTest::addColumn<QString>("samples");  // null: sample section not begun
        const QByteArray run = head() + "Run 1\r\n-9999\r\n" + kRun.toLatin1();
        const QString none;
        const Outcome ok = Outcome::Ok, err = Outcome::Error;
        QTest::newRow("saved") << run + "\r\n-9999\r\n"
                               << ok << 0 << 4 << "Run 1\r\n"
                               << kRun + "\r\n";
        QTest::newRow("no samples, empty comments") << head() + "\r\n-9999\r\n\r\n-9999\r\n"
                                                    << ok << 0 << 4 << "\r\n"
                                                    << "\r\n";
        QTest::newRow("comment line -9999 ends comments early")
            << head() + "a\r\n-9999\r\nb\r\n-9999\r\n1.0   5\r\n\r\n-9999\r\n"
            << ok << 0 << 4 << "a\r\n"
            << "b\r\n";
        QTest::newRow("no final -9999") << run << ok << 0 << 4 << "Run 1\r\n" << kRun.chopped(2);
        QTest::newRow("unit and channels without blanks, LF line ends")
            << QByteArray(head("1", "4") + "c\r\n-9999\r\n\r\n-9999\r\n").replace("\r\n", "\n")
            << ok << 0 << 4 << "c\r\n"
            << "\r\n";
        QTest::newRow("quoted type line, a comma splits a fixed line")
            << "  \"ZRB-TC-QLMR*1.10\" " + head().mid(16).chopped(2) + ",x\r\n-9999\r\n\r\n-9999\n"
            << ok << 0 << 4 << "x\r\n"
            << "\r\n";
        QTest::newRow("other program's file") << QByteArray(run).replace("TC-QLMR", "AF-UEGO")
                                              << Outcome::WrongType << 0 << -1 << none << none;
        QTest::newRow("empty file") << QByteArray() << err << 62 << -1 << none << none;
        QTest::newRow("ends after line 3") << head().left(26) << err << 62 << 4 << none << none;
        QTest::newRow("no comments terminator") << head() + "Run 1\r\n.5   850\r\n"
                                                << err << 62 << 4 << "Run 1\r\n.5   850"
                                                << "";
        QTest::newRow("not numeric") << head(" 0 ", "4x") << err << 13 << -1 << none << none;
        QTest::newRow("unit beyond 16 bits") << head(" 40000 ") << err << 6 << -1 << none << none;
    }
    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, channels);
        QFETCH(QString, comments);
        QFETCH(QString, samples);
        const QString path = dir_.filePath(QStringLiteral("run"));
        QVERIFY(putFile(path, bytes));
        const DataFileRead r = ReadDataFile(path, kDataFileTypeLine);
        QTEST(r.outcome, "outcome");
        QTEST(r.errorNumber, "error");
        QCOMPARE(r.channelsRead ? r.channels : -1, channels);
        QCOMPARE(r.commentsStarted, !comments.isNull());
        QCOMPARE(r.comments, comments); // a null expectation also matches empty text
        QCOMPARE(r.samplesStarted, !samples.isNull());
        QCOMPARE(r.samples, samples);
    }

    void savesOverLongerFileAndExports()
    {
        const QString path = dir_.filePath(QStringLiteral("saved"));
        QVERIFY(putFile(path, QByteArray(4000, 'x')));
        const QString comments = QStringLiteral("Run 1 at 25\u00b0C");
        QCOMPARE(WriteDataFile(path, WriteDataFileText(comments, kRun, 1, 4, 0)), 0);
        const DataFileRead r = ReadDataFile(path, kDataFileTypeLine);
        QCOMPARE(r.outcome, Outcome::Ok);
        QCOMPARE(r.unit, qint16(1));
        QCOMPARE(r.comments, comments + "\r\n");
        QCOMPARE(r.samples, kRun + "\r\n");
        QCOMPARE(ReadDataFile(dir_.filePath("absent"), kDataFileTypeLine).errorNumber, 53);
        QCOMPARE(WriteExportFile(path, {".5   850", "1.0   852"}), 0);
        QCOMPARE(fileBytes(path), QByteArray(".5   850\r\n1.0   852\r\n"));
        QCOMPARE(WriteExportFile(path, {}), 0);
        QCOMPARE(fileBytes(path), QByteArray());
    }

    void writeErrors_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<int>("error");
        QTest::newRow("folder missing") << "nowhere/run" << 76;
        QTest::newRow("target is a folder") << "folder" << 75;
        QTest::newRow("no file name") << "folder/" << 52;
    }
    void writeErrors()
    {
        QFETCH(QString, relativePath);
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("folder")));
        QTEST(WriteDataFile(dir_.filePath(relativePath), "bytes"), "error");
    }

    void failedSaveKeepsOldFile()
    {
#ifdef Q_OS_UNIX
        // A file-size limit cuts the write short, as a full disk would.
        const QString path = dir_.filePath(QStringLiteral("good"));
        const QByteArray old = WriteDataFileText("old", kRun, 0, 4, 0);
        QVERIFY(putFile(path, old));
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const rlimit small{1024, saved.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN); // the write fails with an error instead
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const int error = WriteDataFile(path, QByteArray(64 * 1024, 'n'));
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(error, 61);
        QCOMPARE(fileBytes(path), old);
#else
        QSKIP("needs a per-process file-size limit");
#endif
    }

    void fileName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("below, other case") << "/p/tcfiles/Run 7"
                                           << "Run 7";
        QTest::newRow("sub-folder kept") << "/p/TCFiles/day1/Run 7"
                                         << "day1/Run 7";
        QTest::newRow("outside") << "/home/me/Run 7"
                                 << "Run 7";
        QTest::newRow("folder text inside another name") << "/p/TCFiles2/Run 7"
                                                         << "Run 7";
    }
    void fileName()
    {
        QFETCH(QString, path);
        QTEST(QDir::fromNativeSeparators(DataFileName(path, "/p/TCFiles")), "name");
    }

    void messagesAndNames()
    {
        QCOMPARE(SaveAFFileErrorText(75, 0), QStringLiteral("SaveAFFileEr:  75   0"));
        QVERIFY(UnitSwitchMessage(1).startsWith("Your program is set to using Deg F but this "
                                                "file was saved using Deg C."));
        QVERIFY(UnitSwitchMessage(2).endsWith("temperature units of Deg F."));
        const QString forty = QStringLiteral("0123456789").repeated(4);
        ScriptedPrompts prompts;
        QCOMPARE(ShortenToFortyCharacters(prompts, "/d/TC Files/" + forty), "/d/TC Files/" + forty);
        QCOMPARE(ShortenToFortyCharacters(prompts, "/d/TC Files/" + forty + "1.run"),
                 "/d/TC Files/" + forty);
        QCOMPARE(prompts.messageTexts(),
                 QStringList{"File Name shortened to first 40 characters:\r\r    " + forty});
    }

    void replayLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        const QString a = ".5   850   845   790   65", b = "1.0   852   846   791   65";
        QTest::newRow("3 lines") << a + "\r\n" + b + "\r\n" + a + "\r\n" << QStringList{a, b, a};
        QTest::newRow("single spaces end the run") << a + "\r\n1.0 852 846\r\n" + b + "\r\n"
                                                   << QStringList{a};
        QTest::newRow("final part without CR LF") << a + "\r\n" + b << QStringList{a};
        QTest::newRow("empty line before the terminator") << a + "\r\n\r\n" << QStringList{a};
        QTest::newRow("empty text") << QString() << QStringList{};
    }
    void replayLines()
    {
        QFETCH(QString, text);
        QTEST(ReplayLines(text), "lines");
    }

    void replayLineTime()
    {
        QCOMPARE(ReplayLineTime(".5   850   845"), 0.5);
        QCOMPARE(ReplayLineTime("7.26   450.6   1"), 7.26);
        QCOMPARE(ReplayLineTime("12 3  850   845"), 123.0); // only the text before the gap
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "test_datafile.moc"
