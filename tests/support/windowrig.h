#pragma once
// A main window with every contact point scripted (ScriptedContacts) and a scratch program
// folder with an optional settings file. For tests that link tr_window.

#include "configfile.h"
#include "readinglistview.h"
#include "windowcontrols.h"
#include "windowservices.h"

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

template <typename Window = MainWindow> struct WindowRig : ScriptedContacts {
    QTemporaryDir dir;
    ProgramState state;
    std::unique_ptr<Window> w;

    QString folder; // the program folder: the scratch one unless a test names another

    explicit WindowRig(const QByteArray& config = {}, const QString& programFolder = {})
        : folder(programFolder.isEmpty() ? dir.path() : programFolder)
    {
        if (!config.isNull())
            write(folder + QLatin1Char('/') + kConfigFileName, config);
        w = std::make_unique<Window>(state, services(folder));
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
        for (int i = 0; i < controls(w).readingList->count(); ++i)
            r << controls(w).readingList->text(i);
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
    // Start in degrees C, where readings are stored as they come; the first line proves that
    // the logger sends, and the first tick lays the chart out.
    void startInC(const QByteArray& firstFrame = "\r\n0,450,461,472,483\r\n")
    {
        state.settings.degreesCelsius = 1;
        w->applyThermocoupleMode();
        w->onRecordButton(MainWindow::StartButton);
        port.feed(firstFrame);
        w->onSampleTick();
    }
    // The tick `seconds` into the run, with `received` arriving just before it (empty: nothing).
    void tickAt(float seconds, const QByteArray& received)
    {
        clock.seconds = w->run().startClock() + seconds;
        if (!received.isEmpty())
            port.feed(received);
        w->onSampleTick();
    }
    // The run's rows as the list and the file hold them, each followed by CR LF.
    QString runText() const { return w->run().rowsText(); }
};
