// The run model without a window: a sample's one text form, opening, the journal, the cursor.

#include "runlistrows.h"
#include "runmodel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace
{

RunSample sampleAt(float time, float a, float b, float c, float d)
{
    return {time, {a, b, c, d}};
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray fileWithSamples(const QByteArray& samples)
{
    return "ZRB-TC-QLMR*1.10\r\n 0 \r\n 4 \r\n0\r\nA/F1\r\nA/F1\r\nA/F1\r\nA/F1\r\n"
           "Engine 7\r\n-9999\r\n" +
           samples;
}

} // namespace

class TestRunModel : public QObject
{
    Q_OBJECT

private slots:
    // What the list showed is what reopens; a damaged line is no sample.
    void lineRoundTrip_data()
    {
        QTest::addColumn<RunSample>("sample");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("line");
        QTest::newRow("four readings") << sampleAt(12.3f, 842.4f, 862.5f, -40.5f, 0.04f) << 4
                                       << "12.3   842   863   -41   0";
        QTest::newRow("first tenth") << sampleAt(0.5f, 1, 2, 3, 4) << 4 << ".5   1   2   3   4";
        QTest::newRow("failed probe") << sampleAt(3, 900, kNoReading, 880, 870) << 4
                                      << "3.0   900   -9999   880   870";
        QTest::newRow("two channels") << sampleAt(1, 10, 20, 30, 40) << 2 << "1.0   10   20";
        // No channels: a damaged line that must give no sample.
        for (const char* damaged : {"", "12.3", "-9999", "     ", "1.0   852   abc   791   65",
                                    "1.0   852   8x0   791   65"})
            QTest::addRow("damaged \"%s\"", damaged) << RunSample{} << 0 << damaged;
    }

    void lineRoundTrip()
    {
        QFETCH(RunSample, sample);
        QFETCH(int, channels);
        QFETCH(QString, line);
        if (channels == 0) {
            QVERIFY(!ParseSampleLine(line));
            return;
        }
        QCOMPARE(FormatSampleLine(sample, channels), line);
        const std::optional<RunSample> read = ParseSampleLine(line);
        QVERIFY(read);
        QCOMPARE(FormatSampleLine(*read, channels), line);
        QCOMPARE(HasReading(read->values[1]), HasReading(sample.values[1]));
    }

    void openTakesEveryCompleteLine_data()
    {
        QTest::addColumn<QByteArray>("samples");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("damaged");
        QTest::newRow("whole") << QByteArray("1.0   1   2   3   4\r\n2.0   5   6   7   8\r\n-9999\r\n")
                               << 2 << 0;
        QTest::newRow("last line without terminator")
            << QByteArray("1.0   1   2   3   4\r\n2.0   5   6   7   8\r\n") << 2 << 0;
        // Cut short in the middle of its write: "85" may have been "852".
        QTest::newRow("last line without line end")
            << QByteArray("1.0   1   2   3   4\r\n2.0   5   6   7   8\r\n3.0   852   85") << 2 << 1;
        QTest::newRow("damaged line in the middle")
            << QByteArray("1.0   1   2   3   4\r\n#?\r\n3.0   5   6   7   8\r\n-9999\r\n") << 2 << 1;
    }

    void openTakesEveryCompleteLine()
    {
        QFETCH(QByteArray, samples);
        QFETCH(int, count);
        QFETCH(int, damaged);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("run"));
        QVERIFY(writeFile(path, fileWithSamples(samples)));
        RunModel model(dir.path());
        const RunModel::OpenResult opened = model.open(path);
        QCOMPARE(model.size(), qsizetype(count));
        QCOMPARE(opened.damagedLines, damaged);
        QCOMPARE(model.sample(count - 1).values[3], 8.0f);
    }

    // A whole file becomes the run and its file, written back byte for byte (the empty line
    // before the final "-9999" included); one that fails among its readings is a new unsaved
    // run a Save cannot write over a file; one that fails before them leaves the run alone.
    void openedFileReplacesTheRunOnlyAsFarAsItWasRead_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("rows"); // -1: the run on screen stays
        QTest::addColumn<bool>("isTheFile");
        const QByteArray whole = fileWithSamples("1.0   1   2   3   4\r\n\r\n-9999\r\n");
        QTest::newRow("whole") << whole << 1 << true;
        QTest::newRow("ends where the readings begin") << fileWithSamples("") << 0 << false;
        QTest::newRow("ends in its first lines") << whole.left(30) << -1 << false;
    }
    void openedFileReplacesTheRunOnlyAsFarAsItWasRead()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, rows);
        QFETCH(bool, isTheFile);
        QTemporaryDir dir;
        RunModel model(dir.path());
        const QString saved = dir.filePath(QStringLiteral("saved")), opened = dir.filePath("run");
        model.startRecording({}, 0);
        for (int k = 0; k < 3; ++k)
            model.addSample(sampleAt(k, 7, 7, 7, 7));
        model.stopRecording();
        QCOMPARE(model.save(saved), 0);
        QVERIFY(writeFile(opened, file));
        model.open(opened);
        QCOMPARE(model.size(), qsizetype(rows < 0 ? 3 : rows));
        QCOMPARE(model.filePath(), rows < 0 ? saved : isTheFile ? opened : QString());
        QCOMPARE(model.isUnsaved(), rows >= 0 && !isTheFile);
        if (isTheFile)
            QCOMPARE(model.fileBytes(), file);
    }

    void journalGivesBackTheRecording()
    {
        QTemporaryDir dir;
        {
            RunModel killed(dir.path());
            killed.startRecording({0, 4, 2, QStringLiteral("Cell 3")}, 0);
            for (int k = 0; k < 21; ++k)
                killed.addSample(sampleAt(k / 10.0f, 700 + k, 701, 702, 703));
            // Destroyed while recording, as a killed program is: its journal stays.
        }
        RunModel next(dir.path());
        QCOMPARE(next.leftJournal().value_or(JournalInfo{}).lines, 21); // the count offered
        QVERIFY(next.recoverJournal());
        QCOMPARE(next.size(), qsizetype(21)); // is the count shown
        QCOMPARE(next.line(20), QStringLiteral("2.0   720   701   702   703"));
        QVERIFY(next.isUnsaved());
        QVERIFY(next.leftJournal()); // kept until the run is saved
        QCOMPARE(next.save(dir.filePath(QStringLiteral("kept"))), 0);
        QVERIFY(!next.leftJournal());
        // Readings after a save while recording are in the journal only.
        next.startRecording({}, 0);
        next.addSample(sampleAt(0.1f, 1, 2, 3, 4));
        QCOMPARE(next.save(dir.filePath(QStringLiteral("part"))), 0);
        QVERIFY(!next.isUnsaved() && next.leftJournal());
        next.addSample(sampleAt(0.2f, 5, 6, 7, 8));
        QVERIFY(next.isUnsaved());
        QCOMPARE(next.leftJournal()->lines, 2);
    }

    // Events come back from the file and from a journal at the place they had, the comments the
    // user wrote without them; older readers see them as comment lines.
    void eventsTravelWithTheRun_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("saved and opened") << "save";
        QTest::newRow("journal taken back") << "recover";
        QTest::newRow("journal kept as a file") << "keep";
    }
    void eventsTravelWithTheRun()
    {
        QFETCH(QString, way);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("run"));
        std::vector<RunEvent> events;
        std::vector<qsizetype> places;
        {
            RunModel recorded(dir.path());
            recorded.startRecording({0, 4, 0, QStringLiteral("Cell 3\r\n")}, 100);
            recorded.addReading(100.2f, {1, 2, 3, 4});
            recorded.addEvent(100.2f, QStringLiteral("logger disconnected")); // same tenth
            recorded.addEvent(103.0f, QStringLiteral("ALARM Ch 1 high: 932 \u00b0F above 900"));
            recorded.addReading(104.04f, {5, 6, 7, 8});
            recorded.addEvent(104.04f, QStringLiteral("logger reconnected"));
            recorded.addReading(104.1f, {9, 10, 11, 12});
            events = recorded.events();
            for (qsizetype e = 0; e < qsizetype(events.size()); ++e)
                places.push_back(recorded.eventPlace(e));
            if (way == "save") {
                recorded.stopRecording();
                QCOMPARE(recorded.save(file), 0);
            }
        }
        QCOMPARE(places, (std::vector<qsizetype>{1, 1, 2}));
        RunModel next(dir.path());
        if (way == "save")
            QCOMPARE(next.open(file).outcome, DataFileRead::Outcome::Ok);
        else if (way == "recover")
            QVERIFY(next.leftJournal().value_or(JournalInfo{}).lines == 3 && next.recoverJournal());
        else
            QCOMPARE(next.keepJournalAs(file), 0);
        if (way == "keep")
            QCOMPARE(next.open(file).outcome, DataFileRead::Outcome::Ok);
        QCOMPARE(next.header().comments, QStringLiteral("Cell 3\r\n"));
        QCOMPARE(next.size(), qsizetype(3));
        QCOMPARE(next.events().size(), events.size());
        for (qsizetype e = 0; e < qsizetype(events.size()); ++e) {
            QCOMPARE(next.events()[size_t(e)].time, events[size_t(e)].time);
            QCOMPARE(next.events()[size_t(e)].text, events[size_t(e)].text);
            QCOMPARE(next.eventPlace(e), places[size_t(e)]);
        }
        // The comment section, as every reader of the file takes it.
        QVERIFY(next.fileBytes().contains("Cell 3\r\nEvent 0.2 s: logger disconnected\r\n"
                                          "Event 3.0 s: ALARM Ch 1 high: 932 \xb0""F above 900\r\n"
                                          "Event 4.0 s: logger reconnected\r\n-9999\r\n"));
    }

    // Only a whole event line is an event: a user's comment that merely looks like one stays.
    void eventLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("isEvent");
        QTest::newRow("event") << "Event 123.4 s: logger disconnected" << true;
        QTest::newRow("no text") << "Event 5.0 s: " << true;
        QTest::newRow("no time") << "Event  s: lost" << false;
        QTest::newRow("word for time") << "Event soon s: lost" << false;
        QTest::newRow("no colon") << "Event 5.0 s lost" << false;
        QTest::newRow("comment") << "Eventually the engine stalled" << false;
        QTest::newRow("lower case") << "event 5.0 s: lost" << false;
    }
    void eventLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, isEvent);
        const std::optional<RunEvent> event = ParseEventLine(line);
        QCOMPARE(event.has_value(), isEvent);
        if (event)
            QCOMPARE(FormatEventLine(*event), line);
        const CommentsAndEvents split = SplitEventLines("Cell 3\r\n" + line + "\r\nEnd\r\n");
        QCOMPARE(split.comments, isEvent ? QString("Cell 3\r\nEnd\r\n")
                                         : "Cell 3\r\n" + line + "\r\nEnd\r\n");
        QCOMPARE(JoinEventLines(split.comments, split.events),
                 isEvent ? "Cell 3\r\nEnd\r\n" + line + "\r\n"
                         : "Cell 3\r\n" + line + "\r\nEnd\r\n");
    }

    // The list shows each event between the readings it came between.
    void listRowsInterleaveEvents()
    {
        QTemporaryDir dir;
        RunModel run(dir.path());
        RunListRows rows(run);
        run.startRecording({0, 2, 0, {}}, 0);
        run.addEvent(0, QStringLiteral("first")); // before any reading
        run.addReading(0.1f, {1, 2, 0, 0});
        run.addReading(0.2f, {3, 4, 0, 0});
        run.addEvent(0.3f, QStringLiteral("lost"));
        run.addEvent(0.3f, QStringLiteral("alarm"));
        run.addReading(5, {5, 6, 0, 0});
        run.addEvent(5.1f, QStringLiteral("last"));
        const QStringList expected{".0   Event: first", ".1   1   2",        ".2   3   4",
                                   ".3   Event: lost",  ".3   Event: alarm", "5.0   5   6",
                                   "5.1   Event: last"};
        QCOMPARE(rows.size(), qsizetype(expected.size()));
        QStringList shown;
        for (qsizetype r = 0; r < rows.size(); ++r) {
            shown << rows.line(r);
            const qsizetype sample = rows.sampleAt(r);
            const qsizetype event = rows.eventAt(r);
            QVERIFY((sample >= 0) != (event >= 0));
            QCOMPARE(sample >= 0 ? rows.rowOfSample(sample) : rows.rowOfEvent(event), r);
        }
        QCOMPARE(shown, expected);
        QCOMPARE(rows.lastSampleRow(), qsizetype(5));
    }

    // The row a chart click finds is what a scan picks: ties to the earlier, none near: row 0.
    void nearestRowMatchesAScan_data()
    {
        QTest::addColumn<QList<float>>("times");
        QTest::newRow("ordered") << QList<float>{0.1f, 0.2f, 0.3f, 0.5f};
        QTest::newRow("halfway between rows") << QList<float>{0.5f, 1, 1, 1.5f};
        QTest::newRow("negative times after midnight") << QList<float>{-0.3f, -0.2f, 0.1f};
        QTest::newRow("clock set back") << QList<float>{5, 6, 1, 2};
        QList<float> equalTimes;
        for (int i = 0; i < 3000; ++i)
            equalTimes << float(std::floor(i * 0.7) / 10);
        QTest::newRow("a long run with equal times") << equalTimes;
        QTest::newRow("empty run") << QList<float>{};
    }
    void nearestRowMatchesAScan()
    {
        QFETCH(QList<float>, times);
        constexpr float kMaxDistance = 100.0f;
        QTemporaryDir dir;
        RunModel model(dir.path());
        for (float t : times)
            model.addSample(sampleAt(t, 1, 2, 3, 4));
        if (times.isEmpty()) {
            QCOMPARE(model.nearestRow(1.0f, kMaxDistance), qsizetype(-1));
            return;
        }
        const auto [lowest, highest] = std::minmax_element(times.cbegin(), times.cend());
        for (float target = *lowest - 5; target < *highest + 500; target += 0.037f) {
            qsizetype best = 0;
            float bestDistance = kMaxDistance;
            for (qsizetype r = 0; r < times.size(); ++r) {
                if (std::fabs(times[r] - target) < bestDistance) {
                    bestDistance = std::fabs(times[r] - target);
                    best = r;
                }
            }
            QCOMPARE(model.nearestRow(target, kMaxDistance), best);
            if (target > *highest + 5)
                target += 100; // then a few targets too far from any row
        }
    }

};

QTEST_GUILESS_MAIN(TestRunModel)
#include "test_runmodel.moc"
