#pragma once

#include "presets/ModeType.h"

#include <array>

// The built-in presets of each tab by button number: the names the default
// preset files give them.
namespace PresetNames {

constexpr std::array<const char *, 6> kStereo = {"Pop",  "Pack&Roll", "Deep Bass",
                                                 "Jazz", "Classic",   "Vorn Standard"};
constexpr std::array<const char *, 4> kSurround = {"Deep Bass", "FPS", "MOBA", "Vorn Standard"};

constexpr int count(ModeType type)
{
    return type == Stereo ? int(kStereo.size()) : int(kSurround.size());
}

// The name of button n of the tab, or an empty name outside the buttons.
constexpr const char *name(ModeType type, int button)
{
    if (button < 0 || button >= count(type))
        return "";
    return type == Stereo ? kStereo[button] : kSurround[button];
}

} // namespace PresetNames
