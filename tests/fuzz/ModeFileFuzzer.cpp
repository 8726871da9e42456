// libFuzzer target over the mode-file reader (`voxbench mode import`, a file
// dropped on the window): VoxBench JSON, GraphicEQ and Equalizer APO text.
// Whatever a file holds, a reading that succeeds has ten gains in the
// receiver's range and finite figures, and a refusal is one line without a
// control character, of bounded length, whatever text of the file it quotes.
#include "presets/ModeFile.h"
#include "presets/ModeNameRule.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
// A message quotes at most a few cut pieces of the file.
constexpr int kMaxErrorLength = 400;

void check(bool condition)
{
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const ModeFile::Reading reading = ModeFile::read(bytes);
    if (!reading.ok) {
        check(!reading.error.isEmpty() && reading.error.size() < kMaxErrorLength);
        check(!ModeNameRule::hasControl(reading.error));
        return 0;
    }
    for (int band = 0; band < kBands; ++band) {
        check(reading.gains[band] >= kMinGain && reading.gains[band] <= kMaxGain);
        check(std::isfinite(reading.curve[band]));
    }
    check(std::isfinite(reading.largestDeviationDb) && std::isfinite(reading.largestClampDb));
    check(std::isfinite(reading.preampDb));
    // What the import would refuse, the rule says so; what it shows is one line.
    check(!ModeNameRule::hasControl(ModeNameRule::escaped(reading.name)));
    return 0;
}
