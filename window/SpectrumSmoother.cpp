#include "window/SpectrumSmoother.h"

#include <algorithm>

namespace {
quint8 clampLevel(int value)
{
    return static_cast<quint8>(std::clamp(value, 0, 100));
}
} // namespace

void SpectrumSmoother::pushSpectrumLevels(const quint8 *levels, int count)
{
    m_step = 0;
    const int bands = std::clamp(count, 0, kBands);
    for (int b = 0; b < bands; ++b) {
        int *steps = m_table[b];
        // The level that was newest becomes the start, whatever was last drawn.
        steps[0] = steps[8];
        steps[8] = levels[b];
        const int a = steps[0];
        const int z = steps[8];
        steps[4] = (a + z) / 2;
        steps[2] = (a + steps[4]) / 2;
        steps[6] = (steps[4] + z) / 2;
        steps[1] = (a + steps[2]) / 2;
        steps[3] = (steps[2] + steps[4]) / 2;
        steps[5] = (steps[4] + steps[6]) / 2;
        steps[7] = (steps[6] + z) / 2;
    }
}

void SpectrumSmoother::nextSpectrumFrame(quint8 *frame, int *length)
{
    for (int b = 0; b < kBands; ++b) {
        const int value = m_table[b][m_step];
        const int next = b + 1 < kBands ? m_table[b + 1][m_step] : 0;
        frame[2 * b] = clampLevel(value);
        frame[2 * b + 1] = clampLevel((value + next) / 2);
    }
    m_step = (m_step + 1) % kSteps;
    if (length)
        *length = kFrameLength;
}
