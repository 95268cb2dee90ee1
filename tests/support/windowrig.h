#pragma once
// A main window with every contact point scripted: a scratch program folder (with an optional
// settings file), scripted dialogs, a hand-set clock, a scripted serial port, recorded outside
// programs, and an end of the program that is only counted. Yields do nothing, so waits for a
// frame run through their passes at once. For tests that link tr_window.

#include "configfile.h"
#include "fakeclock.h"
#include "fakelauncher.h"
#include "fakeseriallink.h"
#include "scriptedprompts.h"
#include "vovirezoza.h"

#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <vector>

template <typename Window = VoviRezoZA> struct WindowRig {
    QTemporaryDir dir;
    Module1 m;
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
        if (!config.isNull()) {
            QFile f(folder + QLatin1Char('/') + kConfigFileName);
            if (f.open(QIODevice::WriteOnly))
                f.write(config);
        }
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
        w = std::make_unique<Window>(m, s);
        w->Form_Load();
    }
    QByteArray read(const QString& path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QByteArray configOnDisk() const { return read(folder + QLatin1Char('/') + kConfigFileName); }
    bool checked(const char* name) const { return w->action(name)->isChecked(); }
};
