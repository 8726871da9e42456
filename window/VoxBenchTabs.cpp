// The tab bar and the Mic ENC box: the page picks the receiver's algorithm
// (through the PEQ upload of its mode) and whether it reports its spectrum.
#include "window/VoxBench.h"

#include "log/DebugLog.h"
#include "ui/MessageBox.h"
#include "window/TabControls.h"

#include <QDebug>
#include <QRadioButton>
#include <algorithm>
#include <initializer_list>
#include <qcustomplot.h>

namespace {
using namespace TabEncoding;

bool clickFirstChecked(const std::vector<QRadioButton *> &buttons)
{
    for (QRadioButton *button : buttons) {
        if (button->isChecked()) {
            button->click();
            return true;
        }
    }
    return false;
}

void setShown(std::initializer_list<QWidget *> widgets, bool shown)
{
    for (QWidget *widget : widgets)
        widget->setVisible(shown);
}
} // namespace

void VoxBench::on_TabWidget_Clicked(int index)
{
    const UsbHidDeviceState &state = usbHidDeviceState();

    if (state.device71.load() == 0 && index == kSurroundPage && m_headsetModel != kHeadsetModelOne) {
        qDebug() << "Mr.Lok TabWidget_Clicked:" << state.device71.load() << m_headsetModel;
        // Runs the whole stereo branch, and sends what it asks for, before the box comes up.
        ui.tabWidget->setCurrentIndex(kStereoPage);
        m_session->afterPending(this, [] {
            MessageBox::information(nullptr, QStringLiteral("prompt"),
                                    QStringLiteral("The device does not support this algorithm"));
        });
        return;
    }

    if (index == kSurroundPage) {
        m_activeTab = activeTabOfPage(index);
        ui.widget_Param_Stereo->hide();
        ui.widget_Param_Surround->show();
        ui.groupBox_Stereo_Spectrum->hide();
        ui.groupBox_SurroundTest->show();
        ui.pushButton_SurroundTest->show();
        setShown({ui.label_Horn_Left, ui.label_Horn_Right, ui.label_Horn_Up, ui.label_Horn_LeftUp,
                  ui.label_Horn_LeftDown, ui.label_Horn_RightUp, ui.label_Horn_RightDown},
                 true);
        ui.label_dB->show();
        ui.label_Hz->show();

        m_session->selectPage(algorithmOfPage(index), false);
        reapplyMode(Surround);
        return;
    }

    if (index == kStereoPage) {
        m_activeTab = activeTabOfPage(index);
        ui.widget_Param_Stereo->show();
        ui.widget_Param_Surround->hide();
        ui.groupBox_Stereo_Spectrum->show();
        ui.groupBox_SurroundTest->hide();

        const bool opened = usbHidConnection().opened.load() == 1;
        if (m_headsetModel != 0) {
            // A known headset shows its picture instead of the live spectrum.
            ui.widget_Spectrum->hide();
            ui.label_Spectrum->setVisible(opened);
        } else {
            ui.widget_Spectrum->setVisible(opened);
            ui.label_Spectrum->hide();
        }
        ui.label_dB->show();
        ui.label_Hz->show();

        if (m_testPlaying)
            stopSpeakerTest();

        m_session->selectPage(algorithmOfPage(index), m_headsetModel == 0);
        reapplyMode(Stereo);
        return;
    }

    if (index == kMicEncPage) {
        m_activeTab = activeTabOfPage(index);
        m_session->selectPage(algorithmOfPage(index), false);
        // No mode is re-applied here, and a playing speaker test goes on.
        setShown({ui.widget_Param_Stereo, ui.widget_Param_Surround, ui.groupBox_Stereo_Spectrum,
                  ui.groupBox_SurroundTest, ui.lineEdit_CustomName, ui.pushButton_CustomReset,
                  ui.pushButton_CustomSave, ui.label_dB, ui.label_Hz},
                 false);
    }
}

// The page's mode goes to the receiver again, once the session's settle after
// the spectrum switch has passed.
void VoxBench::reapplyMode(ModeType type)
{
    const TabControls &controls = tab(type);
    if (clickFirstChecked(controls.presets))
        return;
    if (controls.customize->isChecked()) {
        if (type == Surround)
            ui.tabWidget->setGeometry(44, 100, 1089, 192);
        for (QRadioButton *button : controls.custom) {
            if (button->isChecked())
                button->click();
        }
        return;
    }
    setCustomizeEditVisible(false);
    // Shown by the mode logic, whether or not the window itself is on screen.
    const bool anyShown = std::any_of(controls.custom.begin(), controls.custom.end(),
                                      [](const QRadioButton *button) { return !button->isHidden(); });
    setCustomizeAddAndDeleteVisible(anyShown, type);
}

void VoxBench::on_CheckBox_MicENC_Clicked()
{
    if (ui.checkBox_MicENC->isChecked()) {
        m_session->switchAlgorithm(AlgorithmSwitches::kEncOn);
        writeDebugLog(QStringLiteral("MicENC Switch"), QStringLiteral("Open ENC"), QStringLiteral("VoxBench"),
                      QStringLiteral("on_CheckBox_MicENC_Clicked"), 2302);
    } else {
        m_session->switchAlgorithm(AlgorithmSwitches::kEncOff);
        writeDebugLog(QStringLiteral("MicENC Switch"), QStringLiteral("CLose ENC"),
                      QStringLiteral("VoxBench"), QStringLiteral("on_CheckBox_MicENC_Clicked"), 2307);
    }
}
