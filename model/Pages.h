#pragma once

#include "device/ReceiverContract.h"
#include "presets/ModeType.h"

// The one page numbering: the tabs in the order the tab bar shows them.
enum class Page : int { Surround = 0, Stereo = 1, MicEnc = 2 };

// What the window shows: the no-receiver page, or the attached receiver's settings.
enum class PageState { NoReceiver, Device };

namespace Pages {

constexpr bool carriesModes(Page page)
{
    return page == Page::Surround || page == Page::Stereo;
}

constexpr Page pageOf(ModeType type)
{
    return type == Stereo ? Page::Stereo : Page::Surround;
}

// Only for a page that carries modes.
constexpr ModeType typeOf(Page page)
{
    return page == Page::Stereo ? Stereo : Surround;
}

// The family of a mode record (ModeData::type).
constexpr ModeType typeOfRecord(int type)
{
    return type == Stereo ? Stereo : Surround;
}

constexpr ModeType otherType(ModeType type)
{
    return type == Stereo ? Surround : Stereo;
}

constexpr PeqKind peqKindOf(ModeType type)
{
    return type == Stereo ? PeqKind::Stereo : PeqKind::Surround;
}

constexpr PageAlgorithm algorithmOf(Page page)
{
    return page == Page::Surround ? PageAlgorithm::Surround
           : page == Page::Stereo ? PageAlgorithm::Stereo
                                  : PageAlgorithm::None;
}

constexpr Page pageOfIndex(int index)
{
    return index == int(Page::Surround) ? Page::Surround
           : index == int(Page::Stereo) ? Page::Stereo
                                        : Page::MicEnc;
}

} // namespace Pages
