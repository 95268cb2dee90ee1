#pragma once
// How long the logger may stay silent before the program says "Not receiving data.". It is
// measured once at start-up on this machine: the time from the first reading of the
// whole-second clock until it reads half a second later, taken four times, within
// kMinSilenceBudget..kMaxSilenceBudget. The measurement looks at the clock on a coarse timer
// and never holds up the window.

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>

class Clock;

// Below a second a working instrument that pauses briefly would be reported as silent; above a
// minute the window would seem hung to a user whose instrument is unplugged.
constexpr std::chrono::milliseconds kMinSilenceBudget{1000};
constexpr std::chrono::milliseconds kMaxSilenceBudget{60000};
// The budget until a measurement has ended.
constexpr std::chrono::milliseconds kDefaultSilenceBudget{2000};

class SilenceBudgetMeasurement : public QObject
{
    Q_OBJECT
public:
    // `elapsedMs` is a monotonic clock in milliseconds (tests step it); a real one when empty.
    SilenceBudgetMeasurement(Clock& clock, std::function<qint64()> elapsedMs = {},
                             QObject* parent = nullptr);
    void start();
    bool isRunning() const { return timer_.isActive(); }

signals:
    void measured(std::chrono::milliseconds budget);

private:
    void check();

    Clock& clock_;
    std::function<qint64()> elapsedMs_;
    QTimer timer_;
    QDateTime last_;
    QDateTime deadline_;
    qint64 started_ = 0;
};
