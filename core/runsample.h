#pragma once
// One reading of the run as numbers, and its one text form: the row of the reading list, the
// line of the data file, the journal and the export. Every part of the program formats a
// sample with FormatSampleLine and reads one back with ParseSampleLine, so the list, the file
// and a reopened run can never disagree about a reading.

#include <QString>
#include <QLatin1StringView>
#include <QStringView>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

// The recorder has four thermocouple channels.
constexpr int kRecorderChannels = 4;

// A channel without a reading in a sample: a failed probe, or a channel the run does not have.
inline constexpr float kNoReading = std::numeric_limits<float>::quiet_NaN();
inline bool HasReading(float value)
{
    return !std::isnan(value);
}

struct RunSample {
    float time = 0; // run time in seconds, in tenths
    // In the run's unit; kNoReading where the channel has no reading.
    std::array<float, kRecorderChannels> values{kNoReading, kNoReading, kNoReading, kNoReading};
};

// Run time of a reading taken at clock reading `clock` for a run that began at `start`: the
// difference as a Single, rounded to the nearest tenth of a second (12.34 s gives 12.3,
// 12.35 s gives 12.4).
double RunTimeOfSample(float clock, float start);

// A run time as the run shows it: "#########.0" (".5", "12.3").
QString FormatRunTime(double seconds);
// A channel reading as the run shows it: whole degrees, "#####0".
QString FormatReading(float value);

// The run line of a sample: the time, then for each of the first `channelCount` channels three
// blanks and its reading. A channel without a reading is written as kNoReadingText.
QString FormatSampleLine(const RunSample& sample, int channelCount);

// What a channel without a reading is written as: a number no reader can take for a
// temperature (far below absolute zero in either unit), which older readers of the file still
// read as a number.
inline const QString kNoReadingText = QStringLiteral("-9999");

// A run line read back: the time before the first blanks, then up to kRecorderChannels readings
// separated by blanks, each a plain decimal number. Channels the line does not have, and
// kNoReadingText, have no reading. Nothing for a damaged line: one without a time and at least
// one field after it, or with a field that is not such a number.
std::optional<RunSample> ParseSampleLine(QStringView line);
// The same for a line as a file holds it.
std::optional<RunSample> ParseSampleLine(QLatin1StringView line);

// Read access to a run's samples, for whatever writes them out.
class SampleSource
{
public:
    virtual ~SampleSource() = default;
    virtual qsizetype size() const = 0;
    virtual const RunSample& sample(qsizetype row) const = 0;
};

// The run's rows as the reading list shows them.
class RunRows
{
public:
    virtual ~RunRows() = default;
    virtual qsizetype size() const = 0;
    virtual QString line(qsizetype row) const = 0;
    // Characters of the longest row.
    virtual qsizetype longestLine() const = 0;
};
