#pragma once

#include <QtGlobal>

// Between two spectrum reports each band moves to its new level in nine steps,
// one per animation tick.
class SpectrumSmoother
{
public:
    static constexpr int kBands = 57;
    static constexpr int kSteps = 9;
    static constexpr int kFrameLength = 114;
    static constexpr int kFrameBuffer = 115;

    void pushSpectrumLevels(const quint8 *levels, int count);
    void nextSpectrumFrame(quint8 *frame, int *length);

private:
    int m_table[kBands][kSteps] = {};
    int m_step = 0;
};
