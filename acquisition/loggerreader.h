#pragma once
// The logger's readings as they arrive. Bytes from the port are cut into lines when the port
// says they came; each line of the instrument's shape becomes a reading stamped with the clock
// at that moment, so a late sampling tick can never give two readings one time. The sampling
// tick takes the newest reading without waiting for one; a logger that sends nothing for the
// silence budget is reported by a timer, not found by a wait.

#include "framereader.h"
#include "runsample.h"
#include "seriallink.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <chrono>
#include <optional>

class Clock;

struct LoggerReading {
    float clock = 0; // seconds since midnight when its line arrived
    // In the unit the reader was started with; kNoReading beyond the run's channels.
    std::array<float, kRecorderChannels> values{kNoReading, kNoReading, kNoReading, kNoReading};
};

class LoggerReader : public QObject
{
    Q_OBJECT
public:
    LoggerReader(SerialLink& port, Clock& clock, QObject* parent = nullptr);

    // Begins listening to a port just opened: what an earlier session left is forgotten, and
    // a line is expected within `silenceBudget` from now and from every good line on.
    void start(bool degreesCelsius, int channelCount, std::chrono::milliseconds silenceBudget);
    // Listens again to the same logger on a port opened anew: its lines are known, so the first
    // whole line is already a reading.
    void resume(std::chrono::milliseconds silenceBudget);
    // Stops listening; received bytes are no longer looked at.
    void stop();
    bool isListening() const { return listening_; }

    // The newest reading not taken yet. Older ones waiting behind it are dropped: the run takes
    // one reading per sampling tick, and an instrument faster than the tick must not make the
    // run fall further and further behind. Never waits.
    std::optional<LoggerReading> takeNewest();
    // Lines of this session that were not the instrument's shape and were not used.
    qint64 rejectedLines() const { return rejected_; }

signals:
    void readingArrived();
    void rejectedLinesChanged(qint64 count);
    // No line of the instrument's shape came for the silence budget.
    void silent();

private:
    void onReadyRead();

    SerialLink& port_;
    Clock& clock_;
    FrameAssembler frames_;
    QTimer silence_;
    std::optional<LoggerReading> newest_;
    bool degreesCelsius_ = false;
    int channelCount_ = kRecorderChannels;
    qint64 rejected_ = 0;
    bool provenLive_ = false; // the session's first good line has come
    bool listening_ = false;
};
