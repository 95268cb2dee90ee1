#pragma once
// Values computed from the readings, never stored in the run: the spread (highest minus lowest
// reading of a sample) and each channel's rate of change in degrees per second over a window of
// run time. Both are in the run's unit. Nothing here is ever taken for a reading: where the
// readings do not give a value, the value is kNoReading.

#include "runsample.h"

#include <array>
#include <deque>

inline constexpr double kDefaultRateWindow = 5.0; // seconds

struct DerivedValues {
    float spread = kNoReading;
    std::array<float, kRecorderChannels> rates{kNoReading, kNoReading, kNoReading, kNoReading};
};

// Highest minus lowest of the first `channels` readings of `sample`; no value with fewer than
// two readings.
float SampleSpread(const RunSample& sample, int channels);

// The rate of a channel at a reading is the change since the latest earlier reading of that
// channel at least `window` seconds before it, divided by the time between them. There is none
// until the run has such a reading, none across a gap of more than twice the window (a logger
// that was away), and none where the channel itself has no reading now.
//
// DerivedChannels follows the run as it grows, O(1) per sample on average; DerivedAt answers
// for any one row by looking back. Both give the same values.
class DerivedChannels
{
public:
    explicit DerivedChannels(double windowSeconds = kDefaultRateWindow,
                             int channels = kRecorderChannels);
    // A new run: nothing earlier counts.
    void reset();
    double window() const { return window_; }
    // The values at `sample`, the newest reading of the run. A sample earlier than the one
    // before it starts the window again.
    DerivedValues add(const RunSample& sample);

private:
    struct Point {
        float time;
        float value;
    };
    double window_;
    int channels_;
    std::array<std::deque<Point>, kRecorderChannels> recent_;
    bool started_ = false;
    float lastTime_ = 0;
};

// The values at row `row` of `run`, as DerivedChannels gives them when it reaches that row.
DerivedValues DerivedAt(const SampleSource& run, qsizetype row, double windowSeconds,
                        int channels = kRecorderChannels);
