#pragma once
// The instrument's lines in the bytes it sends, and the shape a line must have to be a reading.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>
#include <chrono>
#include <deque>
#include <functional>

class Clock;

// The line terminator of all text the program writes, and of the instrument's lines as
// documented; the frame assembler also takes LF or CR alone.
inline const QString kLineBreak = QStringLiteral("\r\n");

// Bytes from the port as text. The instrument sends ASCII; any other byte maps to one
// character of its own, so nothing received can fail to decode.
QString DecodePortText(const QByteArray& bytes);

// Lowest and highest temperature, in degrees C, that the instrument's type-K thermocouples are
// specified for. A number outside this range is what an open or shorted probe makes the
// instrument send, never a temperature.
constexpr double kLowestFrameTemperature = -270.0;
constexpr double kHighestFrameTemperature = 1372.0;

// The temperature in a frame's field: a plain decimal number (optional sign, digits, optionally
// a point and digits; blanks around it allowed) between kLowestFrameTemperature and
// kHighestFrameTemperature. Nothing for anything else.
std::optional<double> FrameTemperature(QStringView field);

// True when `frame` can be a reading of channelCount channels: a first field (the instrument's
// counter, not looked at), then channelCount temperature fields, comma-separated. Each is a
// temperature (FrameTemperature) or the instrument's word for a failed probe: a number out of
// range, or text without a digit ("OPEN", "----", "OVR", nothing). A field with digits that is
// no plain number is line noise, and the frame is damaged. Fields after the last temperature
// may hold anything: the instrument may add some of its own.
bool IsInstrumentFrame(const QString& frame, int channelCount);

// The received text of one session with the instrument, cut into lines, and the shape check
// that tells the instrument's frames from damaged lines.
// A line ends at CR LF, LF alone or CR alone, also where a CR LF is split across two reads; an
// empty line is no frame. A fresh or reset assembler does not know where the line it
// joins began, so the text before the first line end it receives is discarded.
class FrameAssembler
{
public:
    // Complete frames kept for the reader. The reader takes one per sampling tick; an
    // instrument faster than the tick would otherwise make the recording lag further and
    // further behind, so older frames beyond these are dropped.
    static constexpr int kMaxWaitingFrames = 3;
    // Longest unfinished line kept. Line noise or a wrong baud rate can send text without any
    // line end; past this the line is cut, and its remainder is discarded like the tail of a
    // line received after a reset.
    static constexpr qsizetype kMaxLineLength = 64 * 1024;
    // Good frames in a row with one new field count that make it the instrument's count. One or
    // two frames of another count are lines run together; more in a row are the instrument's
    // own (a first frame that was damaged set the count, or the instrument was set up anew).
    static constexpr int kFramesToChangeFieldCount = 3;

    // Starts a new session (the port was opened again): forgets every byte and frame held, the
    // instrument's field count and the counts of dropped and cut lines.
    void reset();
    // The same instrument on a port opened again (a reconnected adapter): forgets the bytes and
    // frames held, keeps the instrument's field count, so its first line is checked as usual.
    void resume();
    // Adds bytes as they came from the port; a line end may be split across two calls.
    void append(const QByteArray& bytes);
    // Moves the oldest complete frame (without its line end) into `frame`. False, and `frame`
    // untouched, when no complete frame is waiting.
    bool takeFrame(QString& frame);

    // True when `frame` is an instrument frame of channelCount channels (IsInstrumentFrame)
    // whose field count is the one of the instrument's recent good lines. Two lines run
    // together have about twice the fields, even where every field is a number in range.
    // The first good frame of a session sets the count, and a good frame with fewer fields
    // replaces it until two frames in a row agree: a first frame run together would otherwise
    // shut out the instrument's lines. That first frame has nothing to be checked against; the
    // sampling loop uses it only as the proof that data arrive.
    bool acceptFrame(const QString& frame, int channelCount);
    // Fields of the instrument's recent good lines; 0 before the first good frame.
    int fieldCount() const { return m_fieldCount; }

    int waitingFrames() const { return static_cast<int>(m_frames.size()); }
    // Characters held of the line still being received.
    qsizetype unfinishedLength() const { return m_partial.size(); }
    // Complete frames dropped by the backlog limit since the last reset.
    qint64 droppedFrames() const { return m_dropped; }
    // Unfinished lines cut at kMaxLineLength since the last reset.
    qint64 cutLines() const { return m_cut; }

private:
    void addToLine(const char* text, qsizetype length);
    void endLine();
    void keepFrame(QString frame);

    std::deque<QString> m_frames;
    QString m_partial;        // text of the line being received, no line end in it
    bool m_lineStart = false; // false: the text before the next line end is a lost line's tail
    int m_fieldCount = 0;
    bool m_fieldCountConfirmed = false; // two frames in a row had m_fieldCount
    int m_newFieldCount = 0;  // field count of good frames that differ from m_fieldCount ...
    int m_newFieldFrames = 0; // ... and how many of them came in a row
    qint64 m_dropped = 0;
    qint64 m_cut = 0;
};

