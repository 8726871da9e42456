#pragma once

#include "device/UsbHidCommands.h"

#include <QByteArray>
#include <QString>
#include <array>

// One equalizer mode as a file people pass around, and the curve formats
// people publish: VoxBench's own JSON, AutoEq/Equalizer APO "GraphicEQ:"
// lines and Equalizer APO parametric filter lists. A curve is sampled at the
// receiver's ten bands, rounded and clamped to what the receiver takes, and
// the reading says how far that is from the curve.
namespace ModeFile {

// Bump when a reader of version N could not read the file right.
constexpr int kVersion = 1;
// Mode files and published curves are a few kilobytes; more is not one.
constexpr qint64 kMaxBytes = 1 << 20;
// The "format" value that tells our files from any other JSON.
constexpr char kFormat[] = "voxbench-mode";
// The sample rate the parametric filters are evaluated at, as Equalizer APO
// designs them for a 48 kHz device.
constexpr double kSampleRateHz = 48000.0;

enum class Format { VoxBench, GraphicEq, Parametric };

struct Reading
{
    bool ok = false;
    QString error; // why the text is not a mode, when !ok
    Format format = Format::VoxBench;
    QString name;                       // the file's own name for the mode, if it has one
    QString tab;                        // "surround" or "stereo" when the file names one
    std::array<double, kBands> curve{}; // the curve at the ten bands, in dB
    std::array<int, kBands> gains{};    // what the receiver is sent
    // Largest |gain - curve| at the ten bands, clamping included.
    double largestDeviationDb = 0;
    // Largest part of the curve cut off by the receiver's −12…12 dB, and how
    // many bands were cut.
    double largestClampDb = 0;
    int clampedBands = 0;
    // A parametric file's "Preamp:" (kept for the report; the gains leave it out).
    double preampDb = 0;
};

// Reads any of the three formats; which one is told by the text itself.
Reading read(const QByteArray &text);

// The mode as a VoxBench mode file (indented JSON, newline at the end).
QByteArray write(const QString &name, const QString &tab, const std::array<int, kBands> &gains);

// The name of a format as the command line reports it.
QString formatName(Format format);

} // namespace ModeFile
