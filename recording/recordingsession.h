#pragma once
// A recording as it goes on: the logger's readings taken into the run, and a logger that goes
// away waited for. A pulled adapter, a hung-up line or a silent logger never end a run that has
// readings: the port is opened again about once a second, the readings that come afterwards
// join the same run, and both moments are events of the run. Only a Start that never got a
// reading ends by itself, because then there is no logger to wait for.
//
// Nothing here needs a widget: the window and the recorder without a window drive it alike.

#include "loggerreader.h"
#include "runmodel.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>

class Clock;
class SerialLink;

// Where the logger is for one run.
struct LoggerPort {
    // Opens the port on the logger's device (closing it first).
    std::function<void()> open;
    // The device the logger's port names now: a ports/COMn link may come to name another
    // adapter, or a fixed device when the link is gone.
    std::function<QString()> devicePath;
    QString name; // "COM1", or the device named on the command line
};

// Between two attempts to open the port of a lost logger.
inline constexpr std::chrono::milliseconds kLoggerRetry{1000};

inline const QString kLoggerLostEvent = QStringLiteral("logger disconnected");
inline const QString kLoggerBackEvent = QStringLiteral("logger reconnected");

class RecordingSession : public QObject
{
    Q_OBJECT
public:
    RecordingSession(RunModel& run, SerialLink& port, Clock& clock, QObject* parent = nullptr);

    // Starts a new run in `run` from now and listens to the logger. A line is expected within
    // `silenceBudget`.
    void start(const RunHeader& header, const LoggerPort& port,
               std::chrono::milliseconds silenceBudget);
    void stop();
    bool isRecording() const { return run_.isRecording(); }
    // Stores the newest reading that came since the last call, if any; never waits. The
    // sample stored, or nothing.
    const RunSample* takeReading();

    // While the logger is away: since how many whole seconds.
    bool isLoggerLost() const { return lost_; }
    qint64 lostSeconds() const { return lost_ ? lostSince_.elapsed() / 1000 : 0; }
    QString loggerName() const { return port_.name; }
    // Lines of this run that were not the instrument's shape.
    qint64 rejectedLines() const { return reader_.rejectedLines(); }
    // "Logger on COM1 disconnected, waiting for it — 12 s", or empty while the logger is there.
    QString lostText() const;

signals:
    // A Start got no reading within the silence budget; the recording has ended.
    void neverStarted();
    void loggerLost();
    void loggerBack();
    // The lost time or the count of damaged lines changed.
    void statusChanged();

private:
    void onSilent();
    void onLinkLost();
    void loseLogger();
    void tryAgain();
    void listen();

    RunModel& run_;
    SerialLink& link_;
    Clock& clock_;
    LoggerReader reader_;
    QTimer retry_;
    LoggerPort port_;
    QString device_; // what the port named when the run began
    std::chrono::milliseconds silenceBudget_{0};
    bool lost_ = false;
    QElapsedTimer lostSince_;
};
