#pragma once

#include <array>
#include <cstdint>

// Levels of a 57-band spectrum (0..100) that look like music: a bass-heavy
// tilt, a kick on every beat and a snare between them, a melody that wanders
// over the mid bands with its overtones, and a little smooth jitter.
// Frame n is a pure function of n and the frame period, so every reader sees the same song.
class MusicLevels
{
public:
    static constexpr int kBands = 57;
    using Levels = std::array<std::uint8_t, kBands>;

    explicit MusicLevels(int framePeriodMs) : m_periodMs(framePeriodMs > 0 ? framePeriodMs : 50) {}

    Levels frame(std::uint64_t index) const;

private:
    int m_periodMs;
};
