#pragma once
// The contact points a main window under test or measurement is given. For code that links
// tr_window.

#include "fakeclock.h"
#include "fakelauncher.h"
#include "fakeseriallink.h"
#include "mainwindow.h"
#include "scriptedprompts.h"

#include <vector>

// Program folder, dialogs, clock and port; ending the program does nothing. Yields and the
// frame reader's clock are the program's own.
inline WindowServices BasicServices(const QString& programFolder, Prompts& prompts, Clock& clock,
                                    SerialLink& port)
{
    return MakeWindowServices(programFolder, prompts, clock, port);
}

// Every contact point scripted, outside programs recorded, the program's end only counted.
struct ScriptedContacts {
    ScriptedPrompts prompts;
    FakeClock clock;
    FakeSerialLink port;
    FakeLauncher launcher;
    int ended = 0;
    qint64 elapsedMs = 0;
    std::vector<bool> existing = std::vector<bool>(17, false); // COM ports the search finds

    ScriptedContacts()
    {
        clock.secondsPerDateTimeRead = 1; // the start-up measurement ends at its first look
    }
    ScriptedContacts(const ScriptedContacts&) = delete;
    ScriptedContacts& operator=(const ScriptedContacts&) = delete;

    WindowServices services(const QString& programFolder)
    {
        WindowServices s = BasicServices(programFolder, prompts, clock, port);
        s.endProgram = [this] { ++ended; };
        s.comPortExists = [this](int n) { return n >= 1 && n <= 16 && existing[n]; };
        s.launcher = &launcher;
        s.printWait = std::chrono::milliseconds(0);
        s.elapsedMs = [this] { return elapsedMs; };
        return s;
    }
};
