#include "derivedchannels.h"

#include <algorithm>

namespace
{

// Run times are tenths held in floats: two times a window apart may differ from it by a
// rounding error, never by a tenth.
constexpr double kTimeSlack = 1e-3;

bool FarEnoughBack(float earlier, float now, double window)
{
    return double(now) - double(earlier) >= window - kTimeSlack;
}

bool TooLongAgo(float earlier, float now, double window)
{
    return double(now) - double(earlier) > 2 * window + kTimeSlack;
}

} // namespace

float SampleSpread(const RunSample& sample, int channels)
{
    const int n = std::clamp(channels, 0, kRecorderChannels);
    float lowest = 0, highest = 0;
    int readings = 0;
    for (int ch = 0; ch < n; ++ch) {
        const float v = sample.values[ch];
        if (!HasReading(v))
            continue;
        lowest = readings == 0 ? v : std::min(lowest, v);
        highest = readings == 0 ? v : std::max(highest, v);
        ++readings;
    }
    return readings >= 2 ? highest - lowest : kNoReading;
}

DerivedChannels::DerivedChannels(double windowSeconds, int channels)
    : window_(windowSeconds > 0 ? windowSeconds : kDefaultRateWindow),
      channels_(std::clamp(channels, 0, kRecorderChannels))
{
}

void DerivedChannels::reset()
{
    for (auto& points : recent_)
        points.clear();
    started_ = false;
}

DerivedValues DerivedChannels::add(const RunSample& sample)
{
    DerivedValues out;
    out.spread = SampleSpread(sample, channels_);
    if (started_ && sample.time < lastTime_)
        reset();
    started_ = true;
    lastTime_ = sample.time;
    for (int ch = 0; ch < channels_; ++ch) {
        std::deque<Point>& points = recent_[ch];
        const float v = sample.values[ch];
        if (!HasReading(v))
            continue;
        points.push_back({sample.time, v});
        // Keep the latest point far enough back, and everything after it.
        while (points.size() >= 2 && FarEnoughBack(points[1].time, sample.time, window_))
            points.pop_front();
        const Point& from = points.front();
        if (FarEnoughBack(from.time, sample.time, window_) &&
            !TooLongAgo(from.time, sample.time, window_))
            out.rates[ch] = float((double(v) - from.value) / (double(sample.time) - from.time));
    }
    return out;
}

DerivedValues DerivedAt(const SampleSource& run, qsizetype row, double windowSeconds,
                        int channels)
{
    DerivedValues out;
    if (row < 0 || row >= run.size())
        return out;
    const double window = windowSeconds > 0 ? windowSeconds : kDefaultRateWindow;
    const int n = std::clamp(channels, 0, kRecorderChannels);
    const RunSample& now = run.sample(row);
    out.spread = SampleSpread(now, n);
    for (int ch = 0; ch < n; ++ch) {
        if (!HasReading(now.values[ch]))
            continue;
        // Back to the first reading far enough back; a later time on the way back means an
        // earlier run, which does not count.
        float later = now.time;
        for (qsizetype r = row - 1; r >= 0; --r) {
            const RunSample& then = run.sample(r);
            if (then.time > later || TooLongAgo(then.time, now.time, window))
                break;
            later = then.time;
            if (!HasReading(then.values[ch]) || !FarEnoughBack(then.time, now.time, window))
                continue;
            out.rates[ch] = float((double(now.values[ch]) - then.values[ch]) /
                                  (double(now.time) - then.time));
            break;
        }
    }
    return out;
}
