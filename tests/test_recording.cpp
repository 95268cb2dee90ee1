// Recording in the window: each tick stores the newest reading; an activation keeps the traces.

#include "windowrig.h"

#include <QLabel>

namespace
{

const QByteArray kLine = "0,450,461,472,483\r\n";

struct Rig : WindowRig<> {
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
        QTest::addColumn<QString>("damaged"); // what the status line adds
        QTest::newRow("rounding and signs")
            << 12.35f << QByteArray("9,451.6,0,-3,+2.5\r\n") << "12.4   452   0   -3   3"
            << "";
        QTest::newRow("clock back") << -0.46f << kLine << "-.5   450   461   472   483"
                                    << "";
        // A damaged line is counted where the user looks and never becomes a reading.
        QTest::newRow("garbled number")
            << 1.0f << "9,451.6,0,-3,4x5\r\n" + kLine << "1.0   450   461   472   483"
            << "   (1 damaged line from the instrument ignored)";
    }
    void samplesAreStampedAndStored()
    {
        QFETCH(float, elapsed);
        QFETCH(QByteArray, frame);
        QFETCH(QString, line);
        QFETCH(QString, damaged);
        Rig rig;
        QVERIFY(rig.rows().isEmpty()); // the line that proves the logger sends is no reading
        rig.tickAt(elapsed, frame);
        QCOMPARE(rig.rows(), QStringList{line});
        QCOMPARE(rig.runText(), line + "\r\n");
        QCOMPARE(controls(rig.w).statusLine->text(),
                 "Click on 'Stop' or press <F2> to stop recording." + damaged);
        QVERIFY(rig.w->run().isUnsaved());
        QCOMPARE(rig.prompts.messageTexts(),
                 elapsed < 0 ? QStringList{"Fix. Negative time."} : QStringList{});
    }

    // An activation redraws the panel but must not restart the traces from the chart's corner.
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
