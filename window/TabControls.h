#pragma once

#include "device/ReceiverContract.h"
#include "device/UsbHidOperation.h"
#include "presets/ModeType.h"
#include "presets/PresetNames.h"

#include <array>
#include <vector>

class QButtonGroup;
class QCustomPlot;
class QGroupBox;
class QPushButton;
class QRadioButton;

// The tab written four ways: the tab bar's page, the mode family (ModeType),
// the send kind of a PEQ upload, and m_activeTab. One conversion per pair.
namespace TabEncoding {

constexpr int kSurroundPage = 0;
constexpr int kStereoPage = 1;
constexpr int kMicEncPage = 2;

// Values of m_activeTab.
constexpr int kActiveStereo = 1;
constexpr int kActiveSurround = 2;
constexpr int kActiveMicEnc = 3;

// The Surround and Stereo pages carry modes; their page index is the ModeType.
constexpr bool isModePage(int page)
{
    return page == kSurroundPage || page == kStereoPage;
}

constexpr int pageOf(ModeType type)
{
    return type == Stereo ? kStereoPage : kSurroundPage;
}

// Only for a mode page.
constexpr ModeType typeOfPage(int page)
{
    return page == kStereoPage ? Stereo : Surround;
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

constexpr ModeType typeOfPeqKind(PeqKind kind)
{
    return kind == PeqKind::Stereo ? Stereo : Surround;
}

constexpr int activeTabOfPage(int page)
{
    return page == kSurroundPage ? kActiveSurround : page == kStereoPage ? kActiveStereo : kActiveMicEnc;
}

constexpr PageAlgorithm algorithmOfPage(int page)
{
    return page == kSurroundPage ? PageAlgorithm::Surround
           : page == kStereoPage ? PageAlgorithm::Stereo
                                 : PageAlgorithm::None;
}

// The page argument of VoxBenchForm::bandSlider.
constexpr int sliderPageOf(ModeType type)
{
    return int(type) + 1;
}

} // namespace TabEncoding

// The controls of one mode tab, so that the window reaches them by tab.
struct TabControls
{
    ModeType type = Surround;
    // Built-in preset buttons by button number, named by PresetNames.
    std::vector<QRadioButton *> presets;
    QRadioButton *customize = nullptr;
    std::array<QRadioButton *, kCustomSlots> custom{};
    QPushButton *add = nullptr;
    QPushButton *clear = nullptr;
    QGroupBox *customBox = nullptr;
    QButtonGroup *customGroup = nullptr;
    QCustomPlot *panel = nullptr;
    // What the program last sent for this tab.
    Gains *sentGains = nullptr;

    int sliderPage() const { return TabEncoding::sliderPageOf(type); }
    PeqKind peqKind() const { return TabEncoding::peqKindOf(type); }
    QString algorithmName() const
    {
        return type == Stereo ? QStringLiteral("Stereo") : QStringLiteral("Surround");
    }
    QLatin1String presetName(int button) const { return QLatin1String(PresetNames::name(type, button)); }
    // "Vorn Standard", the last preset of either tab.
    QRadioButton *standardPreset() const { return presets.back(); }
};
