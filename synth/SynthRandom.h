#pragma once
// The generator's random numbers: one 64-bit stream per purpose, seeded from
// the chart's seed, so that changing how one part is drawn leaves the others as
// they were. Own arithmetic on top of the engine: the same numbers everywhere.

#include <cmath>
#include <cstdint>
#include <random>

namespace synth {

class TRandom
{
public:
    TRandom(std::uint64_t seed, std::uint64_t stream) : FGen(seed * 0x9E3779B97F4A7C15ull ^ (stream + 0x632BE59BD9B4E019ull)) {}

    double U() { return double(FGen() >> 11) * 0x1.0p-53; }
    double U(double a, double b) { return a + (b - a) * U(); }
    int I(int a, int b) { return a + int(U() * (b - a + 1)) % (b - a + 1); } // a..b inclusive
    bool B(double probability) { return U() < probability; }
    double N() // standard normal (Box-Muller)
    {
        const double u1 = std::max(U(), 1e-300), u2 = U();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }
    std::uint64_t Bits() { return FGen(); }

private:
    std::mt19937_64 FGen;
};

} // namespace synth
