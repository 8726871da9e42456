#pragma once

#include "model/ReceiverLimits.h"
#include "presets/ModeType.h"

#include <array>
#include <vector>

class QButtonGroup;
class QCustomPlot;
class QGroupBox;
class QPushButton;
class QRadioButton;

// The controls of one mode tab, so that the window reaches them by tab.
struct TabControls
{
    ModeType type = Surround;
    // Built-in preset buttons by button number, named by PresetNames.
    std::vector<QRadioButton *> presets;
    QRadioButton *customize = nullptr;
    std::array<QRadioButton *, ReceiverLimits::kCustomSlots> custom{};
    QPushButton *add = nullptr;
    QPushButton *clear = nullptr;
    QGroupBox *customBox = nullptr;
    QButtonGroup *customGroup = nullptr;
    QCustomPlot *panel = nullptr;

    // The page argument of VoxBenchForm::bandSlider.
    int sliderPage() const { return int(type) + 1; }
};
