#pragma once
// The recorder without a window, for unattended cells: `thermocouple-recorder --headless`
// records the logger until SIGTERM with the same session, journal and file as the window,
// publishes as publishing.ini and the command line ask, keeps the alarms of alarms.ini as events
// of the run (published with them; nobody is there to acknowledge), and writes its progress to
// stderr.
// At the end the run is saved in the data folder as "Run yyyy-MM-dd HH-mm-ss" (its start, local
// time). A run a killed recorder left in its journal is first kept there as "Recovered run ...",
// as the window does when its user declines it.

#include "commandline.h"
#include "programstate.h"
#include "recordingsession.h"
#include "runmodel.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class AlarmMonitor;
class Clock;
class RunPublisher;
class SerialLink;

class HeadlessRecorder : public QObject
{
    Q_OBJECT
public:
    // `say` takes one line of progress (without its line end).
    HeadlessRecorder(const CommandLine& command, QString programFolder, SerialLink& port,
                     Clock& clock, std::function<void(const QString&)> say,
                     QObject* parent = nullptr);
    ~HeadlessRecorder() override;

    // Starts recording; false, after saying why, when it cannot.
    bool start();
    // Stops and saves the run. 0, or 1 when there was nothing to save because the logger never
    // sent a reading or when the file could not be written (the journal then keeps the run).
    int finish();
    // After finish(), the event loop ended: see RunPublisher::deliverBeforeExit.
    void deliverPublished();
    QString savedPath() const { return savedPath_; }

signals:
    // The logger sent nothing after the start: there is no run to wait for.
    void failed();

private:
    void openPort();
    QString dataFolder() const;
    void progress();

    CommandLine command_;
    QString programFolder_;
    SerialLink& port_;
    Clock& clock_;
    std::function<void(const QString&)> say_;
    StoredSettings settings_;
    RunModel run_;
    RecordingSession session_;
    AlarmMonitor* alarms_ = nullptr;
    std::unique_ptr<RunPublisher> publisher_;
    QTimer tick_;
    QTimer progress_;
    QDateTime started_;
    bool neverStarted_ = false;
    QString savedPath_;
    QString publishingProblems_;
};

// main() for --headless: a QCoreApplication, the recorder, SIGTERM. The exit status.
int RunHeadless(int argc, char* argv[], const CommandLine& command);
