#include "window/SpectrumSmoother.h"

#include <QtTest>
#include <array>

namespace {
using Frame = std::array<quint8, SpectrumSmoother::kFrameBuffer>;
using Levels = std::array<quint8, SpectrumSmoother::kBands>;

Levels levelsOf(quint8 value)
{
    Levels levels;
    levels.fill(value);
    return levels;
}

Frame next(SpectrumSmoother &smoother)
{
    Frame frame{};
    int length = -1;
    smoother.nextSpectrumFrame(frame.data(), &length);
    if (length != SpectrumSmoother::kFrameLength)
        qWarning() << "frame length" << length;
    return frame;
}
} // namespace

class tst_SpectrumSmoother : public QObject
{
    Q_OBJECT
private slots:
    void ninePassesFromZeroThenCycle();
    void levelsAboveHundredAreStoredButDrawnClamped();
    void lastBandsAndTheByteAfterTheFrame();
    void secondPushStartsFromTheNewestLevels();
    void pushRestartsTheSteps();
    void shortPushLeavesTheOtherBands();
};

void tst_SpectrumSmoother::ninePassesFromZeroThenCycle()
{
    SpectrumSmoother smoother;
    const Levels fifty = levelsOf(50);
    smoother.pushSpectrumLevels(fifty.data(), SpectrumSmoother::kBands);

    const int expected[9] = {0, 6, 12, 18, 25, 31, 37, 43, 50};
    for (int step = 0; step < 9; ++step) {
        int length = 0;
        Frame frame{};
        smoother.nextSpectrumFrame(frame.data(), &length);
        QCOMPARE(length, 114);
        for (int b = 0; b < SpectrumSmoother::kBands; ++b) {
            QCOMPARE(int(frame[2 * b]), expected[step]);
            // Between two equal bands the half-way value is the same.
            if (b < SpectrumSmoother::kBands - 1)
                QCOMPARE(int(frame[2 * b + 1]), expected[step]);
        }
    }
    // No new report: the animation runs through the nine steps again.
    QCOMPARE(int(next(smoother)[0]), 0);
    QCOMPARE(int(next(smoother)[0]), 6);
}

void tst_SpectrumSmoother::levelsAboveHundredAreStoredButDrawnClamped()
{
    SpectrumSmoother smoother;
    Levels levels = levelsOf(0);
    levels[0] = 150;
    levels[1] = 255;
    smoother.pushSpectrumLevels(levels.data(), SpectrumSmoother::kBands);
    Frame frame;
    for (int step = 0; step < 9; ++step)
        frame = next(smoother);
    QCOMPARE(int(frame[0]), 100);
    // (150 + 255) / 2 = 202, drawn as 100; band 1 to the empty band 2 is 127.
    QCOMPARE(int(frame[1]), 100);
    QCOMPARE(int(frame[2]), 100);
    QCOMPARE(int(frame[3]), 100);
    QCOMPARE(int(frame[4]), 0);

    // The stored 150, not the drawn 100, is where the next report starts.
    const Levels zero = levelsOf(0);
    smoother.pushSpectrumLevels(zero.data(), SpectrumSmoother::kBands);
    QCOMPARE(int(next(smoother)[0]), 100); // step 0 holds 150
    next(smoother);
    next(smoother);
    next(smoother);
    const Frame half = next(smoother); // step 4: (150 + 0) / 2
    QCOMPARE(int(half[0]), 75);
    // Band 0 at 75 and band 1 at 127 meet at 101: clamped.
    QCOMPARE(int(half[1]), 100);
}

void tst_SpectrumSmoother::lastBandsAndTheByteAfterTheFrame()
{
    SpectrumSmoother smoother;
    Levels levels = levelsOf(0);
    levels[55] = 20;
    levels[56] = 81;
    smoother.pushSpectrumLevels(levels.data(), SpectrumSmoother::kBands);
    for (int step = 0; step < 8; ++step)
        next(smoother);
    Frame frame;
    frame.fill(0);
    int length = 0;
    smoother.nextSpectrumFrame(frame.data(), &length);
    QCOMPARE(int(frame[110]), 20);
    QCOMPARE(int(frame[111]), 50); // (20 + 81) / 2
    QCOMPARE(int(frame[112]), 81);
    QCOMPARE(int(frame[113]), 40); // half of band 56, its neighbour counts as 0
    QCOMPARE(int(frame[114]), 0);

    // The byte after the frame is never written.
    frame.fill(0xAB);
    smoother.nextSpectrumFrame(frame.data(), &length);
    QCOMPARE(int(frame[114]), 0xAB);
    QCOMPARE(int(frame[113]), 0); // back at step 0, which started from 0
}

void tst_SpectrumSmoother::secondPushStartsFromTheNewestLevels()
{
    SpectrumSmoother smoother;
    const Levels forty = levelsOf(40);
    const Levels eighty = levelsOf(80);
    smoother.pushSpectrumLevels(forty.data(), SpectrumSmoother::kBands);
    smoother.pushSpectrumLevels(eighty.data(), SpectrumSmoother::kBands);
    // Nothing was drawn of the first push, yet it is the start of the second.
    const int expected[9] = {40, 45, 50, 55, 60, 65, 70, 75, 80};
    for (int step = 0; step < 9; ++step)
        QCOMPARE(int(next(smoother)[20]), expected[step]);
}

void tst_SpectrumSmoother::pushRestartsTheSteps()
{
    SpectrumSmoother smoother;
    const Levels sixteen = levelsOf(16);
    smoother.pushSpectrumLevels(sixteen.data(), SpectrumSmoother::kBands);
    next(smoother);
    next(smoother);
    next(smoother);
    const Levels zero = levelsOf(0);
    smoother.pushSpectrumLevels(zero.data(), SpectrumSmoother::kBands);
    // Step 0 again: the last newest level, 16.
    QCOMPARE(int(next(smoother)[0]), 16);
    QCOMPARE(int(next(smoother)[0]), 14);
}

void tst_SpectrumSmoother::shortPushLeavesTheOtherBands()
{
    SpectrumSmoother smoother;
    const Levels eight = levelsOf(8);
    smoother.pushSpectrumLevels(eight.data(), SpectrumSmoother::kBands);
    const Levels sixteen = levelsOf(16);
    smoother.pushSpectrumLevels(sixteen.data(), 2);
    for (int step = 0; step < 8; ++step)
        next(smoother);
    const Frame frame = next(smoother);
    QCOMPARE(int(frame[0]), 16);
    QCOMPARE(int(frame[2]), 16);
    QCOMPARE(int(frame[4]), 8);
    QCOMPARE(int(frame[3]), 12);
}

QTEST_APPLESS_MAIN(tst_SpectrumSmoother)
#include "tst_SpectrumSmoother.moc"
