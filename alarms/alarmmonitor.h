#pragma once
// The alarms of the run being recorded: follows the run model's readings, keeps the derived
// values of the newest one, and puts every raised, acknowledged and cleared alarm into the run as
// an event, so it is journaled, saved and shown again on Open like any other event (a silent
// logger's alarm is raised and cleared by the session's own events). Widget-free:
// the window and a headless recorder use it alike.

#include "alarmengine.h"
#include "alarmsettings.h"
#include "derivedchannels.h"

#include <QObject>
#include <functional>

class RecordingSession;
class RunModel;

class AlarmMonitor : public QObject
{
    Q_OBJECT
public:
    // `clock` gives seconds since midnight, the clock the run's readings are stamped with. The
    // silent logger's alarm follows `session` losing its logger and getting it back.
    AlarmMonitor(RunModel& run, const RecordingSession& session, std::function<float()> clock,
                 QObject* parent = nullptr);

    // Settings in the display unit; they are converted to the unit of each run.
    void setSettings(const AlarmSettings& settings);
    const AlarmSettings& settings() const { return settings_; }
    const AlarmEngine& engine() const { return engine_; }
    // The derived values of the newest reading recorded.
    const DerivedValues& latest() const { return latest_; }

    // Quiets every active alarm; false when none was waiting.
    bool acknowledge();

signals:
    // An alarm was raised: the one moment for a sound.
    void raised(const AlarmEvent& event);
    // The active alarms or their acknowledgement changed.
    void changed();

private:
    void onSampleAdded(qsizetype row);
    // The logger of the recording fell silent, or sends again.
    void loggerSilent();
    void loggerBack();
    void onRunReplaced();
    float runTimeNow() const;
    // Puts what happened into the run, then tells the views.
    void keep(std::vector<AlarmEvent>& events);

    RunModel& run_;
    std::function<float()> clock_;
    AlarmSettings settings_;
    AlarmEngine engine_;
    DerivedChannels derived_;
    DerivedValues latest_;
};
