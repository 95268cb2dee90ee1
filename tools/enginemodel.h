#pragma once

#include "simrandom.h"

#include <array>
#include <cstdint>

namespace tc4sim
{

// Four thermocouples of a warm engine on a test bed: channels 1-3 exhaust-gas temperatures
// following the engine load through first-order lags (channel 2 downstream of channel 1),
// channel 4 a fluid temperature near 90 C. The engine starts warm at a working load, then the
// load steps now and then. Fully determined by the seed and the step length.
class EngineModel
{
public:
    static constexpr int channelCount = 4;

    EngineModel(std::uint64_t seed, double stepSeconds);

    // Advances the model by one step and returns the readings in degrees C.
    std::array<double, channelCount> step();

private:
    void maybeChangeLoad();
    static double lagFactor(double stepSeconds, double tauSeconds);

    SimRandom random_;
    double dt_;
    double time_ = 0.0;
    double ambient_;
    double load_ = 0.0;     // 0 = idle, 1 = full load
    double nextLoadChange_; // model time of the next load step
    double peakFirst_;      // channel 1 at full load
    double peakThird_;      // channel 3 at full load
    double first_;
    double downstream_; // channel 2 follows channel 1 through a further lag
    double third_;
    double fluid_;
    std::array<double, channelCount> drift_{}; // slowly wandering part of the noise
};

} // namespace tc4sim
