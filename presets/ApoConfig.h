#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <map>
#include <vector>

// An Equalizer APO configuration as the curve it puts on each side of a
// stereo signal: "Preamp:", "Filter:" (PK, PEQ, LS, HS, LSC, HSC, with Q or
// BW Oct), "GraphicEQ:", "Channel:" sections and "Include:" files. Other
// commands ("Device:", comments, …) change nothing here.
namespace ApoConfig {

// Equalizer APO designs its filters for a 48 kHz device.
constexpr double kSampleRateHz = 48000.0;
// The slope Equalizer APO gives LS and HS shelves (the Cookbook's S).
constexpr double kShelfSlope = 0.9;
// Includes nest at most this deep, and no more files than this are read in all.
constexpr int kMaxIncludeDepth = 8;
constexpr int kMaxFiles = 32;
// A configuration or an included file is a few kilobytes; more is not one.
constexpr qint64 kMaxFileBytes = 1 << 20;

enum Side { Left = 0, Right = 1, kSides = 2 };

enum class FilterType { Peak, LowShelf, HighShelf };

struct Filter
{
    FilterType type = FilterType::Peak;
    double hz = 0;
    double db = 0;
    double q = 0;         // Q, or the shelf slope S for LS and HS
    double octaves = 0;   // the bandwidth, when given as "BW Oct" instead of Q
    bool isSlope = false; // q holds a shelf slope
};

// The filter's gain at `hz`, in dB: the Audio EQ Cookbook biquad at 48 kHz.
double responseDb(const Filter &filter, double hz);

struct Config
{
    bool ok = false;
    QString error;
    int filterLines = 0; // "Filter:" lines, on or off
    int graphicEqLines = 0;
    bool perChannel = false;   // something applies to one side only
    int otherChannelLines = 0; // commands for channels other than L and R, left out
    int includedFiles = 0;
    std::array<double, kSides> preampDb{};
    std::array<std::vector<Filter>, kSides> filters;
    std::array<std::vector<std::map<double, double>>, kSides> graphicEqs;

    // The side's curve at `hz`, in dB.
    double db(Side side, double hz) const;
};

// The text of a configuration file: UTF-8 (with or without a byte-order mark)
// or UTF-16 with one, as Windows editors save it.
QString decodedText(const QByteArray &bytes);

// Reads `text`; `path` is its file, which "Include:" lines are relative to
// (none for standard input, where they are refused).
Config read(const QString &text, const QString &path);

} // namespace ApoConfig
