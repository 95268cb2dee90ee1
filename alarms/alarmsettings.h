#pragma once
// What the alarms watch and when they speak, kept in alarms.ini in the program folder (never in
// the settings file, whose layout older versions read). The values are in the unit the program
// displays; the file notes that unit, so a later change of unit converts them instead of
// reading 900 degrees F as 900 degrees C.

#include "derivedchannels.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// What an alarm can watch: the four channels, the spread, the four rates.
inline constexpr int kSpreadSource = kRecorderChannels;
inline constexpr int kFirstRateSource = kSpreadSource + 1;
inline constexpr int kAlarmSources = kFirstRateSource + kRecorderChannels;

inline const QString kAlarmsFileName = QStringLiteral("alarms.ini");

// "Ch 1", "Spread", "Rate Ch 1": as the alarm texts and the dialog name them.
QString AlarmSourceName(int source);
// "channel1", "spread", "rate1": the source's group in alarms.ini.
QString AlarmSourceGroup(int source);
inline bool IsRateSource(int source)
{
    return source >= kFirstRateSource && source < kAlarmSources;
}

struct AlarmLimits {
    std::optional<double> high; // no limit when empty
    std::optional<double> low;
    double hysteresis = 0; // how far back past the limit the value must come to clear
    double delay = 0;      // seconds the condition must hold before the alarm is raised
    bool operator==(const AlarmLimits& o) const
    {
        return high == o.high && low == o.low && hysteresis == o.hysteresis && delay == o.delay;
    }
};

struct AlarmSettings {
    std::array<AlarmLimits, kAlarmSources> limits{};
    double rateWindow = kDefaultRateWindow; // seconds
    bool csvDerivedColumns = false;         // the CSV export adds the spread and rate columns
    bool celsius = false;                   // the unit the values are in
    bool operator==(const AlarmSettings& o) const
    {
        return limits == o.limits && rateWindow == o.rateWindow &&
               csvDerivedColumns == o.csvDerivedColumns && celsius == o.celsius;
    }
};

// The same settings with their values in degrees C (`celsius`) or F.
AlarmSettings AlarmSettingsInUnit(const AlarmSettings& settings, bool celsius);

// Why a limit set cannot be used, in words; empty when it can.
QString AlarmLimitsProblem(int source, const AlarmLimits& limits);
// Bounds of a sound setting.
inline constexpr double kLargestAlarmValue = 100000;
inline constexpr double kLongestAlarmDelay = 86400;
inline constexpr double kShortestRateWindow = 1;
inline constexpr double kLongestRateWindow = 600;

struct AlarmSettingsRead {
    AlarmSettings settings;
    // One sentence per value that was damaged or absurd and left at its default.
    QStringList problems;
};

QString AlarmSettingsPath(const QString& programFolder);
// The settings in alarms.ini of `programFolder`, in the display unit (`displayCelsius`). A
// missing file means no alarms and no problem.
AlarmSettingsRead LoadAlarmSettings(const QString& programFolder, bool displayCelsius);
// Writes `settings` to alarms.ini; the reason in words when it could not, else empty.
QString SaveAlarmSettings(const QString& programFolder, const AlarmSettings& settings);
