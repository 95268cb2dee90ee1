#pragma once
// The alarms' state machine. Each watched value has a high and a low condition: the value beyond
// its limit for the delay raises the alarm, Acknowledge quiets it, and the value back past the
// limit by the hysteresis clears it. A channel without a reading (a failed probe) and a silent
// logger raise alarms of their own. The engine only decides; the caller puts the events into
// the run and shows them. No text is made unless something happens, so a reading costs a few
// comparisons.

#include "alarmsettings.h"
#include "derivedchannels.h"

#include <QString>
#include <array>
#include <vector>

// What the alarms of the logger itself are filed under, after the watched values.
inline constexpr int kLoggerSource = kAlarmSources;

enum class AlarmKind { High, Low, NoReading, Silent };

struct AlarmEvent {
    enum class Type { Raised, Acknowledged, Cleared };
    Type type = Type::Raised;
    int source = 0;
    AlarmKind kind = AlarmKind::High;
    float time = 0; // run time
    // "ALARM Ch 1 high: 932 °F above 900", "acknowledged: Ch 1 high", "cleared: Ch 1 high".
    QString text;
};

struct ActiveAlarm {
    int source = 0;
    AlarmKind kind = AlarmKind::High;
    bool acknowledged = false;
    QString text; // the text it was raised with
};

// "Ch 1 high", "Rate Ch 2 low", "Ch 3 no reading", "logger silent".
QString AlarmName(int source, AlarmKind kind);

class AlarmEngine
{
public:
    // `settings` in the run's unit (`celsius`); `channels` of the run are watched.
    void configure(const AlarmSettings& settings, int channels, bool celsius);
    // A new run: nothing active, nothing pending. Nothing is reported for what was active.
    void reset();

    // The reading `sample` with its derived values; appends what happened to `events`.
    void evaluate(const RunSample& sample, const DerivedValues& derived,
                  std::vector<AlarmEvent>& events);
    // The logger stopped sending at run time `time`, or sends again.
    void loggerSilent(float time, std::vector<AlarmEvent>& events);
    void loggerBack(float time, std::vector<AlarmEvent>& events);
    // Quiets every active alarm not yet acknowledged. False when there was none.
    bool acknowledge(float time, std::vector<AlarmEvent>& events);

    // Active alarms, those not yet acknowledged first.
    std::vector<ActiveAlarm> active() const;
    bool anyActive() const;
    bool anyUnacknowledged() const;
    // Channels with an active alarm of their own reading or of their rate.
    std::array<bool, kRecorderChannels> alarmedChannels() const;

private:
    struct Condition {
        bool active = false;
        bool acknowledged = false;
        bool pending = false;
        float pendingSince = 0;
        QString text;
    };
    static constexpr int kKinds = 4;
    Condition& at(int source, AlarmKind kind)
    {
        return conditions_[source][static_cast<int>(kind)];
    }
    void raise(int source, AlarmKind kind, float time, QString text,
               std::vector<AlarmEvent>& events);
    void clear(int source, AlarmKind kind, float time, std::vector<AlarmEvent>& events);
    void watch(int source, float value, float time, std::vector<AlarmEvent>& events);

    AlarmSettings settings_;
    int channels_ = kRecorderChannels;
    bool celsius_ = false;
    std::array<std::array<Condition, kKinds>, kAlarmSources + 1> conditions_{};
};
