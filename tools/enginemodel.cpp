#include "enginemodel.h"

#include <algorithm>
#include <cmath>

namespace tc4sim
{

namespace
{
constexpr double idleLoad = 0.15;
constexpr double exhaustTau = 18.0;   // s, thermocouple in the exhaust manifold
constexpr double downstreamTau = 9.0; // s, extra lag of the probe after the turbine
constexpr double thirdTau = 30.0;     // s, heavier probe further down the pipe
constexpr double fluidTau = 90.0;     // s, coolant warms slowly
constexpr double fluidTarget = 88.0;  // C, thermostat
constexpr double fluidLoadRise = 4.0; // C more at full load
constexpr double downstreamShare = 0.92;
constexpr double minLoadInterval = 15.0; // s between load steps
constexpr double maxLoadInterval = 50.0;
// Lowest load of the warm start: channel 3's coolest full-load probe still reads above 482 C.
constexpr double warmStartMinLoad = 0.8;
} // namespace

EngineModel::EngineModel(std::uint64_t seed, double stepSeconds)
    : random_(seed ^ 0x5EEDED0E9C1E5ULL), dt_(stepSeconds)
{
    ambient_ = 20.0 + random_.uniform(-2.0, 2.0);
    peakFirst_ = random_.uniform(780.0, 880.0);
    peakThird_ = random_.uniform(560.0, 660.0);
    // The engine has been running for a while at a working load, so the exhaust channels start
    // inside the default exhaust-gas range (482..927 C) instead of a minute's warm-up below it.
    load_ = random_.uniform(warmStartMinLoad, 1.0);
    const double share = std::sqrt(load_);
    first_ = ambient_ + (peakFirst_ - ambient_) * share;
    downstream_ = ambient_ + (first_ - ambient_) * downstreamShare;
    third_ = ambient_ + (peakThird_ - ambient_) * share;
    fluid_ = fluidTarget + fluidLoadRise * load_;
    nextLoadChange_ = random_.uniform(minLoadInterval, maxLoadInterval);
}

double EngineModel::lagFactor(double stepSeconds, double tauSeconds)
{
    return 1.0 - std::exp(-stepSeconds / tauSeconds);
}

void EngineModel::maybeChangeLoad()
{
    if (time_ < nextLoadChange_)
        return;
    // Mostly working load, now and then back towards idle, like a test-bed cycle.
    load_ = random_.chance(0.2) ? random_.uniform(idleLoad, 0.4) : random_.uniform(0.55, 1.0);
    nextLoadChange_ = time_ + random_.uniform(minLoadInterval, maxLoadInterval);
}

std::array<double, EngineModel::channelCount> EngineModel::step()
{
    time_ += dt_;
    maybeChangeLoad();

    // Exhaust temperature rises faster than linearly at low load, then flattens.
    const double share = std::sqrt(load_);
    first_ += (ambient_ + (peakFirst_ - ambient_) * share - first_) * lagFactor(dt_, exhaustTau);
    downstream_ += (ambient_ + (first_ - ambient_) * downstreamShare - downstream_) *
                   lagFactor(dt_, downstreamTau);
    third_ += (ambient_ + (peakThird_ - ambient_) * share - third_) * lagFactor(dt_, thirdTau);
    const double fluidGoal = fluidTarget + fluidLoadRise * load_;
    fluid_ += (fluidGoal - fluid_) * lagFactor(dt_, fluidTau);

    // Noise: a slow random walk pulled back to zero plus a little white noise; the exhaust
    // channels are noisier than the fluid.
    const double noise[channelCount] = {2.0, 1.6, 1.2, 0.15};
    const double pull = lagFactor(dt_, 5.0);
    std::array<double, channelCount> out{first_, downstream_, third_, fluid_};
    for (int i = 0; i < channelCount; ++i) {
        drift_[i] += -drift_[i] * pull + random_.gaussian() * noise[i] * std::sqrt(dt_);
        out[i] += drift_[i] + random_.gaussian() * noise[i] * 0.3;
        out[i] = std::max(out[i], ambient_ - 3.0);
    }
    return out;
}

} // namespace tc4sim
