#include "alarmengine.h"

#include <algorithm>
#include <cmath>

namespace
{

// One decimal where it tells something: "932", "41.3", "-0.5".
QString FormatValue(double v)
{
    QString text = QString::number(v, 'f', 1);
    if (text.endsWith(QLatin1String(".0")))
        text.chop(2);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

const char* KindWord(AlarmKind kind)
{
    switch (kind) {
    case AlarmKind::High:
        return "high";
    case AlarmKind::Low:
        return "low";
    case AlarmKind::NoReading:
        return "no reading";
    case AlarmKind::Silent:
        return "silent";
    }
    return "";
}

} // namespace

QString AlarmName(int source, AlarmKind kind)
{
    const QString name =
        source == kLoggerSource ? QStringLiteral("logger") : AlarmSourceName(source);
    return name + QLatin1Char(' ') + QLatin1String(KindWord(kind));
}

void AlarmEngine::configure(const AlarmSettings& settings, int channels, bool celsius)
{
    settings_ = AlarmSettingsInUnit(settings, celsius);
    channels_ = std::clamp(channels, 0, kRecorderChannels);
    celsius_ = celsius;
    // A limit taken away, or a channel the run does not have, cannot keep an alarm pending.
    for (auto& kinds : conditions_)
        for (Condition& c : kinds)
            c.pending = false;
}

void AlarmEngine::reset()
{
    conditions_ = {};
}

void AlarmEngine::raise(int source, AlarmKind kind, float time, QString text,
                        std::vector<AlarmEvent>& events)
{
    Condition& c = at(source, kind);
    c.active = true;
    c.acknowledged = false;
    c.pending = false;
    c.text = text;
    events.push_back({AlarmEvent::Type::Raised, source, kind, time, std::move(text)});
}

void AlarmEngine::clear(int source, AlarmKind kind, float time, std::vector<AlarmEvent>& events)
{
    Condition& c = at(source, kind);
    c = Condition{};
    events.push_back({AlarmEvent::Type::Cleared, source, kind, time,
                      QStringLiteral("cleared: ") + AlarmName(source, kind)});
}

void AlarmEngine::watch(int source, float value, float time, std::vector<AlarmEvent>& events)
{
    // No value says nothing about the limits: what is active stays, what was pending starts
    // again with the next value.
    if (!HasReading(value)) {
        at(source, AlarmKind::High).pending = false;
        at(source, AlarmKind::Low).pending = false;
        return;
    }
    const AlarmLimits& limits = settings_.limits[source];
    for (const AlarmKind kind : {AlarmKind::High, AlarmKind::Low}) {
        const std::optional<double>& limit = kind == AlarmKind::High ? limits.high : limits.low;
        Condition& c = at(source, kind);
        if (!limit) {
            if (c.active)
                clear(source, kind, time, events);
            c.pending = false;
            continue;
        }
        const bool beyond = kind == AlarmKind::High ? value > *limit : value < *limit;
        if (c.active) {
            const bool back = kind == AlarmKind::High ? value <= *limit - limits.hysteresis
                                                      : value >= *limit + limits.hysteresis;
            if (back)
                clear(source, kind, time, events);
            continue;
        }
        if (!beyond) {
            c.pending = false;
            continue;
        }
        if (!c.pending) {
            c.pending = true;
            c.pendingSince = time;
        }
        // Run times are tenths in floats: a delay of 2 s is held at 2.0 s, not at 2.1 s.
        if (double(time) - c.pendingSince < limits.delay - 1e-3)
            continue;
        const QString unit = (celsius_ ? QStringLiteral("\u00B0C") : QStringLiteral("\u00B0F")) +
                             (IsRateSource(source) ? QStringLiteral("/s") : QString());
        raise(source, kind, time,
              QStringLiteral("ALARM %1: %2 %3 %4 %5")
                  .arg(AlarmName(source, kind), FormatValue(value), unit,
                       kind == AlarmKind::High ? QStringLiteral("above") : QStringLiteral("below"),
                       FormatValue(*limit)),
              events);
    }
}

void AlarmEngine::evaluate(const RunSample& sample, const DerivedValues& derived,
                           std::vector<AlarmEvent>& events)
{
    for (int ch = 0; ch < channels_; ++ch) {
        const float v = sample.values[ch];
        Condition& failed = at(ch, AlarmKind::NoReading);
        if (!HasReading(v) && !failed.active)
            raise(ch, AlarmKind::NoReading, sample.time,
                  QStringLiteral("ALARM %1: the probe sends no temperature")
                      .arg(AlarmName(ch, AlarmKind::NoReading)),
                  events);
        else if (HasReading(v) && failed.active)
            clear(ch, AlarmKind::NoReading, sample.time, events);
        watch(ch, v, sample.time, events);
        watch(kFirstRateSource + ch, derived.rates[ch], sample.time, events);
    }
    watch(kSpreadSource, derived.spread, sample.time, events);
}

void AlarmEngine::loggerSilent(float time, std::vector<AlarmEvent>& events)
{
    if (!at(kLoggerSource, AlarmKind::Silent).active)
        raise(kLoggerSource, AlarmKind::Silent, time,
              QStringLiteral("ALARM logger silent: no readings arrive"), events);
}

void AlarmEngine::loggerBack(float time, std::vector<AlarmEvent>& events)
{
    if (at(kLoggerSource, AlarmKind::Silent).active)
        clear(kLoggerSource, AlarmKind::Silent, time, events);
}

bool AlarmEngine::acknowledge(float time, std::vector<AlarmEvent>& events)
{
    bool any = false;
    for (int source = 0; source <= kLoggerSource; ++source)
        for (int k = 0; k < kKinds; ++k) {
            Condition& c = conditions_[source][k];
            if (!c.active || c.acknowledged)
                continue;
            c.acknowledged = true;
            any = true;
            events.push_back({AlarmEvent::Type::Acknowledged, source, AlarmKind(k), time,
                              QStringLiteral("acknowledged: ") +
                                  AlarmName(source, AlarmKind(k))});
        }
    return any;
}

std::vector<ActiveAlarm> AlarmEngine::active() const
{
    std::vector<ActiveAlarm> out;
    for (int source = 0; source <= kLoggerSource; ++source)
        for (int k = 0; k < kKinds; ++k) {
            const Condition& c = conditions_[source][k];
            if (c.active)
                out.push_back({source, AlarmKind(k), c.acknowledged, c.text});
        }
    std::stable_partition(out.begin(), out.end(),
                          [](const ActiveAlarm& a) { return !a.acknowledged; });
    return out;
}

bool AlarmEngine::anyActive() const
{
    for (const auto& kinds : conditions_)
        for (const Condition& c : kinds)
            if (c.active)
                return true;
    return false;
}

bool AlarmEngine::anyUnacknowledged() const
{
    for (const auto& kinds : conditions_)
        for (const Condition& c : kinds)
            if (c.active && !c.acknowledged)
                return true;
    return false;
}

std::array<bool, kRecorderChannels> AlarmEngine::alarmedChannels() const
{
    std::array<bool, kRecorderChannels> marks{};
    for (int ch = 0; ch < kRecorderChannels; ++ch)
        for (int k = 0; k < kKinds; ++k)
            marks[ch] = marks[ch] || conditions_[ch][k].active ||
                        conditions_[kFirstRateSource + ch][k].active;
    return marks;
}
