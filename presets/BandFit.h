#pragma once

#include "device/UsbHidCommands.h"

#include <array>
#include <functional>
#include <vector>

// The receiver's ten bands as a curve, and the ten gains that come closest to
// a curve someone else drew. The receiver's band shapes are not published, so
// each band is modelled as fixed-band equalizers usually are: a peaking biquad
// at the band's centre with Q 1.41, at 48 kHz.
namespace BandFit {

// The band model.
constexpr double kBandQ = 1.41;
constexpr double kSampleRateHz = 48000.0;
// The range a fit is judged over, and how finely it is sampled.
constexpr double kLowestHz = 20.0;
constexpr double kHighestHz = 20000.0;
constexpr int kPointsPerOctave = 24;

using Curve = std::function<double(double hz)>;

// The log-spaced frequencies from kLowestHz to kHighestHz, both included.
const std::vector<double> &grid();

// The response of a peaking biquad (Audio EQ Cookbook) at `hz`, in dB.
double peakDb(double centreHz, double gainDb, double q, double hz);

// What the receiver makes of `gains` at `hz`, in dB.
double bandsDb(const std::array<int, kBands> &gains, double hz);

// The level rule: the shift that puts the curve's mean over the grid at 0 dB,
// where the receiver's flat modes sit and its −12…12 dB leaves the same room
// for boosts and cuts. A file's own headroom offset (a preamp, a curve that
// tops out at 0 dB) is its author's choice for a PC equalizer and drops out.
double levelShiftDb(const Curve &curve);

struct Fit
{
    std::array<int, kBands> gains{};
    double rmsDeviationDb = 0;     // over the grid, rounding and clamping included
    double largestDeviationDb = 0; // likewise
    int clampedBands = 0;          // bands the unclamped fit wanted beyond −12…12 dB
    double largestClampDb = 0;     // and by how far beyond, at most
};

// The least-squares fit of the ten gains to `curve` over the grid, clamped to
// −12…12 dB (bands that hit a limit stay there and the others are fitted
// again), rounded to whole dB and then nudged a dB at a time while that
// lowers the squared error.
Fit fit(const Curve &curve);

} // namespace BandFit
