// The run journal: what the next start finds and loads, torn lines, failing disks and folders.

#include "numconv.h"
#include "recordingjournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace
{

enum class Fault { NotBegun, FolderIsFile, FolderRemoved, JournalRemoved, DiskFull };

QString sampleLine(int k)
{
    return num::Format(k / 10.0, QStringLiteral("#########.0")) + QStringLiteral("   ") +
           QString::number(800 + k % 97) + QStringLiteral("   845   790   65");
}

QString sampleText(int first, int last)
{
    QString text;
    for (int k = first; k <= last; ++k)
        text += sampleLine(k) + QStringLiteral("\r\n");
    return text;
}

bool addToFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Append) && f.write(bytes) == bytes.size();
}

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT

private slots:
    // `lines` readings (-1: none begun), `middle` and `tail` as a crash may leave them.
    void takesBackCompleteLines_data()
    {
        QTest::addColumn<QString>("comments");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QByteArray>("middle");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QString>("loadedComments");
        const QString run1 = QStringLiteral("Run 1\r\n"), twoLines = "Engine 2\r\nNew plugs\r\n";
        const QByteArray none;
        QTest::newRow("comments of two lines") << twoLines << 2 << none << none << twoLines;
        QTest::newRow("torn last line")
            << "Run 1" << 3 << none << QByteArray("3.3   850   8") << run1;
        QTest::newRow("torn between CR and LF")
            << "Run 1" << 3 << none << (sampleLine(3) + "\r").toLatin1() << run1;
        QTest::newRow("no journal") << "" << -1 << none << none << "";
        QTest::newRow("no reading yet") << "Run 1" << 0 << none << none << "";
        QTest::newRow("torn first reading") << "Run 1" << 0 << none << QByteArray(".0   85") << "";
        // Zeros, a short line, two lines run together, letters for a reading.
        QTest::newRow("damaged lines in the middle")
            << "Run 1" << 21
            << QByteArray(24, '\0') + "\r\n1.0   850   8\r\n"
                   "1.0   850   845   790   61.1   850   845   790   65\r\n"
                   "1.0   850   8x5   790   65\r\n"
            << none << run1;
        QTest::newRow("only damaged lines") << "Run 1" << 0 << QByteArray("\xff\r\n") << none << "";
    }
    void takesBackCompleteLines()
    {
        QFETCH(QString, comments);
        QFETCH(int, lines);
        QFETCH(QByteArray, middle);
        QFETCH(QByteArray, tail);
        QTemporaryDir dir;
        const QString path = RecordingJournal::pathIn(dir.path());
        if (lines >= 0) {
            RecordingJournal journal;
            QVERIFY(journal.begin(dir.path(), 1, 4, 0, comments));
            for (int k = 0; k < lines / 2; ++k)
                QVERIFY(journal.append(sampleLine(k)));
            journal.close();
            QVERIFY(addToFile(path, middle));
            QVERIFY(addToFile(path, sampleText(lines / 2, lines - 1).toLatin1() + tail));
        }
        const std::optional<JournalInfo> info = RecordingJournal::find(dir.path());
        const std::optional<DataFileRead> run = RecordingJournal::load(dir.path());
        QCOMPARE(info.has_value(), lines > 0);
        QCOMPARE(run.has_value(), lines > 0);
        if (lines <= 0)
            return;
        QCOMPARE(info->lines, lines);
        QCOMPARE(info->firstTime + 1, 1.0);
        QCOMPARE(info->lastTime + 1, (lines - 1) / 10.0 + 1);
        QVERIFY(info->lastModified.isValid());
        // Exactly the lines counted: the count offered is the count a recovered run shows.
        QCOMPARE(run->samples, sampleText(0, lines - 1));
        QTEST(run->comments, "loadedComments");
        QVERIFY(run->unit == 1 && run->channels == 4);
    }

    void discardRemovesOnlyTheJournal()
    {
        QTemporaryDir dir;
        RecordingJournal journal;
        QVERIFY(journal.begin(dir.path(), 0, 4, 0, QStringLiteral("Run")));
        journal.close();
        QVERIFY(addToFile(dir.filePath(QStringLiteral("Run 7")), "saved run"));
        QVERIFY(RecordingJournal::discard(dir.path()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Run 7"});
        QVERIFY(RecordingJournal::discard(dir.path())); // none left is what was asked for
        QVERIFY(RecordingJournal::discard(dir.filePath(QStringLiteral("absent"))));
    }

    // Readings 0 and 1 go in, the fault hits reading 2, reading 3 is appended after it.
    void writeFailures_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("resumes");
        QTest::addColumn<QString>("kept");
        QTest::newRow("not begun") << Fault::NotBegun << false << QString();
        QTest::newRow("folder is a file") << Fault::FolderIsFile << false << QString();
        QTest::newRow("folder removed") << Fault::FolderRemoved << true << sampleText(3, 3);
        QTest::newRow("journal removed") << Fault::JournalRemoved << true << sampleText(3, 3);
        QTest::newRow("disk full, then room again")
            << Fault::DiskFull << true << sampleText(0, 1) + sampleText(3, 3);
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
        if (fault == Fault::FolderRemoved)
            QVERIFY(QDir(folder).removeRecursively());
        if (fault == Fault::JournalRemoved)
            QVERIFY(QFile::remove(path));
        const qint64 sizeBefore = QFileInfo(path).size();
        if (fault == Fault::DiskFull) {
#ifdef Q_OS_UNIX
            // Room for part of a line; SIGXFSZ ignored, the write fails with EFBIG.
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            const rlimit small{rlim_t(sizeBefore + 10), saved.rlim_max};
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &small);
            QVERIFY(!journal.append(sampleLine(2)));
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
            QCOMPARE(QFileInfo(path).size(), sizeBefore); // the torn part is cut off again
#else
            QSKIP("needs a file-size limit (setrlimit)");
#endif
        } else {
            QVERIFY(!journal.append(sampleLine(2)));
        }
        QVERIFY(!journal.lastError().isEmpty());
        QTEST(journal.append(sampleLine(3)), "resumes");
        journal.close();
        const std::optional<DataFileRead> run = RecordingJournal::load(folder);
        QTEST(run ? run->samples : QString(), "kept");
    }

    void syncsOncePerSecond()
    {
        QTemporaryDir dir;
        qint64 now = 5000;
        RecordingJournal journal([&now] { return now; });
        QVERIFY(journal.begin(dir.path(), 1, 4, 0, QString()));
        // 999 ms, 1 ms, then 10 appends a second for 3 s: synced by begin(), at 1, 2, 3 and 4 s.
        for (const int step : QList<int>{999, 1} + QList<int>(30, 100)) {
            now += step;
            QVERIFY(journal.append(sampleLine(0)));
        }
        QCOMPARE(journal.syncCount(), 5);
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "test_journal.moc"
