#pragma once

#include <cmath>
#include <cstdint>

namespace tc4sim
{

// Deterministic random stream: the same seed gives the same sequence on every build, which the
// standard library's distributions do not promise.
class SimRandom
{
public:
    explicit SimRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        // splitmix64
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    // Uniform in [lo, hi).
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }

    // Uniform integer in [lo, hi]; hi >= lo.
    int between(int lo, int hi)
    {
        const auto span = static_cast<std::uint64_t>(hi - lo) + 1;
        return lo + static_cast<int>(next() % span);
    }

    bool chance(double probability) { return uniform() < probability; }

    // Standard normal deviate (Box-Muller; the second value is thrown away for simplicity).
    double gaussian()
    {
        double u1 = uniform();
        while (u1 <= 0.0)
            u1 = uniform();
        const double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * 3.14159265358979323846 * u2);
    }

private:
    std::uint64_t state_;
};

} // namespace tc4sim
