#pragma once
// What bench-longrun's measurements share: process figures, the scripted window they run, and
// opening and saving long data files.

#include "mainwindow.h"
#include "threadcpu.h"
#include "windowservices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QTemporaryDir>
#include <QWindow>
#include <functional>
#include <memory>
#include <vector>

// A field of /proc/self/status in MB ("VmRSS", "VmHWM").
double statusMb(const char* field);
double rssMb();
// Under valgrind --tool=callgrind --instr-atstart=no, each measured window becomes one dump
// of its own ("rows N"), so the cost of a sample at row 100 and at row 800,000 can be compared
// function by function. Without valgrind these do nothing.
void profileWindowBegins();
void profileWindowEnds(int firstRow);
const char* verdict(bool ok);
// Bytes of the file at `path`; -1 when there is none.
qint64 fileSize(const QString& path);

// Counts paint events of the widgets it watches, and notes what had happened at the first.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    std::function<void()> onFirstPaint;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            if (paints++ == 0 && onFirstPaint)
                onFirstPaint();
        }
        return QObject::eventFilter(watched, event);
    }
};

// The window with every contact point scripted, as the window tests build it.
struct Rig : ScriptedContacts {
    QTemporaryDir dir;
    ProgramState state;
    // When set, the window reads this clock, and the silence budget is measured on the real
    // monotonic clock (the start-up measurement then takes as long as it does in the program).
    Clock* clockInstead = nullptr;
    std::unique_ptr<MainWindow> w;

    // Only the window: load and show are the caller's, so that they can be timed.
    void build()
    {
        WindowServices s = services(dir.path());
        if (clockInstead) {
            s.clock = clockInstead;
            s.elapsedMs = {};
        }
        w = std::make_unique<MainWindow>(state, s);
    }
    bool exposed() const { return w->windowHandle() && w->windowHandle()->isExposed(); }
    void waitExposed()
    {
        QElapsedTimer t;
        t.start();
        while (!exposed() && t.elapsed() < 5000)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    // Seconds a Save As to `path` takes, up to the next turn of the event loop.
    double timedSaveAs(const QString& path)
    {
        prompts.fileAnswers.push_back(path);
        QElapsedTimer t;
        t.start();
        w->onSaveAs();
        QCoreApplication::processEvents();
        return t.nsecsElapsed() * 1e-9;
    }
    // Built, loaded, shown and past the start-up measurement, as a user finds it.
    void ready()
    {
        build();
        w->load();
        w->show();
        waitExposed();
        w->afterShown();
        QCoreApplication::processEvents();
    }
};

// A data file of `rows` sample lines 0.1 s apart, each formatted as the run formats its rows.
bool writeDataFile(const QString& path, int rows, qint16 degreesCelsius, qint16 channelCount);

struct Open {
    int rows = 0;
    int sectionTime = 0;
    double openS = -1;
    qsizetype rowsShown = 0;
    double longestGapMs = 0;
    double longestGapAtMs = 0;    // when the longest gap began, from the start of the Open
    double longestLaterGapMs = 0; // of the gaps after the event loop's first turn
    int ticks = 0;
    double rssMb = 0;
    size_t messages = 0;
    double saveAsS = -1; // of the opened run, to another file
    qint64 saveAsBytes = 0;
};

// Opens the file in a window just started, with the chart's section time `sectionTime`; with
// `saveAfter` also times a Save As of the opened run.
Open openFile(const QString& sourcePath, int rows, qint16 sectionTime, bool saveAfter);

// The steps of an Open before the window draws anything, timed one by one outside the window:
// reading the file, and the run model's whole open (the read and every line parsed).
struct ReadSteps {
    double readS = 0;
    double modelOpenS = 0;
    qsizetype lines = 0;
};
ReadSteps timeReadSteps(const QString& path);

double median(std::vector<double> values);
// What went wrong with an Open, when anything did.
QString notes(const Open& o);
double ms(double seconds);
