#include "tools/emulator/MusicLevels.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kBeatSeconds = 0.5; // 120 beats per minute

// Deterministic value in [-1, 1] for (frame, band).
double jitter(std::uint64_t frame, int band)
{
    std::uint64_t x =
        frame * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(band) * 0xBF58476D1CE4E5B9ull;
    x ^= x >> 31;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 29;
    return static_cast<double>(x & 0xFFFF) / 32767.5 - 1.0;
}

double bump(double band, double centre, double width)
{
    const double d = (band - centre) / width;
    return std::exp(-0.5 * d * d);
}
} // namespace

MusicLevels::Levels MusicLevels::frame(std::uint64_t index) const
{
    const double t = static_cast<double>(index) * m_periodMs / 1000.0;
    const double inBeat = std::fmod(t, kBeatSeconds);
    const double kick = std::exp(-inBeat / 0.09);
    const double offBeat = std::fmod(t + kBeatSeconds / 2, kBeatSeconds);
    const double snare =
        (static_cast<std::uint64_t>(t / kBeatSeconds) % 2 == 1) ? std::exp(-offBeat / 0.06) : 0.0;
    const double swell = 0.8 + 0.2 * std::sin(2 * kPi * t / 8.0);
    const double melody = 24.0 + 10.0 * std::sin(2 * kPi * t / 4.0) + 4.0 * std::sin(2 * kPi * t / 1.3);

    Levels levels{};
    for (int b = 0; b < kBands; ++b) {
        const double x = b;
        double level = 68.0 - 38.0 * x / (kBands - 1); // more energy low down, like most mixes
        level += 28.0 * kick * bump(x, 3.0, 4.0);
        level += 18.0 * snare * bump(x, 30.0, 9.0);
        level += 16.0 * bump(x, melody, 2.5) + 8.0 * bump(x, melody * 1.6, 3.0);
        // Neighbouring bands move together; smooth the jitter over three bands.
        level += 3.0 * (jitter(index, b - 1) + 2.0 * jitter(index, b) + jitter(index, b + 1)) / 4.0 * 2.0;
        level *= swell;
        levels[b] = static_cast<std::uint8_t>(std::clamp(std::lround(level), 0L, 100L));
    }
    return levels;
}
