#include "recordingsession.h"

#include "seams.h"
#include "seriallink.h"

RecordingSession::RecordingSession(RunModel& run, SerialLink& port, Clock& clock, QObject* parent)
    : QObject(parent), run_(run), link_(port), clock_(clock), reader_(port, clock)
{
    retry_.setInterval(kLoggerRetry);
    connect(&retry_, &QTimer::timeout, this, &RecordingSession::tryAgain);
    connect(&reader_, &LoggerReader::silent, this, &RecordingSession::onSilent);
    connect(&link_, &SerialLink::lost, this, &RecordingSession::onLinkLost);
    connect(&reader_, &LoggerReader::rejectedLinesChanged, this, &RecordingSession::statusChanged);
}

void RecordingSession::start(const RunHeader& header, const LoggerPort& port,
                             std::chrono::milliseconds silenceBudget)
{
    retry_.stop();
    lost_ = false;
    port_ = port;
    silenceBudget_ = silenceBudget;
    device_ = port_.devicePath ? port_.devicePath() : QString();
    // The run's clock starts now: every reading is stamped from here, when its line arrives.
    run_.startRecording(header, clock_.secondsSinceMidnight());
    if (port_.open)
        port_.open();
    listen();
}

void RecordingSession::listen()
{
    reader_.start(run_.header().degreesCelsius == 1,
                  std::clamp<int>(run_.header().channelCount, 0, kRecorderChannels),
                  silenceBudget_);
}

void RecordingSession::stop()
{
    retry_.stop();
    const bool wasLost = std::exchange(lost_, false);
    reader_.stop();
    run_.stopRecording();
    if (wasLost)
        emit statusChanged();
}

const RunSample* RecordingSession::takeReading()
{
    if (!run_.isRecording())
        return nullptr;
    // A call without a reading stores nothing: the last readings again under a new time would
    // be temperatures the instrument never sent.
    const std::optional<LoggerReading> reading = reader_.takeNewest();
    if (!reading)
        return nullptr;
    const RunSample& sample = run_.addReading(reading->clock, reading->values);
    if (lost_) {
        // Noted with the reading that ends the wait, and after it, as a reopened run places it.
        lost_ = false;
        run_.addEvent(reading->clock, kLoggerBackEvent);
        emit loggerBack();
        emit statusChanged();
    }
    return &sample;
}

QString RecordingSession::lostText() const
{
    if (!lost_)
        return {};
    return QStringLiteral("Logger on %1 disconnected, waiting for it \u2014 %2 s")
        .arg(port_.name)
        .arg(lostSeconds());
}

void RecordingSession::onSilent()
{
    if (!run_.isRecording())
        return;
    // A Start that never got a reading has no run to keep going: the logger was never there.
    if (run_.isEmpty()) {
        stop();
        emit neverStarted();
        return;
    }
    loseLogger();
}

void RecordingSession::onLinkLost()
{
    if (run_.isRecording() && !run_.isEmpty())
        loseLogger();
}

void RecordingSession::loseLogger()
{
    if (retry_.isActive())
        return;
    if (!lost_) {
        lost_ = true;
        lostSince_.start();
        run_.addEvent(clock_.secondsSinceMidnight(), kLoggerLostEvent);
        emit loggerLost();
    }
    // Closed and opened again, so a link that now names a new device is followed, and a dead
    // descriptor does not wake the program.
    reader_.stop();
    link_.close();
    retry_.start();
    emit statusChanged();
}

void RecordingSession::tryAgain()
{
    emit statusChanged(); // the seconds waited
    // Only the device the run began with: with its link gone, COM n would name the machine's
    // own serial device, and a logger must never be taken from another port.
    if (port_.devicePath && port_.devicePath() != device_)
        return;
    if (port_.open)
        port_.open();
    if (!link_.isOpen())
        return;
    // Listening again: a reading ends the wait; silence for the budget loses the logger anew.
    retry_.stop();
    reader_.resume(silenceBudget_);
}
