// Recording a run: Start and Stop with their save prompt, the timer tick that reads, stamps and
// stores one sample, and what happens when the instrument falls silent or the clock goes back.

#include "windowrig.h"

#include "readinglistview.h"
#include <QLabel>
#include <QTest>

namespace
{

// What a freshly opened port receives: the end of a line already gone, then a whole line.
const QByteArray kFrame = "\r\n0,450,461,472,483\r\n";
// Each later line, as the instrument sends it.
const QByteArray kLine = "0,450,461,472,483\r\n";

class Window final : public VoviRezoZA
{
public:
    using VoviRezoZA::VoviRezoZA;
    void mnuSaveAs_Click() override { ++saveAs; }
    int saveAs = 0;
};

// In degrees C, where readings are stored as they come; recording unless told not to.
struct Rig : WindowRig<Window> {
    explicit Rig(bool start = true)
    {
        m.DegCFlag = 1;
        w->SwitchToTC();
        if (!start)
            return;
        port.queue(kFrame); // Start finds a frame waiting; the first tick arms the chart

        w->Command1_Click(0);
        w->Timer1_Timer();
    }
    void tickAt(float seconds, const QByteArray& received = kLine)
    {
        clock.seconds = m.RecordStartTimer + seconds;
        if (!received.isEmpty())
            port.queue(received);
        w->Timer1_Timer();
    }
    QStringList rows() const
    {
        QStringList r;
        for (int i = 0; i < w->List1->count(); ++i)
            r << w->List1->text(i);
        return r;
    }
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
        const QString ignored = running + "   (1 damaged line from the instrument ignored)";
        QTest::newRow("12.34 s") << 12.34f << kLine << "12.3   450   461   472   483" << running;
        QTest::newRow("12.35 s") << 12.35f << kLine << "12.4   450   461   472   483" << running;
        QTest::newRow("below 1 s") << 0.4f << kLine << ".4   450   461   472   483" << running;
        QTest::newRow("clock back") << -0.46f << kLine << "-.5   450   461   472   483" << running;
        QTest::newRow("rounding and signs")
            << 1.0f << QByteArray("9,451.6,0,-3,+2.5\r\n") << "1.0   452   0   -3   3" << running;
        // A damaged line is counted where the user looks and never becomes a reading; the tick
        // takes the next good line instead.
        QTest::newRow("not a number")
            << 1.0f << "9,451.6,0,-3,abc\r\n" + kLine << "1.0   450   461   472   483" << ignored;
        QTest::newRow("two lines run together") << 1.0f
                                                << "7,450.1,46"
                                                   "8,450.2,461.0,470.3,480.9\r\n" +
                                                       kLine
                                                << "1.0   450   461   472   483" << ignored;
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
        QCOMPARE(rig.w->Label1[0]->text(), line.section(QLatin1Char(' '), 0, 0));
        QCOMPARE(rig.w->Label1[3]->text(), status);
        QCOMPARE(rig.m.DataNotSaved, qint16(1));
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
        rig.tickAt(0.1f);
        rig.w->Form_KeyDown(113); // F2 is Stop
        QVERIFY(rig.port.isOpen());
        rig.tickAt(0.2f);
        QCOMPARE(rig.rows().size(), 1);
        // The status line also says which unit the readings on screen are in.
        QCOMPARE(rig.w->Label1[3]->text(),
                 QStringLiteral("Click on 'Start' or press <F1> to start recording data."
                                "   Readings in Deg C."));

        rig.prompts.messageAnswers = {answer};
        rig.port.queue(kFrame);
        rig.w->Form_KeyDown(112); // F1 is Start
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Save this recorded data?"});
        QCOMPARE(rig.w->saveAs, answer == MsgAnswer::Yes ? 1 : 0);
        QCOMPARE(rig.rows().size(), newRun ? 0 : 1);
        QCOMPARE(rig.w->StopFlag, qint16(newRun ? 0 : 1));
    }

    void silentInstrumentAtStartIsReported()
    {
        Rig rig(false);
        rig.w->Command1_Click(0);
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Not receiving data."});
        QCOMPARE(rig.w->StopFlag, qint16(1));
        rig.w->Timer1_Timer();
        QVERIFY(rig.rows().isEmpty());
    }

    // The run so far stays and the window idles; no line is made up for the silent tick.
    void instrumentFallingSilentEndsTheRun()
    {
        Rig rig;
        rig.tickAt(0.1f);
        rig.tickAt(0.3f, {});
        rig.tickAt(0.5f);
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Not receiving data."});
        QCOMPARE(rig.rows(), QStringList{".1   450   461   472   483"});
        QCOMPARE(rig.w->StopFlag, qint16(1));
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

    // A tick that comes due while another waits for its frame must not start a second read.
    void tickDuringAWaitIsDropped()
    {
        Rig rig;
        int nested = 0;
        rig.port.onRead = [&] {
            if (nested++ == 0)
                rig.w->Timer1_Timer();
        };
        rig.tickAt(0.1f);
        QCOMPARE(rig.rows().size(), 1);
    }

    // Coming back to the window during a run redraws the panel but must not restart the
    // traces from the chart's corner.
    void activationKeepsTheTraces()
    {
        Rig rig;
        rig.tickAt(0.1f, "\r\n0,700,700,700,700\r\n"); // inside the 500-950 scale
        const std::vector<float> lastY = rig.m.TraceLastY, lastX = rig.m.TraceLastX;
        QVERIFY(lastY[0] > 0);
        rig.w->Form_Activate();
        QCOMPARE(rig.m.TraceLastY, lastY);
        QCOMPARE(rig.m.TraceLastX, lastX);
    }
};

QTEST_MAIN(TestRecording)
#include "test_recording.moc"
