#pragma once

#include "device/UsbHidCommands.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <vector>

// One equalizer mode as a file people pass around, and the curve formats
// people publish: VoxBench's own JSON, AutoEq/Equalizer APO "GraphicEQ:"
// lines and Equalizer APO configurations. A curve is put on the receiver's
// level (BandFit::levelShiftDb), fitted with the ten bands over 20 Hz-20 kHz
// (BandFit::fit), and the reading says how far the result is from the curve.
namespace ModeFile {

// Bump when a reader of version N could not read the file right.
constexpr int kVersion = 1;
// Mode files and published curves are a few kilobytes; more is not one.
constexpr qint64 kMaxBytes = 1 << 20;
// The "format" value that tells our files from any other JSON.
constexpr char kFormat[] = "voxbench-mode";
enum class Format { VoxBench, GraphicEq, Parametric };

// Which side of a curve with per-channel sections becomes the mode.
enum class Channel { Both, Left, Right };

struct Options
{
    Channel channel = Channel::Both; // Both: the two sides averaged
    QString path;                    // the file, for "Include:" lines; empty for standard input
};

struct Reading
{
    bool ok = false;
    QString error; // why the text is not a mode, when !ok
    Format format = Format::VoxBench;
    QString name;                       // the file's own name for the mode, if it has one
    QString tab;                        // "surround" or "stereo" when the file names one
    std::array<double, kBands> curve{}; // the file's curve at the ten bands, in dB, as written
    std::array<int, kBands> gains{};    // what the receiver is sent
    // How far the gains are from the curve: for a curve over 20 Hz-20 kHz
    // (BandFit::grid()), for a VoxBench file at the ten bands.
    double largestDeviationDb = 0;
    double rmsDeviationDb = 0;
    // Largest part of the curve cut off by the receiver's −12…12 dB, and how
    // many bands were cut.
    double largestClampDb = 0;
    int clampedBands = 0;
    // A parametric file's "Preamp:" (part of the curve, so the level rule takes it out again).
    double preampDb = 0;
    // The level rule's shift, added to the curve before the fit.
    double shiftDb = 0;
    // A curve with per-channel sections: which side was read, and how far the sides differ.
    Channel channel = Channel::Both;
    bool perChannel = false;
    double sideDifferenceDb = 0;    // largest |left - right| over 20 Hz-20 kHz
    double sideRmsDifferenceDb = 0; // its RMS
    int otherChannelLines = 0;      // commands for channels other than L and R, left out
    int includedFiles = 0;
    // The shifted curve the fit aimed at, at BandFit::grid() (empty for a VoxBench file).
    std::vector<double> aimDb;
};

// Reads any of the three formats; which one is told by the text itself.
Reading read(const QByteArray &text, const Options &options = Options());

// The mode as a VoxBench mode file (indented JSON, newline at the end).
QByteArray write(const QString &name, const QString &tab, const std::array<int, kBands> &gains);

// The name of a format as the command line reports it.
QString formatName(Format format);

// "L", "R" or "" (both), as --channel takes them.
QString channelName(Channel channel);

} // namespace ModeFile
