#pragma once

#include "presets/ModeType.h"

#include <array>

// The built-in presets of each tab by button number: the names the default
// preset files give them.
namespace PresetNames {

constexpr std::array<const char *, 6> kStereo = {"Pop",  "Pack&Roll", "Deep Bass",
                                                 "Jazz", "Classic",   "Vorn Standard"};
constexpr std::array<const char *, 4> kSurround = {"Deep Bass", "FPS", "MOBA", "Vorn Standard"};

// What each button says, in the same order; buttons without a label are not
// offered (the stereo tab's Jazz and Classic have hidden buttons).
constexpr std::array<const char *, 6> kStereoLabels = {"FPS", "Moba", "Flat", "", "", "PelagoPlay Standard"};
constexpr std::array<const char *, 4> kSurroundLabels = {"Flat", "FPS", "Moba", "PelagoPlay Standard"};

// The preset every receiver starts on: the last button of either tab.
constexpr int standardButton(ModeType type)
{
    return type == Stereo ? int(kStereo.size()) - 1 : int(kSurround.size()) - 1;
}

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

// The label of button n, or an empty text for a button that is not offered.
constexpr const char *label(ModeType type, int button)
{
    if (button < 0 || button >= count(type))
        return "";
    return type == Stereo ? kStereoLabels[button] : kSurroundLabels[button];
}

constexpr bool offered(ModeType type, int button)
{
    return label(type, button)[0] != '\0';
}

} // namespace PresetNames
