#pragma once
// Waiting for the instrument's next line. The wait is counted in polling passes, measured once
// at start-up on the running machine, and yields to the event queue so that the window, and
// a Stop, keep working while it waits.

#include "seriallink.h"

#include <QByteArray>
#include <QString>
#include <functional>

class Clock;

// How a frame read ended.
enum class ReadCommResult {
    Frame,   // CommText holds the first complete frame (StopFlag may still have been set by a
             // Stop during the wait: the frame is taken all the same)
    GaveUp,  // the budget ran out with nobody stopping: StopFlag is 1 and the caller shows
             // "Not receiving data."
    Stopped, // the budget ran out after StopFlag was set from outside during the wait (Stop,
             // or a nested read that already reported), or `abort` was raised: StopFlag is 1,
             // no message
};

// The frame delimiter and line terminator: CR LF.
inline const QString kLineBreak = QStringLiteral("\r\n");

// Bytes from the port as text. The instrument sends ASCII; any other byte maps to one
// character of its own, so nothing received can fail to decode.
QString DecodePortText(const QByteArray& bytes);

// The text between the first and the second CR LF of `buffer` (the text before the first one
// is the tail of a line already gone). False, and `frame` untouched, when there are not two.
bool ExtractFrame(const QString& buffer, QString& frame);

// Waits for the next frame. Empties CommBuffer and CommText and clears StopFlag, yields once,
// then makes at most PollLimit + 1 passes, each: yieldWaiting(), read everything received and
// append it to CommBuffer, take the first complete frame if there is one, yieldNow().
// A Stop during the wait does not end it early (the tick that is waiting still stores its
// sample); only `abort` does, checked after every yield, for a program that is closing.
ReadCommResult ReadComm(SerialLink& port, qint32 PollLimit, qint16& StopFlag, QString& CommText,
                        QString& CommBuffer, const std::function<void()>& yieldWaiting,
                        const std::function<void()>& yieldNow, const bool* abort = nullptr);

// Smallest budget MeasurePollBudget returns: about two seconds of waiting passes. The
// whole-second clock can end a measurement after a few passes (started just before the second
// turned, or the clock set forward), and a budget that small would report a working
// instrument as silent.
constexpr qint32 kMinPollLimit = 2000;

// The frame reader's budget: counts passes that do the reader's string work and yield once
// (with yieldWaiting) until the whole-second date-time of `clock` is later than its first
// reading + 0.5 s, and returns 4 x count, at least kMinPollLimit and at most what a Long holds.
// CommBuffer is left holding the dummy text of the measurement (the caller empties it).
// A clock set back during the measurement moves the deadline with it instead of stretching
// the measurement by the size of the jump.
qint32 MeasurePollBudget(Clock& clock, SerialLink& port, QString& CommBuffer, QString& CommText,
                         const QString& LineBreak, const std::function<void()>& yieldWaiting);

// Lets every pending event run, without waiting.
void YieldNow();
// Lets pending events run, sleeping in the event loop until the next event but at most about
// 1 ms, so that a polling loop neither spins a core nor delays the window.
void YieldWaiting();
