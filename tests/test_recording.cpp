// Recording a run in the window: Start and Stop with their save prompt, the tick that stores
// the newest reading under the time its line arrived, and a logger that falls silent.

#include "windowrig.h"

#include <QLabel>

namespace
{

// Each line after the first, as the instrument sends it.
const QByteArray kLine = "0,450,461,472,483\r\n";

// Recording in degrees C.
struct Rig : WindowRig<SaveAsCounted> {
    Rig() { startInC(); }
};

} // namespace

class TestRecording : public QObject
{
    Q_OBJECT
private slots:
    // Each reading becomes one row: the run time in tenths, then the readings as whole numbers.
    void samplesAreStampedAndStored_data()
    {
        QTest::addColumn<float>("elapsed");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("status");
        const QString running = QStringLiteral("Click on 'Stop' or press <F2> to stop recording.");
        QTest::newRow("12.34 s") << 12.34f << kLine << "12.3   450   461   472   483" << running;
        QTest::newRow("12.35 s") << 12.35f << kLine << "12.4   450   461   472   483" << running;
        QTest::newRow("clock back") << -0.46f << kLine << "-.5   450   461   472   483" << running;
        QTest::newRow("rounding and signs")
            << 1.0f << QByteArray("9,451.6,0,-3,+2.5\r\n") << "1.0   452   0   -3   3" << running;
        // A damaged line is counted where the user looks and never becomes a reading.
        QTest::newRow("not a number")
            << 1.0f << "9,451.6,0,-3,abc\r\n" + kLine << "1.0   450   461   472   483"
            << running + "   (1 damaged line from the instrument ignored)";
    }
    void samplesAreStampedAndStored()
    {
        QFETCH(float, elapsed);
        QFETCH(QByteArray, frame);
        QFETCH(QString, line);
        QFETCH(QString, status);
        Rig rig;
        QVERIFY(rig.rows().isEmpty()); // the line that proves the logger sends is no reading
        QVERIFY(rig.port.calls.contains(QStringLiteral("setSettings 19200,N,8,1")));
        rig.tickAt(elapsed, frame);
        QCOMPARE(rig.rows(), QStringList{line});
        QCOMPARE(rig.runText(), line + "\r\n");
        QCOMPARE(rig.w->statusLine->text(), status);
        QVERIFY(rig.w->run().isUnsaved());
        QCOMPARE(rig.prompts.messageTexts(),
                 elapsed < 0 ? QStringList{"Fix. Negative time."} : QStringList{});
    }

    // A reading keeps the time its line arrived, however late the tick that takes it: two
    // readings never share a time, and a line split over two reads counts from its end.
    void aLateTickKeepsTheArrivalTime()
    {
        Rig rig;
        const auto arrive = [&rig](float seconds, const QByteArray& bytes) {
            rig.clock.seconds = rig.w->run().startClock() + seconds;
            rig.port.feed(bytes);
        };
        arrive(0.1f, "1,450,461,472,483\r\n");
        rig.tickAt(0.28f, {});
        arrive(0.32f, "1,451,461,");
        arrive(0.44f, "472,483\r\n");
        rig.tickAt(0.7f, {});
        rig.tickAt(0.8f, {}); // nothing new: nothing stored
        QCOMPARE(rig.rows(),
                 (QStringList{".1   450   461   472   483", ".4   451   461   472   483"}));
        QVERIFY(rig.prompts.messageTexts().isEmpty());
    }

    // Stop keeps the run and the open port; the next Start asks before discarding the run.
    void stopThenStartAsksAboutTheRun_data()
    {
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<bool>("newRun");
        QTest::newRow("cancel: nothing happens") << MsgAnswer::Cancel << false;
        QTest::newRow("yes, not saved: no new run") << MsgAnswer::Yes << false;
        QTest::newRow("no: a new run") << MsgAnswer::No << true;
    }
    void stopThenStartAsksAboutTheRun()
    {
        QFETCH(MsgAnswer, answer);
        QFETCH(bool, newRun);
        Rig rig;
        rig.tickAt(0.1f, kLine);
        rig.w->onFunctionKey(113); // F2 is Stop
        QVERIFY(rig.port.isOpen());
        rig.tickAt(0.2f, kLine);
        QCOMPARE(rig.rows().size(), 1);
        // The status line also says which unit the readings on screen are in.
        QVERIFY(rig.w->statusLine->text().endsWith(QStringLiteral("   Readings in Deg C.")));

        rig.prompts.messageAnswers = {answer};
        rig.w->onFunctionKey(112); // F1 is Start
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Save this recorded data?"});
        QCOMPARE(rig.w->saveAs, answer == MsgAnswer::Yes ? 1 : 0);
        QCOMPARE(rig.rows().size(), newRun ? 0 : 1);
        QCOMPARE(rig.w->run().isRecording(), newRun);
    }

    // A logger silent for the budget ends the run: the run so far stays, the window idles, and
    // the silent ticks made up no line.
    void silenceEndsTheRun()
    {
        Rig rig;
        rig.tickAt(0.1f, kLine);
        rig.tickAt(0.3f, {});
        QCOMPARE(rig.w->silenceBudget(), std::chrono::milliseconds(2000));
        QTRY_VERIFY_WITH_TIMEOUT(!rig.w->run().isRecording(), 5000);
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Not receiving data."});
        QCOMPARE(rig.rows(), QStringList{".1   450   461   472   483"});
    }

    // Coming back to the window during a run redraws the panel but must not restart the traces
    // from the chart's corner.
    void activationLeavesTheTracesAlone()
    {
        Rig rig;
        rig.tickAt(0.1f, "0,700,700,700,700\r\n"); // inside the 500-950 scale
        const ChartState before = rig.state.chart;
        QVERIFY(before.traceLastY[0] > 0);
        rig.w->onActivated();
        for (size_t i = 0; i < before.traceLastY.size(); ++i) { // NaN: a broken trace
            QCOMPARE(rig.state.chart.traceLastY[i], before.traceLastY[i]);
            QCOMPARE(rig.state.chart.traceLastX[i], before.traceLastX[i]);
        }
    }
};

QTEST_MAIN(TestRecording)
#include "test_recording.moc"
