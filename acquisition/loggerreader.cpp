#include "loggerreader.h"

#include "decoder.h"
#include "seams.h"

LoggerReader::LoggerReader(SerialLink& port, Clock& clock, QObject* parent)
    : QObject(parent), port_(port), clock_(clock)
{
    silence_.setSingleShot(true);
    connect(&silence_, &QTimer::timeout, this, [this] {
        if (listening_)
            emit silent();
    });
    connect(&port_, &SerialLink::readyRead, this, &LoggerReader::onReadyRead);
}

void LoggerReader::start(bool degreesCelsius, int channelCount,
                         std::chrono::milliseconds silenceBudget)
{
    degreesCelsius_ = degreesCelsius;
    channelCount_ = std::clamp(channelCount, 0, kRecorderChannels);
    frames_.reset();
    newest_.reset();
    rejected_ = 0;
    provenLive_ = false;
    listening_ = true;
    // Bytes that came before the start belong to no line of this session.
    port_.readAll();
    silence_.start(silenceBudget);
}

void LoggerReader::resume(std::chrono::milliseconds silenceBudget)
{
    frames_.resume();
    newest_.reset();
    listening_ = true;
    port_.readAll();
    silence_.start(silenceBudget);
}

void LoggerReader::stop()
{
    listening_ = false;
    silence_.stop();
}

std::optional<LoggerReading> LoggerReader::takeNewest()
{
    return std::exchange(newest_, std::nullopt);
}

void LoggerReader::onReadyRead()
{
    if (!listening_)
        return;
    const float arrived = clock_.secondsSinceMidnight();
    frames_.append(port_.readAll());
    const qint64 rejectedBefore = rejected_;
    bool arrivedNow = false;
    QString frame;
    while (frames_.takeFrame(frame)) {
        if (!frames_.acceptFrame(frame, channelCount_)) {
            ++rejected_;
            continue;
        }
        silence_.start();
        // The session's first frame has no earlier line to be checked against: it only proves
        // that data arrive.
        if (!provenLive_) {
            provenLive_ = true;
            continue;
        }
        LoggerReading reading;
        reading.clock = arrived;
        reading.values = FrameReadings(frame, channelCount_, degreesCelsius_);
        newest_ = reading;
        arrivedNow = true;
    }
    if (rejected_ != rejectedBefore)
        emit rejectedLinesChanged(rejected_);
    if (arrivedNow)
        emit readingArrived();
}
