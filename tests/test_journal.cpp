// The run journal: what the next start finds and loads, torn lines, failing disks and folders,
// how often it goes to the disk, and a writer killed in the middle of its run.

#include "numconv.h"
#include "recordingjournal.h"
#include "replay.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace
{

// The test program started with this argument and a folder writes a journal until killed.
constexpr char kWriterArgument[] = "--write-journal-until-killed";

const QString kCrLf = QStringLiteral("\r\n");

// Reading k of a made-up run, as the window formats it.
QString sampleLine(int k)
{
    return num::Format(k / 10.0, QStringLiteral("#########.0")) + QStringLiteral("   ") +
           QString::number(800 + k % 97) + QStringLiteral("   845   790   65");
}

QString sampleText(const QList<int>& readings)
{
    QString text;
    for (const int k : readings)
        text += sampleLine(k) + kCrLf;
    return text;
}

QList<int> firstReadings(int count)
{
    QList<int> readings;
    for (int k = 0; k < count; ++k)
        readings << k;
    return readings;
}

bool addToFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Append) && f.write(bytes) == bytes.size();
}

int writeJournalUntilKilled(const QString& folder)
{
    RecordingJournal journal;
    if (!journal.begin(folder, 1, 4, 0, QStringLiteral("Killed run")))
        return 2;
    // The count goes out before each line, so every number the parent read is a lower bound
    // of the lines written. The cap only matters when nobody kills the writer.
    for (int k = 0; k < 1000000; ++k) {
        std::printf("%d\n", k);
        std::fflush(stdout);
        if (!journal.append(sampleLine(k)))
            return 3;
    }
    return 0;
}

// The last whole number line of a writer's output; -1 when there is none yet.
int lastCount(const QByteArray& output)
{
    const qsizetype end = output.lastIndexOf('\n');
    if (end < 0)
        return -1;
    const qsizetype start = output.lastIndexOf('\n', end - 1) + 1;
    return output.mid(start, end - start).toInt();
}

enum class Fault { NotBegun, FolderIsFile, FolderRemoved, JournalRemoved, DiskFull };

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT

private slots:
    // A journal of `lines` readings, then `tail` as a crash may leave it, taken back.
    void loadsCompleteLines_data()
    {
        QTest::addColumn<QString>("comments");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QString>("loadedComments");
        const QString run1 = QStringLiteral("Run 1\r\n");
        QTest::newRow("one reading") << "Run 1" << 1 << QByteArray() << run1;
        QTest::newRow("500 readings") << "Run 1" << 500 << QByteArray() << run1;
        QTest::newRow("torn last line") << "Run 1" << 3 << QByteArray("3.3   850   8") << run1;
        QTest::newRow("torn between CR and LF")
            << "Run 1" << 3 << (sampleLine(3) + "\r").toLatin1() << run1;
        QTest::newRow("torn after the time") << "Run 1" << 3 << QByteArray(".3") << run1;
        QTest::newRow("comments with CR LF")
            << "Engine 2\r\nNew plugs" << 2 << QByteArray() << "Engine 2\r\nNew plugs\r\n";
        QTest::newRow("comments ending in CR LF") << run1 << 2 << QByteArray() << run1;
        QTest::newRow("empty comments") << "" << 2 << QByteArray() << QString(kCrLf);
    }
    void loadsCompleteLines()
    {
        QFETCH(QString, comments);
        QFETCH(int, lines);
        QFETCH(QByteArray, tail);
        QTemporaryDir dir;
        RecordingJournal journal;
        QVERIFY(journal.begin(dir.path(), 1, 4, 0, comments));
        for (int k = 0; k < lines; ++k)
            QVERIFY(journal.append(sampleLine(k)));
        journal.close();
        QVERIFY(addToFile(RecordingJournal::pathIn(dir.path()), tail));

        const std::optional<JournalInfo> info = RecordingJournal::find(dir.path());
        QVERIFY(info);
        QCOMPARE(info->path, dir.filePath(kJournalFileName));
        QCOMPARE(info->lines, lines);
        QCOMPARE(info->firstTime + 1, 1.0);
        QCOMPARE(info->lastTime + 1, (lines - 1) / 10.0 + 1);
        QVERIFY(info->lastModified.isValid());

        const std::optional<DataFileRead> run = RecordingJournal::load(dir.path());
        QVERIFY(run);
        QCOMPARE(run->samples, sampleText(firstReadings(lines)));
        QTEST(run->comments, "loadedComments");
        QVERIFY(run->unit == 1 && run->channels == 4);
        // What the replay onto the chart will show: every reading, the last one included.
        QCOMPARE(ReplayLines(run->samples).size(), lines);
        // It is a data file: Open reads it as one.
        const DataFileRead opened = ReadDataFile(info->path, kDataFileTypeLine);
        QCOMPARE(opened.outcome, DataFileRead::Outcome::Ok);
        QCOMPARE(opened.comments, run->comments);
    }

    // Nothing to take back: no file, or a crash before the first reading was complete.
    void findsNothing_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<bool>("begun");
        QTest::addColumn<QByteArray>("bytes"); // added after the header, or the whole file
        QTest::newRow("no folder") << false << false << QByteArray();
        QTest::newRow("empty folder") << true << false << QByteArray();
        QTest::newRow("no reading yet") << true << true << QByteArray();
        QTest::newRow("torn first reading") << true << true << QByteArray(".0   85");
        QTest::newRow("torn header")
            << true << false << QByteArray("ZRB-TC-QLMR*1.10\r\n 1 \r\n 4");
        QTest::newRow("another program's run")
            << true << false
            << WriteDataFileText("Run", sampleText({0, 1}), 1, 4, 0).replace("TC-QLMR", "AF-UEGO");
    }
    void findsNothing()
    {
        QFETCH(bool, folderExists);
        QFETCH(bool, begun);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("TCFiles"));
        if (folderExists)
            QVERIFY(QDir().mkpath(folder));
        if (begun) {
            RecordingJournal journal;
            QVERIFY(journal.begin(folder, 1, 4, 0, QStringLiteral("Run")));
        }
        if (!bytes.isEmpty())
            QVERIFY(addToFile(RecordingJournal::pathIn(folder), bytes));
        QVERIFY(!RecordingJournal::find(folder));
        QVERIFY(!RecordingJournal::load(folder));
    }

    void discardRemovesOnlyTheJournal()
    {
        QTemporaryDir dir;
        {
            RecordingJournal journal;
            QVERIFY(journal.begin(dir.path(), 0, 4, 0, QStringLiteral("Run")));
            QVERIFY(journal.append(sampleLine(0)));
        }
        QVERIFY(addToFile(dir.filePath(QStringLiteral("Run 7")), "saved run"));
        QVERIFY(RecordingJournal::find(dir.path()));
        QVERIFY(RecordingJournal::discard(dir.path()));
        QVERIFY(!RecordingJournal::find(dir.path()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Run 7")});
        QVERIFY(RecordingJournal::discard(dir.path())); // none left is what was asked for
        QVERIFY(RecordingJournal::discard(dir.filePath(QStringLiteral("absent"))));
    }

    // Readings 0 and 1 go in, the fault hits reading 2, reading 3 is appended after it.
    void writeFailures_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("resumes");
        QTest::addColumn<QList<int>>("kept");
        QTest::newRow("not begun") << Fault::NotBegun << false << QList<int>{};
        QTest::newRow("folder is a file") << Fault::FolderIsFile << false << QList<int>{};
        QTest::newRow("folder removed") << Fault::FolderRemoved << true << QList<int>{3};
        QTest::newRow("journal removed") << Fault::JournalRemoved << true << QList<int>{3};
        QTest::newRow("disk full, then room again")
            << Fault::DiskFull << true << QList<int>{0, 1, 3};
    }
    void writeFailures()
    {
        QFETCH(Fault, fault);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("TCFiles"));
        const QString path = RecordingJournal::pathIn(folder);
        if (fault == Fault::FolderIsFile)
            QVERIFY(addToFile(folder, "not a folder")); // root may write anywhere else
        RecordingJournal journal;
        QString error;
        const bool begun = fault != Fault::NotBegun &&
                           journal.begin(folder, 1, 4, 0, QStringLiteral("Run"), &error);
        QCOMPARE(begun, fault != Fault::NotBegun && fault != Fault::FolderIsFile);
        QCOMPARE(error.isEmpty(), fault != Fault::FolderIsFile);
        for (int k = 0; k < 2; ++k)
            QCOMPARE(journal.append(sampleLine(k)), begun);

        bool appended = false;
        switch (fault) {
        case Fault::FolderRemoved:
            QVERIFY(QDir(folder).removeRecursively());
            appended = journal.append(sampleLine(2));
            break;
        case Fault::JournalRemoved:
            QVERIFY(QFile::remove(path));
            appended = journal.append(sampleLine(2));
            break;
        case Fault::DiskFull: {
#ifdef Q_OS_UNIX
            // Room for part of the line only, as on a disk that fills up in the middle of it.
            rlimit saved{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
            const qint64 sizeBefore = QFileInfo(path).size();
            const rlimit small{rlim_t(sizeBefore + 10), saved.rlim_max};
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            appended = journal.append(sampleLine(2));
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
            QCOMPARE(QFileInfo(path).size(), sizeBefore); // the torn part is cut off again
#else
            QSKIP("needs a file-size limit (setrlimit)");
#endif
            break;
        }
        default:
            appended = journal.append(sampleLine(2));
        }
        QVERIFY(!appended);
        QVERIFY(!journal.lastError().isEmpty());

        QTEST(journal.append(sampleLine(3)), "resumes");
        journal.close();
        QFETCH(QList<int>, kept);
        const std::optional<DataFileRead> run = RecordingJournal::load(folder);
        QCOMPARE(run ? run->samples : QString(), sampleText(kept));
    }

    // A clock stepped by `steps` milliseconds before each append; the syncs that makes,
    // the one of begin() included.
    void syncsOncePerSecond_data()
    {
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<int>("syncs");
        QTest::newRow("10 a second for 3 s") << QList<int>(30, 100) << 4;
        QTest::newRow("a burst") << QList<int>(50, 10) << 1;
        QTest::newRow("just short of a second") << QList<int>{999} << 1;
        QTest::newRow("a second exactly") << QList<int>{999, 1} << 2;
        QTest::newRow("one a minute") << QList<int>(3, 60000) << 4;
    }
    void syncsOncePerSecond()
    {
        QFETCH(QList<int>, steps);
        QTemporaryDir dir;
        qint64 now = 5000;
        RecordingJournal journal([&now] { return now; });
        QVERIFY(journal.begin(dir.path(), 1, 4, 0, QString()));
        for (const int step : steps) {
            now += step;
            QVERIFY(journal.append(sampleLine(0)));
        }
        QTEST(journal.syncCount(), "syncs");
    }

    void survivesKilledWriter()
    {
#ifdef Q_OS_UNIX
        QTemporaryDir dir;
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(),
                     {QString::fromLatin1(kWriterArgument), dir.path()});
        QVERIFY2(writer.waitForStarted(), qPrintable(writer.errorString()));
        QByteArray output;
        while (lastCount(output) < 200) {
            QVERIFY2(writer.waitForReadyRead(30000), "the writer stopped reporting");
            output += writer.readAllStandardOutput();
        }
        writer.kill(); // SIGKILL: nothing of the writer runs any more
        QVERIFY(writer.waitForFinished(30000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        output += writer.readAllStandardOutput();
        const int announced = lastCount(output); // lines 0 .. announced-1 were appended

        const std::optional<JournalInfo> info = RecordingJournal::find(dir.path());
        QVERIFY(info);
        QVERIFY2(
            info->lines >= announced && info->lines <= announced + 1,
            qPrintable(QStringLiteral("%1 lines, %2 announced").arg(info->lines).arg(announced)));
        const std::optional<DataFileRead> run = RecordingJournal::load(dir.path());
        QVERIFY(run);
        QCOMPARE(run->samples, sampleText(firstReadings(info->lines)));
        QCOMPARE(run->comments, QStringLiteral("Killed run\r\n"));
#else
        QSKIP("killing a process is tested on Unix");
#endif
    }
};

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], kWriterArgument) == 0)
        return writeJournalUntilKilled(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    TestJournal test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_journal.moc"
