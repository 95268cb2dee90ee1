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
    std::vector<bool> existing = std::vector<bool>(17, false); // COM ports FindCom finds
    std::unique_ptr<Window> w;

    explicit WindowRig(const QByteArray& config = {})
    {
        if (!config.isNull()) {
            QFile f(dir.filePath(kConfigFileName));
            if (f.open(QIODevice::WriteOnly))
                f.write(config);
        }
        clock.secondsPerDateTimeRead = 1; // the start-up measurement ends at once
        WindowServices s;
        s.programFolder = dir.path();
        s.prompts = &prompts;
        s.clock = &clock;
        s.port = &port;
        s.endProgram = [this] { ++ended; };
        s.comPortExists = [this](int n) { return n >= 1 && n <= 16 && existing[n]; };
        s.yieldWaiting = [] {};
        s.yieldNow = [] {};
        s.launcher = &launcher;
        s.printWait = [] {};
        w = std::make_unique<Window>(m, s);
        w->Form_Load();
    }
    QByteArray read(const QString& path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QByteArray configOnDisk() const { return read(dir.filePath(kConfigFileName)); }
    bool checked(const char* name) const { return w->action(name)->isChecked(); }
};
