// bench-alarms: what the alarms cost per reading: the derived values (spread, four rates over
// the window) and every alarm rule, for a long run of four channels whose values cross their
// limits now and then, so that raising and clearing (and their texts) are part of the figure.
// Usage: bench-alarms [SAMPLES]   (default 2 000 000, i.e. 55 hours at 10 readings a second)

#include "alarmengine.h"
#include "derivedchannels.h"

#include <QCoreApplication>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    const long samples = argc > 1 ? std::atol(argv[1]) : 2000000;
    if (samples <= 0) {
        std::fprintf(stderr, "usage: bench-alarms [SAMPLES]\n");
        return 2;
    }
    AlarmSettings settings;
    for (int ch = 0; ch < kRecorderChannels; ++ch) {
        settings.limits[ch] = {1300.0 + ch * 20, 950.0, 15, 2};
        settings.limits[kFirstRateSource + ch] = {20.0, -20.0, 2, 1};
    }
    settings.limits[kSpreadSource] = {120.0, std::nullopt, 10, 5};
    AlarmEngine engine;
    engine.configure(settings, kRecorderChannels, false);
    DerivedChannels derived(settings.rateWindow);
    std::vector<AlarmEvent> events;
    events.reserve(64);
    long raised = 0;
    // Exhaust temperatures swinging slowly through the high limits, one probe failing at times.
    std::vector<RunSample> run(4096);
    for (size_t i = 0; i < run.size(); ++i)
        for (int ch = 0; ch < kRecorderChannels; ++ch)
            run[i].values[ch] =
                (ch == 3 && i % 1024 > 1000)
                    ? kNoReading
                    : float(std::round(1200 + 160 * std::sin(i / 300.0 + ch) + (i * 7 + ch) % 5));

    const auto start = std::chrono::steady_clock::now();
    for (long n = 0; n < samples; ++n) {
        RunSample s = run[size_t(n) % run.size()];
        s.time = float(n % 864000) / 10; // a day of tenths, then the run starts again
        engine.evaluate(s, derived.add(s), events);
        for (const AlarmEvent& e : events)
            raised += e.type == AlarmEvent::Type::Raised;
        events.clear();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double perSample = seconds * 1e6 / double(samples);
    std::printf("%ld samples, %ld alarms raised: %.3f us per sample (%s the 5 us budget)\n",
                samples, raised, perSample, perSample < 5 ? "within" : "OVER");
    return perSample < 5 ? 0 : 1;
}
