// Recording a run: Start and Stop with their save prompt, the timer tick that reads, stamps and
// stores one sample, and what happens when the instrument falls silent or the clock goes back.

#include "gaugepanel.h"
#include "numconv.h"
#include "sampling.h"
#include "windowrig.h"

#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTimer>

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

struct Rig : WindowRig<Window> {
    Rig()
    {
        m.DegCFlag = 1;
        w->SwitchToTC();
    }
    // Start with a frame waiting, then the tick that arms the chart.
    void startRecording()
    {
        port.queue(kFrame);
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
    void runTimeIsRoundedToTenths_data()
    {
        QTest::addColumn<float>("elapsed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("12.34 s") << 12.34f << "12.3";
        QTest::newRow("12.35 s") << 12.35f << "12.4";
        QTest::newRow("below a second") << 0.4f << ".4";
        QTest::newRow("after the clock went back") << -0.46f << "-.5";
    }
    void runTimeIsRoundedToTenths()
    {
        QFETCH(float, elapsed);
        QFETCH(QString, shown);
        const float start = 36000.0f;
        QCOMPARE(
            num::Format(RunTimeOfSample(start + elapsed, start), QStringLiteral("#########.0")),
            shown);
    }

    void samplesAreStampedAndStored()
    {
        Rig rig;
        rig.startRecording();
        QCOMPARE(rig.w->StopFlag, qint16(0));
        QCOMPARE(rig.m.ChartStarted, qint16(1));
        QVERIFY(rig.rows().isEmpty()); // the tick that arms the chart stores nothing
        QVERIFY(rig.w->Timer1->isActive());
        QCOMPARE(rig.w->Timer1->interval(), 100);
        QVERIFY(rig.port.calls.contains(QStringLiteral("setSettings 19200,N,8,1")));

        rig.tickAt(0.12f);
        rig.tickAt(12.35f, "\r\n9,451.6,0,-3,abc\r\n");
        const QStringList expected{QStringLiteral(".1   450   461   472   483"),
                                   QStringLiteral("12.4   452   0   -3   0")};
        QCOMPARE(rig.rows(), expected);
        QCOMPARE(rig.w->Text1.Text, expected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        QCOMPARE(rig.w->List1->currentRow(), 1);
        QCOMPARE(rig.w->Label1[0]->text(), QStringLiteral("12.4"));
        QCOMPARE(rig.w->label6Caption(0), QStringLiteral("452"));
        QCOMPARE(rig.w->Label1[3]->text(),
                 QStringLiteral("Click on 'Stop' or press <F2> to stop recording."));
        QCOMPARE(rig.m.DataNotSaved, qint16(1));
        QVERIFY(rig.prompts.messages.empty());
    }

    void stopKeepsTheRunAndIdles()
    {
        Rig rig;
        rig.startRecording();
        rig.tickAt(0.1f);
        rig.w->Label2[1]->show();
        rig.w->Command1_Click(1);
        QVERIFY(rig.w->Label2[1]->isHidden());
        rig.tickAt(0.2f);
        QCOMPARE(rig.rows().size(), 1);
        QCOMPARE(rig.w->Label1[3]->text(),
                 QStringLiteral("Click on 'Start' or press <F1> to start recording data."));
        QVERIFY(rig.port.isOpen()); // Stop leaves the port open
    }

    void startAsksBeforeDiscardingARun_data()
    {
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<int>("saveAs");
        QTest::addColumn<int>("rowsAfter");
        QTest::addColumn<int>("stopFlag");
        QTest::newRow("cancel: nothing happens") << MsgAnswer::Cancel << 0 << 1 << 1;
        QTest::newRow("yes: saved, no new run") << MsgAnswer::Yes << 1 << 1 << 1;
        QTest::newRow("no: the run is discarded") << MsgAnswer::No << 0 << 0 << 0;
    }
    void startAsksBeforeDiscardingARun()
    {
        QFETCH(MsgAnswer, answer);
        QFETCH(int, saveAs);
        QFETCH(int, rowsAfter);
        QFETCH(int, stopFlag);
        Rig rig;
        rig.startRecording();
        rig.tickAt(0.1f);
        rig.w->Command1_Click(1);
        rig.prompts.messageAnswers = {answer};
        rig.port.queue(kFrame);
        rig.w->Form_KeyDown(112); // F1 is Start
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Save this recorded data?"});
        QCOMPARE(rig.w->saveAs, saveAs);
        QCOMPARE(rig.rows().size(), rowsAfter);
        QCOMPARE(int(rig.w->StopFlag), stopFlag);
    }

    void silentInstrumentAtStartIsReported()
    {
        Rig rig;
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
        rig.startRecording();
        rig.tickAt(0.1f);
        rig.tickAt(0.3f, {});
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Not receiving data."});
        QCOMPARE(rig.rows(),
                 (QStringList{".1   450   461   472   483", ".3   450   461   472   483"}));
        rig.tickAt(0.5f);
        QCOMPARE(rig.rows().size(), 2);
        QCOMPARE(rig.prompts.messages.size(), size_t(1));
    }

    void negativeTimeIsReportedAndStored()
    {
        Rig rig;
        rig.startRecording();
        rig.tickAt(-0.5f);
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Fix. Negative time."});
        QCOMPARE(rig.rows(), QStringList{"-.5   450   461   472   483"});
    }

    // A tick that comes due while another waits for its frame must not start a second read.
    void tickDuringAWaitIsDropped()
    {
        Rig rig;
        rig.startRecording();
        int nested = 0;
        rig.port.onRead = [&] {
            if (nested++ == 0)
                rig.w->Timer1_Timer();
        };
        rig.tickAt(0.1f);
        QCOMPARE(rig.rows().size(), 1);
    }
};

QTEST_MAIN(TestRecording)
#include "test_recording.moc"
