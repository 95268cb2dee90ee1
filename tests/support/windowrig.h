#pragma once
// A main window with every contact point scripted: a scratch program folder (with an optional
// settings file), scripted dialogs, a hand-set clock, a scripted serial port, recorded outside
// programs, and an end of the program that is only counted. Yields do nothing, so waits for a
// frame run through their passes at once. For tests that link tr_window.

#include "configfile.h"
#include "fakeclock.h"
#include "fakelauncher.h"
#include "fakeseriallink.h"
#include "mainwindow.h"
#include "readinglistview.h"
#include "scriptedprompts.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

// A window whose Save As is only counted.
class SaveAsCounted final : public MainWindow
{
public:
    using MainWindow::MainWindow;
    void onSaveAs() override { ++saveAs; }
    int saveAs = 0;
};

template <typename Window = MainWindow> struct WindowRig {
    QTemporaryDir dir;
    ProgramState state;
    ScriptedPrompts prompts;
    FakeClock clock;
    FakeSerialLink port;
    FakeLauncher launcher;
    int ended = 0;
    qint64 elapsedMs = 0;
    std::vector<bool> existing = std::vector<bool>(17, false); // COM ports FindCom finds
    std::unique_ptr<Window> w;

    QString folder; // the program folder: the scratch one unless a test names another

    explicit WindowRig(const QByteArray& config = {}, const QString& programFolder = {})
        : folder(programFolder.isEmpty() ? dir.path() : programFolder)
    {
        if (!config.isNull())
            write(folder + QLatin1Char('/') + kConfigFileName, config);
        clock.secondsPerDateTimeRead = 1; // the start-up measurement ends at once
        WindowServices s;
        s.programFolder = folder;
        s.prompts = &prompts;
        s.clock = &clock;
        s.port = &port;
        s.endProgram = [this] { ++ended; };
        s.comPortExists = [this](int n) { return n >= 1 && n <= 16 && existing[n]; };
        s.yieldWaiting = [] {};
        s.yieldNow = [] {};
        s.launcher = &launcher;
        s.printWait = [] {};
        // Waits for the port take no real time: the frame reader's clock moves by each wait.
        port.onWait = [this](std::chrono::milliseconds t) { elapsedMs += t.count(); };
        s.elapsedMs = [this] { return elapsedMs; };
        w = std::make_unique<Window>(state, s);
        w->load();
    }
    QByteArray read(const QString& path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QString& path, const QByteArray& bytes) const
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    QByteArray configOnDisk() const { return read(folder + QLatin1Char('/') + kConfigFileName); }
    bool checked(const char* name) const { return w->action(name)->isChecked(); }
    QString data(const QString& name) const { return folder + QStringLiteral("/TCFiles/") + name; }
    QStringList rows() const
    {
        QStringList r;
        for (int i = 0; i < w->readingList->count(); ++i)
            r << w->readingList->text(i);
        return r;
    }
    void show()
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void saveAs(const QString& path)
    {
        prompts.fileAnswers = {path};
        w->action("mnuSaveAs")->trigger();
    }
    // Start in degrees C, where readings are stored as they come; the first tick arms the chart.
    void startInC(const QByteArray& firstFrame = "\r\n0,450,461,472,483\r\n")
    {
        state.settings.degreesCelsius = 1;
        w->applyThermocoupleMode();
        port.queue(firstFrame);
        w->onRecordButton(0);
        w->onSampleTick();
    }
    // The tick `seconds` into the run, with `received` arriving first (empty: nothing).
    void tickAt(float seconds, const QByteArray& received)
    {
        clock.seconds = state.chart.runStartClock + seconds;
        if (!received.isEmpty())
            port.queue(received);
        w->onSampleTick();
    }
};
