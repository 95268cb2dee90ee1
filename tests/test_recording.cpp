// Recording a run: Start and Stop with their save prompt, the timer tick that reads, stamps and
// stores one sample, and what happens when the instrument falls silent or the clock goes back.

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
    // Each tick stores one line: the run time in tenths, then the readings as whole numbers.
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
        // A damaged line is counted where the user looks and never becomes a reading; the tick
        // takes the next good line instead.
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
        QVERIFY(rig.rows().isEmpty()); // the tick that arms the chart stores nothing
        QVERIFY(rig.port.calls.contains(QStringLiteral("setSettings 19200,N,8,1")));
        rig.tickAt(elapsed, frame);
        QCOMPARE(rig.rows(), QStringList{line});
        QCOMPARE(rig.w->runText(), line + "\r\n");
        QCOMPARE(rig.w->statusLine->text(), status);
        QCOMPARE(rig.state.run.dataNotSaved, qint16(1));
        QCOMPARE(rig.prompts.messageTexts(),
                 elapsed < 0 ? QStringList{"Fix. Negative time."} : QStringList{});
    }

    // Stop keeps the run and the open port; the next Start asks before discarding the run.
    void stopThenStartAsksAboutTheRun_data()
    {
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<bool>("newRun");
        QTest::newRow("cancel: nothing happens") << MsgAnswer::Cancel << false;
        QTest::newRow("yes: saved, no new run") << MsgAnswer::Yes << false;
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
        rig.port.queue("\r\n" + kLine);
        rig.w->onFunctionKey(112); // F1 is Start
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Save this recorded data?"});
        QCOMPARE(rig.w->saveAs, answer == MsgAnswer::Yes ? 1 : 0);
        QCOMPARE(rig.rows().size(), newRun ? 0 : 1);
        QCOMPARE(rig.w->notSampling, qint16(newRun ? 0 : 1));
    }

    // Silence at Start or during a run ends it: the run so far stays, the window idles, and no
    // line is made up for the silent tick.
    void silenceEndsTheRun()
    {
        WindowRig<> idle;
        idle.w->onRecordButton(MainWindow::StartButton);
        QCOMPARE(idle.prompts.messageTexts(), QStringList{"Not receiving data."});
        QCOMPARE(idle.w->notSampling, qint16(1));

        Rig rig;
        rig.tickAt(0.1f, kLine);
        rig.tickAt(0.3f, {});
        rig.tickAt(0.5f, kLine);
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Not receiving data."});
        QCOMPARE(rig.rows(), QStringList{".1   450   461   472   483"});
        QCOMPARE(rig.w->notSampling, qint16(1));
    }

    // A 10 Hz instrument feeds every tick: lines that arrive together are taken one a tick,
    // none is dropped, and a line split over two reads is joined.
    void everyLineOfASteadyInstrumentIsStored()
    {
        Rig rig;
        rig.tickAt(0.1f, "1,450,461,472,483\r\n2,451,461,472,483\r\n3,45");
        rig.tickAt(0.2f, {});
        rig.tickAt(0.3f, "2,461,472,483\r\n");
        QCOMPARE(rig.rows(),
                 (QStringList{".1   450   461   472   483", ".2   451   461   472   483",
                              ".3   452   461   472   483"}));
        QVERIFY(rig.prompts.messageTexts().isEmpty());
    }

    // A tick that comes due while another waits for its frame must not start a second read;
    // coming back to the window during a run redraws the panel but must not restart the traces
    // from the chart's corner.
    void reentryLeavesTheRunAlone()
    {
        Rig rig;
        int nested = 0;
        rig.port.onRead = [&] {
            if (nested++ == 0)
                rig.w->onSampleTick();
        };
        rig.tickAt(0.1f, "\r\n0,700,700,700,700\r\n"); // inside the 500-950 scale
        QCOMPARE(rig.rows().size(), 1);
        const std::vector<float> lastY = rig.state.chart.traceLastY,
                                 lastX = rig.state.chart.traceLastX;
        QVERIFY(lastY[0] > 0);
        rig.w->onActivated();
        QCOMPARE(rig.state.chart.traceLastY, lastY);
        QCOMPARE(rig.state.chart.traceLastX, lastX);
    }
};

QTEST_MAIN(TestRecording)
#include "test_recording.moc"
