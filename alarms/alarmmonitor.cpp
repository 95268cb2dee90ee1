#include "alarmmonitor.h"

#include "recordingsession.h"
#include "runmodel.h"

AlarmMonitor::AlarmMonitor(RunModel& run, const RecordingSession& session,
                           std::function<float()> clock, QObject* parent)
    : QObject(parent), run_(run), clock_(std::move(clock))
{
    connect(&run_, &RunModel::sampleAdded, this, &AlarmMonitor::onSampleAdded);
    connect(&run_, &RunModel::runReplaced, this, &AlarmMonitor::onRunReplaced);
    connect(&session, &RecordingSession::loggerLost, this, &AlarmMonitor::loggerSilent);
    connect(&session, &RecordingSession::loggerBack, this, &AlarmMonitor::loggerBack);
    onRunReplaced();
}

void AlarmMonitor::setSettings(const AlarmSettings& settings)
{
    settings_ = settings;
    engine_.configure(settings_, run_.channelCount(), run_.header().degreesCelsius == 1);
    if (derived_.window() != settings_.rateWindow) {
        derived_ = DerivedChannels(settings_.rateWindow, run_.channelCount());
        latest_ = {};
    }
}

void AlarmMonitor::onRunReplaced()
{
    // A new or opened run starts with no alarm: an opened run's alarms are its saved events.
    const bool hadAlarms = engine_.anyActive();
    engine_.reset();
    engine_.configure(settings_, run_.channelCount(), run_.header().degreesCelsius == 1);
    derived_ = DerivedChannels(settings_.rateWindow, run_.channelCount());
    latest_ = {};
    if (hadAlarms)
        emit changed();
}

void AlarmMonitor::onSampleAdded(qsizetype row)
{
    if (!run_.isRecording())
        return;
    const RunSample& sample = run_.sample(row);
    latest_ = derived_.add(sample);
    std::vector<AlarmEvent> events;
    engine_.evaluate(sample, latest_, events);
    keep(events);
}

float AlarmMonitor::runTimeNow() const
{
    return float(RunTimeOfSample(clock_(), run_.startClock()));
}

bool AlarmMonitor::acknowledge()
{
    std::vector<AlarmEvent> events;
    const bool any = engine_.acknowledge(runTimeNow(), events);
    keep(events);
    return any;
}

void AlarmMonitor::loggerSilent()
{
    std::vector<AlarmEvent> events;
    engine_.loggerSilent(runTimeNow(), events);
    keep(events);
}

void AlarmMonitor::loggerBack()
{
    std::vector<AlarmEvent> events;
    engine_.loggerBack(runTimeNow(), events);
    keep(events);
}

void AlarmMonitor::keep(std::vector<AlarmEvent>& events)
{
    if (events.empty())
        return;
    for (const AlarmEvent& e : events) {
        // The recording session marks the logger's going and coming back as events of their
        // own ("logger disconnected", "logger reconnected"): the run records them once.
        const bool marked = e.source == kLoggerSource && e.type != AlarmEvent::Type::Acknowledged;
        // The event carries the run time its reading was stamped with.
        if (!marked)
            run_.addEvent(run_.startClock() + e.time, e.text);
        if (e.type == AlarmEvent::Type::Raised)
            emit raised(e);
    }
    emit changed();
}
