// From the menu to the readings against the instrument simulator through the real serial port.

#include "gaugepanel.h"
#include "qtseriallink.h"
#include "readinglistview.h"
#include "simulatorprocess.h"
#include "windowcontrols.h"
#include "windowservices.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace
{
constexpr int kPort = 3;
} // namespace

class TestWindowInstrument : public QObject
{
    Q_OBJECT

    struct Rig {
        QTemporaryDir dir;
        ProgramState state;
        ScriptedPrompts prompts;
        SystemClock clock;
        std::unique_ptr<QtSerialLink> port;
        std::unique_ptr<MainWindow> window;
        SimulatorProcess sim{dir.path()};

        // Empty `lines`: the simulator's engine makes the frames.
        bool start(const QStringList& simArgs, const QByteArray& lines = "7,450,461,472,483\n")
        {
            QFile frames(dir.filePath(QStringLiteral("frames.txt")));
            if (!lines.isEmpty() &&
                (!frames.open(QIODevice::WriteOnly) || frames.write(lines) != lines.size()))
                return false;
            frames.close();
            const QStringList feed =
                lines.isEmpty() ? QStringList{} : QStringList{"--frames", frames.fileName()};
            if (!sim.start(kPort, feed + simArgs))
                return false;
            port = std::make_unique<QtSerialLink>(dir.path());
            window = std::make_unique<MainWindow>(state,
                                                  BasicServices(dir.path(), prompts, clock, *port));
            window->load();
            return true;
        }
    };

private slots:
    // A port found and chosen in the window; channel 1 numbers each line, so a loss shows.
    void everyLineBecomesARow_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("clean line") << "none";
        QTest::newRow("lines cut short") << "partial";
        QTest::newRow("CR or LF alone ends each line") << "nocrlf";
    }
    void everyLineBecomesARow()
    {
        QFETCH(QString, fault);
        QByteArray lines;
        for (int k = 0; k < 2000; ++k)
            lines += QByteArray::number(k) + "," + QByteArray::number(100 + k) + ".0,461,472,483\n";
        Rig rig;
        if (!rig.start({"--rate", "10", "--fault", fault}, lines))
            QSKIP(qPrintable(rig.sim.why()));
        MainWindow& w = *rig.window;
        const WindowControls c(w);
        w.onFindPorts();
        QCOMPARE(c.portList->count(), 1);
        QCOMPARE(c.portList->currentText(), QString::number(kPort));
        rig.prompts.inputAnswers = {QString::number(kPort)};
        w.action(QStringLiteral("mnuComPort1"))->trigger();
        QVERIFY(rig.prompts.inputs.at(0).prompt.endsWith(QStringLiteral("\r\r   3")));
        rig.state.settings.degreesCelsius = 1;
        w.applyThermocoupleMode();
        w.onRecordButton(MainWindow::StartButton);
        QTRY_VERIFY_WITH_TIMEOUT(c.readingList->count() >= 30, 20000);
        w.onRecordButton(MainWindow::StopButton);
        const int rows = c.readingList->count();
        QTest::qWait(300);
        QCOMPARE(c.readingList->count(), rows); // Stop ends the sampling
        QCOMPARE(w.run().size(), qsizetype(rows));

        int consecutive = 0, previous = 99;
        for (int i = 0; i < rows; ++i) { // never a value that was not sent
            const QStringList fields = c.readingList->text(i).split(QStringLiteral("   "));
            QCOMPARE(fields.mid(2), (QStringList{"461", "472", "483"}));
            const int reading = fields[1].toInt();
            QVERIFY2(reading > previous && reading < 2100, qPrintable(c.readingList->text(i)));
            consecutive += reading == previous + 1;
            previous = reading;
        }
        const double seconds = c.readingList->text(rows - 1).section(' ', 0, 0).toDouble() -
                               c.readingList->text(0).section(' ', 0, 0).toDouble();
        if (fault != QLatin1String("partial")) {
            // A late tick is allowed; a reader dropping every second line would fail both.
            QVERIFY2(consecutive >= (rows - 1) * 3 / 4, qPrintable(QString::number(consecutive)));
            QVERIFY2((rows - 1) / seconds > 7.0, qPrintable(QString::number((rows - 1) / seconds)));
        } else {
            QVERIFY(c.statusLine->text().contains(QStringLiteral("damaged line")));
        }
        QCOMPARE(rig.prompts.unexpected, 0);
    }

    // One open probe: its channel has no reading in any row, the other three go on, and no
    // line is thrown away as damaged.
    void anOpenProbeLeavesTheOtherChannels()
    {
        Rig rig;
        if (!rig.start({"--open-channel", "2"}, QByteArray()))
            QSKIP(qPrintable(rig.sim.why()));
        MainWindow& w = *rig.window;
        const WindowControls c(w);
        rig.state.settings.comPorts[0] = kPort;
        w.onRecordButton(MainWindow::StartButton);
        QTRY_VERIFY_WITH_TIMEOUT(w.run().size() >= 10, 20000);
        w.onRecordButton(MainWindow::StopButton);
        for (qsizetype r = 0; r < w.run().size(); ++r) {
            const RunSample& s = w.run().sample(r);
            QVERIFY(!HasReading(s.values[1]));
            QVERIFY(HasReading(s.values[0]) && HasReading(s.values[2]) && HasReading(s.values[3]));
        }
        QVERIFY(!c.statusLine->text().contains(QStringLiteral("damaged")));
        QVERIFY(c.temperaturePanel->accessibleDescription().contains(
            QStringLiteral("Ch 2: no reading")));
    }

    // An adapter pulled mid-run and plugged in again under the same link: the run goes on, one
    // run in time order with the outage as a gap, and no message waits to be answered.
    void aPulledAdapterRejoinsTheRun()
    {
        Rig rig;
        if (!rig.start({"--fault", "unplug", "--fault-after", "1.5", "--outage", "3"}, {}))
            QSKIP(qPrintable(rig.sim.why()));
        MainWindow& w = *rig.window;
        const WindowControls c(w);
        rig.state.settings.comPorts[0] = kPort;
        w.onRecordButton(MainWindow::StartButton);
        QTRY_VERIFY_WITH_TIMEOUT(
            c.statusLine->text().startsWith("Logger on COM3 disconnected, waiting for it \u2014 "),
            8000);
        const qsizetype before = w.run().size();
        QVERIFY(before >= 3);
        QTRY_VERIFY_WITH_TIMEOUT(w.run().size() >= before + 10, 15000);
        QVERIFY(w.run().isRecording());
        QVERIFY(!c.statusLine->text().contains(QStringLiteral("disconnected")));
        float gap = 0;
        for (qsizetype r = 1; r < w.run().size(); ++r) {
            const float step = w.run().sample(r).time - w.run().sample(r - 1).time;
            QVERIFY(step > 0);
            gap = std::max(gap, step);
        }
        QVERIFY2(gap >= 2.5f, qPrintable(QString::number(gap)));
        // Both ends of the outage are events, placed at the gap.
        const std::vector<RunEvent>& events = w.run().events();
        QCOMPARE(events.size(), size_t(2));
        QCOMPARE(events[0].text, QStringLiteral("logger disconnected"));
        QCOMPARE(events[1].text, QStringLiteral("logger reconnected"));
        const qsizetype lastBefore = w.run().eventPlace(0) - 1;
        QCOMPARE(w.run().eventPlace(1), lastBefore + 2);
        QVERIFY(w.run().sample(lastBefore).time <= events[0].time);
        QCOMPARE(events[1].time, w.run().sample(lastBefore + 1).time);
        QVERIFY(events[1].time - events[0].time >= 2.0f);
        QCOMPARE(c.readingList->text(int(lastBefore + 1)),
                 FormatRunTime(events[0].time) + "   Event: logger disconnected");
        QCOMPARE(rig.prompts.messageTexts(), QStringList{});
    }

    // An instrument gone for good mid-run: no message waits to be answered, the readings stay,
    // the status line counts the wait, no dead descriptor is kept, and Stop ends the run.
    void aGoneInstrumentLeavesTheRunWaiting()
    {
        Rig rig;
        if (!rig.start({"--fault", "disconnect", "--fault-after", "1"}))
            QSKIP(qPrintable(rig.sim.why()));
        MainWindow& w = *rig.window;
        const WindowControls c(w);
        rig.state.settings.comPorts[0] = kPort;
        w.onRecordButton(MainWindow::StartButton);
        QTRY_VERIFY_WITH_TIMEOUT(c.statusLine->text().startsWith("Logger on COM3 disconnected"),
                                 int(w.silenceBudget().count()) + 5000);
        QVERIFY(w.run().size() >= 3);
        QVERIFY(w.run().isRecording());
        QVERIFY(!rig.port->isOpen());
        QCOMPARE(rig.prompts.messageTexts(), QStringList{});
        w.onRecordButton(MainWindow::StopButton);
        QVERIFY(!w.run().isRecording());
    }
};

QTEST_MAIN(TestWindowInstrument)
#include "test_window_instrument.moc"
