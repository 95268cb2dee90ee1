// Whole runs: a run longer than the chart is kept, saved and replayed whole; the journal
// brings back a run that a killed program never saved.

#include "readinglistview.h"
#include "recordingjournal.h"
#include "sectionbox.h"
#include "windowrig.h"

#include "decoder.h"
#include "numconv.h"
#include "replay.h"
#include "sampling.h"
#include "stripchart.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <cstdio>

namespace
{

const QByteArray kFirstFrame = "\r\n0,450,461,472,483\r\n";

// The instrument line of tick n: values that move, so every row differs.
QByteArray instrumentLine(int n)
{
    return QByteArray::number(n) + "," + QByteArray::number(450 + n % 37) + ",461," +
           QByteArray::number(472 + n % 5) + ",483\r\n";
}

struct Rig : WindowRig<> {
    explicit Rig(const QString& folder = {}) : WindowRig<>({}, folder) {}

    QString dataFolder() const { return folder + QStringLiteral("/TCFiles"); }
    bool journalExists() const { return QFile::exists(RecordingJournal::pathIn(dataFolder())); }

    // Start, with the chart armed by the first tick; readings in degrees C as they come.
    void start()
    {
        m.DegCFlag = 1;
        w->SwitchToTC();
        port.queue(kFirstFrame);
        w->Command1_Click(0);
        w->Timer1_Timer();
    }
    void record(int ticks, int first = 1)
    {
        for (int n = first; n < first + ticks; ++n) {
            clock.seconds = m.RecordStartTimer + n * 0.1f;
            port.queue(instrumentLine(n));
            w->Timer1_Timer();
        }
    }
    QStringList rows() const
    {
        QStringList r;
        for (int i = 0; i < w->List1->count(); ++i)
            r << w->List1->text(i);
        return r;
    }
};

// Sample lines of a file as written: the text between the comments' and the file's end.
QStringList savedSamples(const QByteArray& file)
{
    QStringList lines = QString::fromLatin1(file).split(QStringLiteral("\r\n"));
    const qsizetype first = lines.indexOf(QStringLiteral("-9999")) + 1;
    return lines.mid(first, lines.size() - first - 3); // empty line, "-9999", after the end
}

constexpr char kChildMode[] = "--record-until-killed";

// The child of journalSurvivesAKill: records into `folder` until it is killed, telling the
// parent after every stored reading how many the run holds.
int recordUntilKilled(const QString& folder)
{
    Rig rig(folder);
    rig.start();
    for (int n = 1;; ++n) {
        rig.record(1, n);
        std::printf("%d\n", static_cast<int>(rig.w->run().size()));
        std::fflush(stdout);
        QThread::msleep(5);
    }
}

} // namespace

class TestWindowRuns : public QObject
{
    Q_OBJECT
private slots:
    // 25 s in 5 s sections wraps the chart twice; the list, the saved file and the file opened
    // again still hold every reading.
    void aRunLongerThanTheChartIsKeptWhole()
    {
        Rig rig;
        rig.m.StripChartTime = 5;
        rig.start();
        rig.record(250);
        QCOMPARE(rig.m.ChartWrapped, qint16(1));
        const QStringList recorded = rig.rows();
        QCOMPARE(recorded.size(), 250);
        QCOMPARE(recorded.first(), QStringLiteral(".1   451   461   473   483"));
        QCOMPARE(recorded.last(), QStringLiteral("25.0   478   461   472   483"));

        rig.w->Command1_Click(1);
        const QString path = rig.dataFolder() + QStringLiteral("/long run");
        rig.prompts.fileAnswers = {path};
        rig.w->action("mnuSaveAs")->trigger();
        QCOMPARE(savedSamples(rig.read(path)), recorded);

        Rig again;
        again.m.StripChartTime = 5;
        again.prompts.fileAnswers = {path};
        again.w->mnuOpen_Click();
        QCOMPARE(again.rows(), recorded);
        QCOMPARE(again.w->runText(), recorded.join("\r\n") + "\r\n");
    }

    // Changing the unit after a run leaves the run's readings as they were taken, so the saved
    // file must still name the unit they are in.
    void aSaveNamesTheUnitTheReadingsWereTakenIn()
    {
        Rig rig;
        rig.start(); // degrees C
        rig.record(3);
        rig.w->Command1_Click(1);
        rig.w->mnuDegF_Click();
        QCOMPARE(rig.m.DegCFlag, qint16(0));
        const QString path = rig.dataFolder() + QStringLiteral("/in C");
        rig.prompts.fileAnswers = {path};
        rig.w->action("mnuSaveAs")->trigger();
        QVERIFY(rig.read(path).startsWith("ZRB-TC-QLMR*1.10\r\n 1 \r\n"));
    }

    // The replay leaves out segments that a later wrap clears anyway: what stays on the chart
    // must be exactly what drawing every line gives, for runs that wrap many times, once, or
    // never, and across a gap longer than a section.
    void replayDrawsWhatDrawingEveryLineDraws_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("sectionTime");
        QTest::addColumn<double>("gapAt"); // a jump of 40 s after this time (0: none)
        QTest::newRow("many wraps") << 600 << 5 << 0.0;
        QTest::newRow("one wrap") << 160 << 5 << 0.0;
        QTest::newRow("no wrap") << 100 << 15 << 0.0;
        QTest::newRow("long gap") << 300 << 5 << 12.0;
    }
    void replayDrawsWhatDrawingEveryLineDraws()
    {
        QFETCH(int, lines);
        QFETCH(int, sectionTime);
        QFETCH(double, gapAt);
        QString source;
        for (int n = 1; n <= lines; ++n) {
            const double t = n * 0.1 + (gapAt > 0 && n * 0.1 > gapAt ? 40 : 0);
            source +=
                num::Format(t, QStringLiteral("#########.0")) +
                QStringLiteral("   %1   %2   1300   900\r\n").arg(900 + n % 700).arg(1700 - n);
        }

        Rig fast;
        fast.m.StripChartTime = static_cast<qint16>(sectionTime);
        fast.w->show();
        fast.w->AnalyzeData(source);

        // The same lines, each drawn, through the window's own routines.
        Rig full;
        full.m.StripChartTime = static_cast<qint16>(sectionTime);
        full.w->show();
        ResetChartForReplay(full.m);
        full.m.DoingStripChart = 1;
        for (const QString& line : ReplayLines(source)) {
            full.w->RecordTime = ReplayLineTime(line);
            QString copy = line;
            full.w->BreakoutTempData(copy);
            for (int i = 0; i < 4; ++i)
                full.w->ChannelText[i] = FormatChannelReading(full.m.TCReading[i]);
            full.m.LastLine =
                SampleLine(num::Format(full.w->RecordTime, "#########.0"), full.w->ChannelText, 4);
            full.w->appendRunLine(full.m.LastLine);
            qint16 startOver = 0;
            full.w->UpdateScreen(startOver, full.m.DoingStripChart, full.w->RecordTime,
                                 full.m.LastLine, 1);
        }

        QCOMPARE(fast.w->runText(), full.w->runText());
        QCOMPARE(fast.m.SectionStartTime, full.m.SectionStartTime);
        QCOMPARE(fast.m.CurrentSection, full.m.CurrentSection);
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(fast.w->Picture3[k]->x(), full.w->Picture3[k]->x());
            QVERIFY2(fast.w->Picture3[k]->image() == full.w->Picture3[k]->image(),
                     qPrintable(QStringLiteral("section %1 differs").arg(k)));
        }
        QCOMPARE(fast.w->label6Caption(0), full.w->label6Caption(0));
    }

    // What becomes of the journal: a saved or discarded run removes it, a run that is still
    // unsaved keeps it.
    void journalLivesAsLongAsTheUnsavedRun_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("kept");
        QTest::newRow("stopped, unsaved") << "stop" << true;
        QTest::newRow("saved") << "save" << false;
        QTest::newRow("exit, do not save") << "exit no" << false;
        QTest::newRow("exit cancelled") << "exit cancel" << true;
        QTest::newRow("exit, save cancelled") << "exit yes cancel" << true;
        QTest::newRow("saved while still recording") << "save recording" << true;
    }
    void journalLivesAsLongAsTheUnsavedRun()
    {
        QFETCH(QString, action);
        QFETCH(bool, kept);
        Rig rig;
        rig.start();
        rig.record(20);
        QVERIFY(rig.journalExists());
        if (action != "save recording")
            rig.w->Command1_Click(1);
        if (action.startsWith("save")) {
            rig.prompts.fileAnswers = {rig.dataFolder() + QStringLiteral("/run")};
            rig.w->action("mnuSaveAs")->trigger();
        } else if (action == "exit no") {
            rig.prompts.messageAnswers = {MsgAnswer::No};
            rig.w->mnuExit_Click();
        } else if (action == "exit cancel") {
            rig.prompts.messageAnswers = {MsgAnswer::Cancel};
            rig.w->mnuExit_Click();
        } else if (action == "exit yes cancel") {
            rig.prompts.messageAnswers = {MsgAnswer::Yes};
            rig.prompts.fileAnswers = {QString()};
            rig.w->mnuExit_Click();
        }
        QCOMPARE(rig.journalExists(), kept);
        if (action == "save recording") { // what comes after the save is unsaved again
            rig.record(1, 21);
            QCOMPARE(rig.m.DataNotSaved, qint16(1));
        }
    }

    // kill -9 in the middle of a run: the next start offers the run back with every reading
    // the killed program had stored, as an unsaved run; or keeps it as a data file.
    void journalSurvivesAKill_data()
    {
        QTest::addColumn<bool>("showIt");
        QTest::newRow("shown again") << true;
        QTest::newRow("kept as a file") << false;
    }
    void journalSurvivesAKill()
    {
#ifndef Q_OS_UNIX
        QSKIP("needs kill -9");
#endif
        QFETCH(bool, showIt);
        QTemporaryDir folder;
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {kChildMode, folder.path()});
        QVERIFY(child.waitForStarted());
        int stored = 0;
        while (stored < 30 && child.waitForReadyRead(20000)) {
            while (child.canReadLine())
                stored = child.readLine().trimmed().toInt();
        }
        QVERIFY2(stored >= 30, "the recording child stopped early");
        child.kill(); // SIGKILL: no handler runs, nothing is flushed
        QVERIFY(child.waitForFinished());
        while (child.canReadLine()) // readings it stored before it died
            stored = std::max(stored, child.readLine().trimmed().toInt());

        Rig rig(folder.path());
        rig.prompts.messageAnswers = {showIt ? MsgAnswer::Yes : MsgAnswer::No};
        rig.w->afterShown();
        QCOMPARE(rig.prompts.messages.front().caption, QStringLiteral("Unsaved Run Found"));
        QVERIFY(rig.prompts.messages.front().text.contains(QStringLiteral(" readings from ")));
        if (showIt) {
            QVERIFY(rig.rows().size() >= stored);
            QCOMPARE(rig.rows().first(), QStringLiteral(".1   451   461   473   483"));
            for (int i = 0; i < rig.rows().size(); ++i) // consecutive, none torn
                QCOMPARE(rig.rows()[i].split(QStringLiteral("   "))[1].toInt(), 450 + (i + 1) % 37);
            QCOMPARE(rig.m.DataNotSaved, qint16(1));
            QVERIFY(rig.w->windowTitle().endsWith(QStringLiteral("[ Untitled ]")));
            QVERIFY(rig.journalExists()); // until the run is saved
            return;
        }
        QVERIFY(!rig.journalExists());
        QVERIFY(rig.rows().isEmpty());
        const QStringList kept =
            QDir(rig.dataFolder()).entryList({QStringLiteral("Recovered run *")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QVERIFY(savedSamples(rig.read(rig.dataFolder() + '/' + kept.first())).size() >= stored);
        Rig later(folder.path()); // asked once only
        later.w->afterShown();
        QVERIFY(later.prompts.messages.empty());
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], kChildMode) == 0)
        return recordUntilKilled(QString::fromLocal8Bit(argv[2]));
    TestWindowRuns test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_window_runs.moc"
