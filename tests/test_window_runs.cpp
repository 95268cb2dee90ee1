// Whole runs through the window: kept, saved, opened, given up, and offered back after a kill.

#include "commentseditor.h"
#include "datafile.h"
#include "recordingjournal.h"
#include "sectionbox.h"
#include "windowrig.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>

namespace
{

using Rig = WindowRig<>;

// Ticks 0.1 s apart whose rows all differ.
void record(Rig& rig, int ticks)
{
    for (int n = 1; n <= ticks; ++n)
        rig.tickAt(n * 0.1f, QByteArray::number(n) + "," + QByteArray::number(450 + n % 37) +
                                 ",461," + QByteArray::number(472 + n % 5) + ",483\r\n");
}

// The sample lines of a saved file, empty lines left out.
QStringList savedSamples(const QByteArray& file)
{
    const QStringList lines = QString::fromLatin1(file).split(QStringLiteral("\r\n"));
    const qsizetype first = lines.indexOf(QStringLiteral("-9999")) + 1;
    QStringList samples = lines.mid(first, lines.lastIndexOf(QStringLiteral("-9999")) - first);
    samples.removeAll(QString());
    return samples;
}

} // namespace

class TestWindowRuns : public QObject
{
    Q_OBJECT
private slots:
    // A wrapping or jumping run saves whole in its unit, reopens as drawn, resaves to the same bytes.
    void anOpenedRunIsTheRunAsRecorded_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<float>("gapAt"); // a jump of 40 s after this run time (0: none)
        QTest::newRow("many wraps") << 600 << 0.0f;
        QTest::newRow("long gap") << 300 << 12.0f;
    }
    void anOpenedRunIsTheRunAsRecorded()
    {
        QFETCH(int, lines);
        QFETCH(float, gapAt);
        Rig recorded, opened;
        for (Rig* r : {&recorded, &opened}) {
            r->state.settings.chartSectionSeconds = 5;
            r->show();
        }
        recorded.startInC();
        for (int n = 1; n <= lines; ++n) {
            const bool afterGap = gapAt > 0 && n * 0.1f > gapAt;
            if (afterGap && !recorded.w->run().events().size()) {
                // The gap is an adapter pulled and plugged in again: two events of the run.
                recorded.clock.seconds += 1;
                recorded.port.pull();
                recorded.port.calls.clear();
                QTRY_VERIFY_WITH_TIMEOUT(recorded.port.calls.contains("open"), 3000);
                recorded.port.feed("\r\n"); // the end of a line cut by the pull
            }
            recorded.tickAt(n * 0.1f + (afterGap ? 40 : 0),
                            QByteArray::number(n) + "," + QByteArray::number(500 + n % 700) + "," +
                                QByteArray::number(1000 - n) + ",1300,900\r\n");
        }
        recorded.w->onRecordButton(MainWindow::StopButton);
        QVERIFY(recorded.state.chart.wrapped);
        const QStringList rows = recorded.rows();
        QStringList readingRows = rows.filter(QStringLiteral("   Event: "));
        if (gapAt > 0)
            QCOMPARE(readingRows, (QStringList{"13.0   Event: logger disconnected",
                                               "52.1   Event: logger reconnected"}));
        readingRows = rows;
        readingRows.removeIf([](const QString& row) { return row.contains("Event: "); });
        QCOMPARE(readingRows.size(), lines);
        std::array<QImage, 3> drawn;
        for (int k = 0; k < 3; ++k)
            drawn[k] = controls(recorded.w).chartSections[k]->image();

        recorded.w->onComments();
        auto* comments = recorded.w->findChild<CommentsEditor*>();
        QVERIFY(comments);
        comments->editor->setPlainText(QStringLiteral("Run 1"));
        comments->onButton(0);
        recorded.w->onDegreesF();
        recorded.saveAs(recorded.data("run"));
        const QByteArray saved = recorded.read(recorded.data("run"));
        QVERIFY(saved.startsWith("ZRB-TC-QLMR*1.10\r\n 1 \r\n"));
        // Events are comment lines to every reader of the file.
        QVERIFY(saved.contains(gapAt > 0 ? "\r\nRun 1\r\nEvent 13.0 s: logger disconnected\r\n"
                                           "Event 52.1 s: logger reconnected\r\n-9999\r\n"
                                         : "\r\nRun 1\r\n-9999\r\n"));
        QCOMPARE(savedSamples(saved), readingRows);

        QCOMPARE(opened.state.settings.degreesCelsius, qint16(0));
        opened.prompts.fileAnswers = {recorded.data("run")};
        opened.w->onOpen();
        QTRY_COMPARE(controls(opened.w).readingList->currentRow(),
                     rows.lastIndexOf(readingRows.last()));
        QCOMPARE(opened.rows(), rows);
        QCOMPARE(opened.state.chart.sectionStartTimes, recorded.state.chart.sectionStartTimes);
        QCOMPARE(opened.state.chart.currentSection, recorded.state.chart.currentSection);
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(controls(opened.w).chartSections[k]->x(),
                     controls(recorded.w).chartSections[k]->x());
            QVERIFY2(controls(opened.w).chartSections[k]->image() == drawn[k],
                     qPrintable(QStringLiteral("section %1 differs").arg(k)));
        }
        opened.w->action("mnuSave")->trigger();
        QCOMPARE(opened.read(recorded.data("run")), saved);
    }

    // Only No gives an unsaved run up; a cancelled or failed save keeps run and journal.
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
        const QString recordedText = rig.runText();
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
        QCOMPARE(rig.w->run().isRecording(), command == "start" && answer == "no");
        const std::optional<DataFileRead> journal = RecordingJournal::load(rig.data({}));
        QCOMPARE(journal && journal->samples == recordedText, !goesOn);
        QCOMPARE(QFile::exists(rig.data("saved")), answer == "yes, saved" && asked);
        if (answer == "yes, failed")
            QVERIFY(rig.prompts.messageTexts().contains(
                "SaveAFFileEr:  76   0\nThe folder does not exist."));
    }

    // A run keeps one unit: the unit commands are off while recording, however it ends.
    void unitIsFixedWhileRecording_data()
    {
        QTest::addColumn<QString>("end");
        QTest::newRow("stop") << "stop";
        QTest::newRow("off") << "off";
        // Only a Start that never got a reading ends by itself; a run with readings waits.
        QTest::newRow("instrument never sends") << "silence";
    }
    void unitIsFixedWhileRecording()
    {
        QFETCH(QString, end);
        Rig rig;
        if (end == "silence") {
            rig.state.settings.degreesCelsius = 1;
            rig.w->onRecordButton(MainWindow::StartButton);
        } else {
            rig.startInC();
            record(rig, 2);
        }
        for (const char* name : {"mnuDegF", "mnuDegC"}) {
            QVERIFY(!rig.w->action(name)->isEnabled());
            QVERIFY(rig.w->action(name)->statusTip().startsWith("Not while recording"));
        }
        rig.w->onDegreesF(); // reached some other way, it still changes nothing
        QCOMPARE(rig.state.settings.degreesCelsius, qint16(1));
        if (end == "silence")
            QTRY_VERIFY_WITH_TIMEOUT(!rig.w->run().isRecording(),
                                     int(rig.w->silenceBudget().count()) + 3000);
        else
            rig.w->onRecordButton(end == "stop" ? MainWindow::StopButton : MainWindow::OffButton);
        QVERIFY(!rig.w->run().isRecording());
        QCOMPARE(rig.prompts.messageTexts(),
                 end == "silence" ? QStringList{"Not receiving data."} : QStringList{});
        for (const char* name : {"mnuDegF", "mnuDegC"})
            QVERIFY(rig.w->action(name)->isEnabled() && rig.w->action(name)->statusTip().isEmpty());
        QVERIFY(rig.rows().size() >= (end == "silence" ? 0 : 2));
    }

    // A journal a killed program left is offered back whole, or kept as a data file.
    // A pulled adapter leaves the run waiting; the port is opened again only when its link
    // names a device again: with the link gone, COM 1 would be the machine's own serial port.
    void aLostLoggerIsOpenedAgainOnlyThroughItsLink()
    {
        Rig rig;
        QVERIFY(QDir(rig.folder).mkpath("ports"));
        const QString link = rig.folder + "/ports/COM1";
        QVERIFY(QFile::link("/dev/null", link));
        rig.state.settings.comPorts[0] = 1;
        rig.startInC();
        record(rig, 2);
        rig.port.pull();
        QVERIFY(QFile::remove(link));
        rig.port.calls.clear();
        QTest::qWait(1300);
        QVERIFY(controls(rig.w).statusLine->text().startsWith(
            "Logger on COM1 disconnected, waiting for it \u2014 1 s"));
        QVERIFY(!rig.port.calls.contains("open"));
        QVERIFY(QFile::link("/dev/null", link));
        QTRY_VERIFY_WITH_TIMEOUT(rig.port.calls.contains("open"), 2000);
        QVERIFY(rig.w->run().isRecording());
        QCOMPARE(rig.prompts.messageTexts(), QStringList{});
    }

    void aLeftRunIsOfferedBack_data()
    {
        QTest::addColumn<bool>("showIt");
        QTest::newRow("shown again") << true;
        QTest::newRow("kept as a file") << false;
    }
    void aLeftRunIsOfferedBack()
    {
        QFETCH(bool, showIt);
        Rig rig;
        RecordingJournal journal;
        QVERIFY(journal.begin(rig.data({}), 1, 4, 0, QStringLiteral("Killed")));
        QStringList lines;
        for (int n = 1; n <= 30; ++n) {
            lines << (n < 10 ? QString() : QString::number(n / 10)) + '.' +
                         QString::number(n % 10) + QStringLiteral("   %1   461   472   483").arg(n);
            QVERIFY(journal.append(lines.last()));
        }
        journal.close();
        rig.prompts.messageAnswers = {showIt ? MsgAnswer::Yes : MsgAnswer::No};
        rig.w->afterShown();
        QCOMPARE(rig.prompts.messages.front().caption, QStringLiteral("Unsaved Run Found"));
        const bool journaled = QFile::exists(RecordingJournal::pathIn(rig.data({})));
        if (showIt) {
            QCOMPARE(rig.rows(), lines);
            QVERIFY(rig.w->run().isUnsaved());
            QVERIFY(journaled); // until the run is saved
            return;
        }
        QVERIFY(!journaled);
        QVERIFY(rig.rows().isEmpty());
        const QStringList kept =
            QDir(rig.data({})).entryList({QStringLiteral("Recovered run *")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(savedSamples(rig.read(rig.data(kept.first()))), lines);
    }
};

QTEST_MAIN(TestWindowRuns)
#include "test_window_runs.moc"
