// Recording a run: Start and Stop with their save prompt, the timer tick that reads, stamps and
// stores one sample, and what happens when the instrument falls silent or the clock goes back.

#include "windowrig.h"

#include <QLabel>
#include <QListWidget>
#include <QTest>

namespace
{

const QByteArray kFrame = "\r\n0,450,461,472,483\r\n";

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
    void tickAt(float seconds, const QByteArray& received = kFrame)
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
            r << w->List1->item(i)->text();
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
        QTest::newRow("12.34 s") << 12.34f << kFrame << "12.3   450   461   472   483";
        QTest::newRow("12.35 s") << 12.35f << kFrame << "12.4   450   461   472   483";
        QTest::newRow("below 1 s") << 0.4f << kFrame << ".4   450   461   472   483";
        QTest::newRow("clock back") << -0.46f << kFrame << "-.5   450   461   472   483";
        QTest::newRow("odd fields")
            << 1.0f << QByteArray("\r\n9,451.6,0,-3,abc\r\n") << "1.0   452   0   -3   0";
    }
    void samplesAreStampedAndStored()
    {
        QFETCH(float, elapsed);
        QFETCH(QByteArray, frame);
        QFETCH(QString, line);
        Rig rig;
        QVERIFY(rig.rows().isEmpty()); // the tick that arms the chart stores nothing
        QVERIFY(rig.port.calls.contains(QStringLiteral("setSettings 19200,N,8,1")));
        rig.tickAt(elapsed, frame);
        QCOMPARE(rig.rows(), QStringList{line});
        QCOMPARE(rig.w->Text1.Text, line + "\r\n");
        QCOMPARE(rig.w->Label1[0]->text(), line.section(QLatin1Char(' '), 0, 0));
        QCOMPARE(rig.w->Label1[3]->text(),
                 QStringLiteral("Click on 'Stop' or press <F2> to stop recording."));
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
        QCOMPARE(rig.w->Label1[3]->text(),
                 QStringLiteral("Click on 'Start' or press <F1> to start recording data."));

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

    // The run so far stays; one last line with the previous readings, then the window idles.
    void instrumentFallingSilentEndsTheRun()
    {
        Rig rig;
        rig.tickAt(0.1f);
        rig.tickAt(0.3f, {});
        rig.tickAt(0.5f);
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Not receiving data."});
        QCOMPARE(rig.rows(),
                 (QStringList{".1   450   461   472   483", ".3   450   461   472   483"}));
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
