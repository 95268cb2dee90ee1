// Whole runs: a run longer than the chart is kept, saved and replayed whole; the journal
// brings back a run that a killed program never saved.

#include "datafile.h"
#include "recordingjournal.h"
#include "sectionbox.h"
#include "windowrig.h"

#include "decoder.h"
#include "numconv.h"
#include "replay.h"
#include "stripchart.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QThread>

#include <cstdio>

namespace
{

using Rig = WindowRig<>;

// Ticks first .. first + ticks - 1, each 0.1 s on with values that move, so every row differs.
void record(Rig& rig, int ticks, int first = 1)
{
    for (int n = first; n < first + ticks; ++n)
        rig.tickAt(n * 0.1f, QByteArray::number(n) + "," + QByteArray::number(450 + n % 37) +
                                 ",461," + QByteArray::number(472 + n % 5) + ",483\r\n");
}

bool journalExists(const Rig& rig)
{
    return QFile::exists(RecordingJournal::pathIn(rig.data({})));
}

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
    Rig rig({}, folder);
    rig.startInC();
    for (int n = 1;; ++n) {
        record(rig, 1, n);
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
    // again still hold every reading. The unit is changed before the save: the readings stay as
    // they were taken, so the file must still name their unit.
    void aRunLongerThanTheChartIsKeptWhole()
    {
        Rig rig;
        rig.state.settings.chartSectionSeconds = 5;
        rig.startInC();
        record(rig, 250);
        QCOMPARE(rig.state.chart.wrapped, qint16(1));
        const QStringList recorded = rig.rows();
        QCOMPARE(recorded.size(), 250);

        rig.w->onRecordButton(MainWindow::StopButton);
        rig.w->onDegreesF();
        rig.saveAs(rig.data("long run"));
        const QByteArray saved = rig.read(rig.data("long run"));
        QVERIFY(saved.startsWith("ZRB-TC-QLMR*1.10\r\n 1 \r\n"));
        QCOMPARE(savedSamples(saved), recorded);

        Rig again;
        again.state.settings.chartSectionSeconds = 5;
        again.prompts.fileAnswers = {rig.data("long run")};
        again.w->onOpen();
        QCOMPARE(again.rows(), recorded);
    }

    // The replay leaves out segments that a later wrap clears anyway: what stays on the chart
    // must be exactly what drawing every line gives, across many wraps and a gap longer than a
    // section.
    void replayDrawsWhatDrawingEveryLineDraws_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<double>("gapAt"); // a jump of 40 s after this time (0: none)
        QTest::newRow("many wraps") << 600 << 0.0;
        QTest::newRow("long gap") << 300 << 12.0;
    }
    void replayDrawsWhatDrawingEveryLineDraws()
    {
        QFETCH(int, lines);
        QFETCH(double, gapAt);
        QString source;
        for (int n = 1; n <= lines; ++n) {
            const double t = n * 0.1 + (gapAt > 0 && n * 0.1 > gapAt ? 40 : 0);
            source +=
                num::Format(t, QStringLiteral("#########.0")) +
                QStringLiteral("   %1   %2   1300   900\r\n").arg(900 + n % 700).arg(1700 - n);
        }
        Rig fast, full;
        for (Rig* r : {&fast, &full}) {
            r->state.settings.chartSectionSeconds = 5;
            r->w->show();
        }
        fast.w->replayRun(source);

        // The same lines, each drawn, through the window's own routines.
        ResetChartForReplay(full.state.chart);
        full.state.run.chartPlotMode = 1;
        for (const QString& line : ReplayLines(source)) {
            QString copy = line;
            full.w->sampleTime = ReplayLineTime(line);
            full.w->decodeFrame(copy);
            for (int i = 0; i < 4; ++i)
                full.w->channelTexts[i] = FormatChannelReading(full.state.chart.readings[i]);
            qint16 startOver = 0;
            full.w->plotSample(startOver, full.state.run.chartPlotMode, full.w->sampleTime,
                               copy = line, 1);
        }

        QCOMPARE(fast.w->runText(), source);
        QCOMPARE(fast.state.chart.sectionStartTimes, full.state.chart.sectionStartTimes);
        QCOMPARE(fast.state.chart.currentSection, full.state.chart.currentSection);
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(fast.w->chartSections[k]->x(), full.w->chartSections[k]->x());
            QVERIFY2(fast.w->chartSections[k]->image() == full.w->chartSections[k]->image(),
                     qPrintable(QStringLiteral("section %1 differs").arg(k)));
        }
    }

    // What becomes of the journal: a saved or discarded run removes it, a run that is still
    // unsaved keeps it, and what is recorded after a save made while recording is unsaved.
    void journalLivesAsLongAsTheUnsavedRun_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("kept");
        QTest::newRow("stopped, unsaved") << "stop" << true;
        QTest::newRow("saved") << "save" << false;
        QTest::newRow("saved while still recording") << "save recording" << true;
    }
    void journalLivesAsLongAsTheUnsavedRun()
    {
        QFETCH(QString, action);
        QFETCH(bool, kept);
        Rig rig;
        rig.startInC();
        record(rig, 20);
        QVERIFY(journalExists(rig));
        if (action != "save recording")
            rig.w->onRecordButton(MainWindow::StopButton);
        if (action.startsWith("save"))
            rig.saveAs(rig.data("run"));
        QCOMPARE(journalExists(rig), kept);
        if (action == "save recording") {
            record(rig, 1, 21);
            QCOMPARE(rig.state.run.dataNotSaved, qint16(1));
        }
    }

    // A stopped, unsaved run meets a command that would replace it or end the program. Only
    // an explicit No gives it up; Yes goes on once the run is in a file, and a cancelled or
    // failed save keeps run and journal and ends the command there.
    void anUnsavedRunIsGivenUpOnlyAfterNo_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("answer");
        for (const char* command : {"open", "start", "exit", "close"})
            for (const char* answer :
                 {"yes, saved", "yes, cancelled", "yes, failed", "no", "cancel"})
                QTest::addRow("%s, %s", command, answer) << command << answer;
        QTest::newRow("new asks nothing") << "new"
                                          << "no";
    }
    void anUnsavedRunIsGivenUpOnlyAfterNo()
    {
        QFETCH(QString, command);
        QFETCH(QString, answer);
        Rig rig;
        rig.startInC();
        record(rig, 5);
        rig.w->onRecordButton(MainWindow::StopButton);
        const QStringList recorded = rig.rows();
        const QString recordedText = rig.w->runText();
        rig.write(rig.data("other"), WriteDataFileText("", "9.0   1   2   3   4\r\n", 1, 4, 0));

        rig.prompts.messageAnswers = {answer.startsWith("yes") ? MsgAnswer::Yes
                                      : answer == "no"         ? MsgAnswer::No
                                                               : MsgAnswer::Cancel};
        if (answer == "yes, saved")
            rig.prompts.fileAnswers.push_back(rig.data("saved"));
        if (answer == "yes, cancelled")
            rig.prompts.fileAnswers.push_back(QString());
        if (answer == "yes, failed") // no such folder
            rig.prompts.fileAnswers.push_back(rig.data("gone/saved"));
        rig.prompts.fileAnswers.push_back(rig.data("other")); // for Open, should it go on
        if (command == "open")
            rig.w->onOpen();
        if (command == "start")
            rig.w->onRecordButton(MainWindow::StartButton);
        if (command == "exit")
            rig.w->onExit();
        if (command == "close") {
            rig.w->show();
            rig.w->close();
        }
        if (command == "new")
            rig.w->action("mnuNew")->trigger();

        const bool asked = command != "new";
        const bool goesOn = asked && (answer == "no" || answer == "yes, saved");
        // After a save Start stays idle: the user presses it again for the next run.
        const bool replaced =
            goesOn && (command == "open" || (command == "start" && answer == "no"));
        const bool ends = goesOn && (command == "exit" || command == "close");
        QCOMPARE(rig.prompts.messages.empty(), !asked);
        QCOMPARE(rig.rows() == recorded, !replaced);
        QCOMPARE(rig.prompts.openDialogs.size(), size_t(command == "open" && goesOn));
        QCOMPARE(rig.ended, ends ? 1 : 0);
        QCOMPARE(rig.w->notSampling, qint16(1));
        const std::optional<DataFileRead> journal = RecordingJournal::load(rig.data({}));
        QCOMPARE(journal && journal->samples == recordedText, !goesOn);
        QCOMPARE(QFile::exists(rig.data("saved")), answer == "yes, saved" && asked);
        if (answer == "yes, failed")
            QVERIFY(rig.prompts.messageTexts().contains(
                "SaveAFFileEr:  76   0\nThe folder does not exist."));
    }

    // While recording, the unit commands are off and say why: a run keeps one unit. However
    // the recording ends, they are on again.
    void unitIsFixedWhileRecording_data()
    {
        QTest::addColumn<QString>("end");
        QTest::newRow("stop") << "stop";
        QTest::newRow("off") << "off";
        QTest::newRow("instrument falls silent") << "silence";
    }
    void unitIsFixedWhileRecording()
    {
        QFETCH(QString, end);
        Rig rig;
        rig.startInC();
        record(rig, 2);
        for (const char* name : {"mnuDegF", "mnuDegC"}) {
            QVERIFY(!rig.w->action(name)->isEnabled());
            QVERIFY(rig.w->action(name)->statusTip().startsWith("Not while recording"));
        }
        rig.w->onDegreesF(); // reached some other way, it still changes nothing
        QCOMPARE(rig.state.settings.degreesCelsius, qint16(1));
        if (end == "silence")
            rig.tickAt(0.5f, {});
        else
            rig.w->onRecordButton(end == "stop" ? MainWindow::StopButton : MainWindow::OffButton);
        QCOMPARE(rig.w->notSampling, qint16(1));
        for (const char* name : {"mnuDegF", "mnuDegC"})
            QVERIFY(rig.w->action(name)->isEnabled() && rig.w->action(name)->statusTip().isEmpty());
        QVERIFY(rig.rows().size() >= 2);
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

        Rig rig({}, folder.path());
        rig.prompts.messageAnswers = {showIt ? MsgAnswer::Yes : MsgAnswer::No};
        rig.w->afterShown();
        QCOMPARE(rig.prompts.messages.front().caption, QStringLiteral("Unsaved Run Found"));
        if (showIt) {
            const QStringList rows = rig.rows();
            QVERIFY(rows.size() >= stored);
            for (int i = 0; i < rows.size(); ++i) // consecutive from the first, none torn
                QCOMPARE(rows[i].split(QStringLiteral("   "))[1].toInt(), 450 + (i + 1) % 37);
            QCOMPARE(rig.state.run.dataNotSaved, qint16(1));
            QVERIFY(journalExists(rig)); // until the run is saved
            return;
        }
        QVERIFY(!journalExists(rig));
        QVERIFY(rig.rows().isEmpty());
        const QStringList kept =
            QDir(rig.data({})).entryList({QStringLiteral("Recovered run *")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QVERIFY(savedSamples(rig.read(rig.data(kept.first()))).size() >= stored);
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
