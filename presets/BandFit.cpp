#include "presets/BandFit.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace BandFit {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Enough rounds for the fit to settle with every band clamped in turn.
constexpr int kMaxRounds = 100;
constexpr double kSettledDb = 1e-5;
constexpr double kStepDb = 1e-3; // for the slopes of the band shapes
constexpr double kRidge = 1e-9;  // keeps the normal equations solvable

using Row = std::vector<double>;
using Values = std::array<double, kBands>;

// Solves the small symmetric system a x = b by elimination with pivoting.
Row solve(std::vector<Row> a, Row b)
{
    const int n = int(b.size());
    for (int column = 0; column < n; ++column) {
        int pivot = column;
        for (int row = column + 1; row < n; ++row)
            if (std::abs(a[row][column]) > std::abs(a[pivot][column]))
                pivot = row;
        std::swap(a[column], a[pivot]);
        std::swap(b[column], b[pivot]);
        for (int row = column + 1; row < n; ++row) {
            const double factor = a[row][column] / a[column][column];
            for (int k = column; k < n; ++k)
                a[row][k] -= factor * a[column][k];
            b[row] -= factor * b[column];
        }
    }
    Row x(n);
    for (int row = n - 1; row >= 0; --row) {
        double sum = b[row];
        for (int k = row + 1; k < n; ++k)
            sum -= a[row][k] * x[k];
        x[row] = sum / a[row][row];
    }
    return x;
}

double bandDb(int band, double gain, double hz)
{
    return peakDb(kBandHz[band], gain, kBandQ, hz);
}

// What is left of the target once the bands have their gains.
Row residual(const Row &target, const Values &gains)
{
    const std::vector<double> &hz = grid();
    Row left = target;
    for (size_t i = 0; i < hz.size(); ++i)
        for (int band = 0; band < kBands; ++band)
            left[i] -= bandDb(band, gains[band], hz[i]);
    return left;
}

// Gauss-Newton on the bands not held: the band shapes change a little with
// their gain, so one linear solve is not quite the fit.
// With `limit`, a band that leaves −12…12 dB is held at the limit, and let go
// again when the rest of the fit would rather pull it back inside.
Values fitGains(const Row &target, bool limit)
{
    const std::vector<double> &hz = grid();
    Values gains{};
    std::array<bool, kBands> held{};
    for (int round = 0; round < kMaxRounds; ++round) {
        const Row left = residual(target, gains);
        std::vector<int> free;
        std::vector<Row> slopes;
        std::vector<Row> allSlopes(kBands, Row(hz.size()));
        for (int band = 0; band < kBands; ++band) {
            for (size_t i = 0; i < hz.size(); ++i)
                allSlopes[band][i] = (bandDb(band, gains[band] + kStepDb, hz[i]) -
                                      bandDb(band, gains[band] - kStepDb, hz[i])) /
                                     (2 * kStepDb);
            if (!held[band]) {
                free.push_back(band);
                slopes.push_back(allSlopes[band]);
            }
        }
        const int n = int(free.size());
        Row step;
        if (n > 0) {
            std::vector<Row> a(n, Row(n, 0.0));
            Row b(n, 0.0);
            for (int j = 0; j < n; ++j) {
                for (int k = 0; k < n; ++k)
                    for (size_t i = 0; i < hz.size(); ++i)
                        a[j][k] += slopes[j][i] * slopes[k][i];
                a[j][j] += kRidge;
                for (size_t i = 0; i < hz.size(); ++i)
                    b[j] += slopes[j][i] * left[i];
            }
            step = solve(a, b);
        }
        double largestStep = 0;
        bool newlyHeld = false;
        for (int j = 0; j < n; ++j) {
            const int band = free[j];
            gains[band] += step[j];
            largestStep = std::max(largestStep, std::abs(step[j]));
            if (limit && (gains[band] < kMinGain || gains[band] > kMaxGain)) {
                gains[band] = std::clamp(gains[band], double(kMinGain), double(kMaxGain));
                held[band] = newlyHeld = true;
            }
        }
        if (newlyHeld || largestStep > kSettledDb)
            continue;
        // Settled: a held band whose pull points back inside is let go.
        bool released = false;
        for (int band = 0; band < kBands; ++band) {
            if (!held[band])
                continue;
            double pull = 0;
            for (size_t i = 0; i < hz.size(); ++i)
                pull += allSlopes[band][i] * left[i];
            if ((gains[band] <= kMinGain && pull > 0) || (gains[band] >= kMaxGain && pull < 0))
                held[band] = false, released = true;
        }
        if (!released)
            break;
    }
    return gains;
}

double squaredError(const Row &target, const std::vector<Row> &responses)
{
    double sum = 0;
    for (size_t i = 0; i < target.size(); ++i) {
        double left = target[i];
        for (const Row &response : responses)
            left -= response[i];
        sum += left * left;
    }
    return sum;
}

Row responseOf(int band, int gain)
{
    const std::vector<double> &hz = grid();
    Row response(hz.size());
    for (size_t i = 0; i < hz.size(); ++i)
        response[i] = bandDb(band, gain, hz[i]);
    return response;
}

} // namespace

const std::vector<double> &grid()
{
    static const std::vector<double> points = [] {
        std::vector<double> hz;
        const double octaves = std::log2(kHighestHz / kLowestHz);
        const int steps = int(std::ceil(octaves * kPointsPerOctave));
        for (int step = 0; step <= steps; ++step)
            hz.push_back(kLowestHz * std::pow(kHighestHz / kLowestHz, double(step) / steps));
        return hz;
    }();
    return points;
}

double peakDb(double centreHz, double gainDb, double q, double hz)
{
    if (gainDb == 0)
        return 0;
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2 * kPi * centreHz / kSampleRateHz;
    const double alpha = std::sin(w0) / (2 * q);
    const double cosW0 = std::cos(w0);
    const std::complex<double> z1 = std::polar(1.0, -2 * kPi * hz / kSampleRateHz);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h = ((1 + alpha * a) - 2 * cosW0 * z1 + (1 - alpha * a) * z2) /
                                   ((1 + alpha / a) - 2 * cosW0 * z1 + (1 - alpha / a) * z2);
    return 20 * std::log10(std::abs(h));
}

double bandsDb(const std::array<int, kBands> &gains, double hz)
{
    double sum = 0;
    for (int band = 0; band < kBands; ++band)
        sum += bandDb(band, gains[band], hz);
    return sum;
}

double levelShiftDb(const Curve &curve)
{
    double sum = 0;
    for (const double hz : grid())
        sum += curve(hz);
    return -sum / double(grid().size());
}

Fit fit(const Curve &curve)
{
    const std::vector<double> &hz = grid();
    Row target(hz.size());
    for (size_t i = 0; i < hz.size(); ++i)
        target[i] = curve(hz[i]);

    Fit result;
    const Values wished = fitGains(target, false);
    for (const double gain : wished) {
        const double beyond = std::abs(gain - std::clamp(gain, double(kMinGain), double(kMaxGain)));
        if (beyond > 0.5) {
            ++result.clampedBands;
            result.largestClampDb = std::max(result.largestClampDb, beyond);
        }
    }

    const Values fitted = fitGains(target, true);
    std::vector<Row> responses;
    for (int band = 0; band < kBands; ++band) {
        result.gains[band] = int(std::lround(std::clamp(fitted[band], double(kMinGain), double(kMaxGain))));
        responses.push_back(responseOf(band, result.gains[band]));
    }
    // Rounding each band on its own is not the best whole-dB fit where bands overlap.
    double error = squaredError(target, responses);
    for (bool better = true; better;) {
        better = false;
        for (int band = 0; band < kBands; ++band) {
            for (const int nudge : {-1, 1}) {
                const int gain = result.gains[band] + nudge;
                if (gain < kMinGain || gain > kMaxGain)
                    continue;
                Row kept = responseOf(band, gain);
                std::swap(responses[band], kept);
                const double tried = squaredError(target, responses);
                if (tried < error - 1e-9) {
                    error = tried;
                    result.gains[band] = gain;
                    better = true;
                } else {
                    std::swap(responses[band], kept);
                }
            }
        }
    }
    result.rmsDeviationDb = std::sqrt(error / double(hz.size()));
    for (size_t i = 0; i < hz.size(); ++i) {
        double left = target[i];
        for (const Row &response : responses)
            left -= response[i];
        result.largestDeviationDb = std::max(result.largestDeviationDb, std::abs(left));
    }
    return result;
}

} // namespace BandFit
