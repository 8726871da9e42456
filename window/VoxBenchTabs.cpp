// The tab bar and the Mic ENC box: the page picks the receiver's algorithm
// (through the PEQ upload of its mode) and whether it reports its spectrum.
#include "window/VoxBench.h"

#include "log/DebugLog.h"
#include "ui/MessageBox.h"

#include <QDebug>
#include <QRadioButton>
#include <QThread>
#include <initializer_list>
#include <qcustomplot.h>

namespace {
constexpr int kSurroundPage = 0;
constexpr int kStereoPage = 1;
constexpr int kMicEncPage = 2;

// The receiver needs a moment between the spectrum switch and the PEQ upload.
void settle()
{
    QThread::msleep(10);
}

bool clickFirstChecked(std::initializer_list<QRadioButton *> buttons)
{
    for (QRadioButton *button : buttons) {
        if (button->isChecked()) {
            button->click();
            return true;
        }
    }
    return false;
}

void clickEveryChecked(std::initializer_list<QRadioButton *> buttons)
{
    for (QRadioButton *button : buttons) {
        if (button->isChecked())
            button->click();
    }
}

void setShown(std::initializer_list<QWidget *> widgets, bool shown)
{
    for (QWidget *widget : widgets)
        widget->setVisible(shown);
}

// Shown by the mode logic, whether or not the window itself is on screen.
bool anyShown(std::initializer_list<QRadioButton *> buttons)
{
    for (QRadioButton *button : buttons) {
        if (!button->isHidden())
            return true;
    }
    return false;
}
} // namespace

void VoxBench::on_TabWidget_Clicked(int index)
{
    UsbHidDeviceState &state = usbHidDeviceState();

    if (state.device71.load() == 0 && index == kSurroundPage && m_headsetModel != 1) {
        qDebug() << "Mr.Lok TabWidget_Clicked:" << state.device71.load() << m_headsetModel;
        // Runs the whole stereo branch before the box comes up.
        ui.tabWidget->setCurrentIndex(kStereoPage);
        MessageBox::information(nullptr, QStringLiteral("prompt"),
                                QStringLiteral("The device does not support this algorithm"));
        return;
    }

    if (index == kSurroundPage) {
        m_activeTab = 2;
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

        state.spectrumOn.store(0);
        usbHidSend_SpectrumSwitch(0);
        settle();

        if (clickFirstChecked({ui.radioButton_Surround_DeepBass, ui.radioButton_Surround_FPS,
                               ui.radioButton_Surround_Moba, ui.radioButton_Surround_VornStandard}))
            return;
        const std::initializer_list<QRadioButton *> custom = {
            ui.radioButton_Surround_Custom1, ui.radioButton_Surround_Custom2, ui.radioButton_Surround_Custom3,
            ui.radioButton_Surround_Custom4, ui.radioButton_Surround_Custom5};
        if (ui.radioButton_Surround_Customize->isChecked()) {
            ui.tabWidget->setGeometry(44, 100, 1089, 192);
            clickEveryChecked(custom);
        } else {
            setCustomizeEditVisible(false);
            setCustomizeAddAndDeleteVisible(anyShown(custom), ModeType::Surround);
        }
        return;
    }

    if (index == kStereoPage) {
        m_activeTab = 1;
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

        const int spectrumOn = m_headsetModel == 0 ? 1 : 0;
        state.spectrumOn.store(spectrumOn);
        usbHidSend_SpectrumSwitch(spectrumOn);
        settle();

        if (clickFirstChecked({ui.radioButton_Stereo_Pop, ui.radioButton_Stereo_RockRoll,
                               ui.radioButton_Stereo_DeepBass, ui.radioButton_Stereo_Jazz,
                               ui.radioButton_Stereo_Classic, ui.radioButton_Stereo_VornStandard}))
            return;
        const std::initializer_list<QRadioButton *> custom = {
            ui.radioButton_Stereo_Custom1, ui.radioButton_Stereo_Custom2, ui.radioButton_Stereo_Custom3,
            ui.radioButton_Stereo_Custom4, ui.radioButton_Stereo_Custom5};
        if (ui.radioButton_Stereo_Customize->isChecked()) {
            clickEveryChecked(custom);
        } else {
            setCustomizeEditVisible(false);
            setCustomizeAddAndDeleteVisible(anyShown(custom), ModeType::Stereo);
        }
        return;
    }

    if (index == kMicEncPage) {
        m_activeTab = 3;
        state.spectrumOn.store(0);
        usbHidSend_SpectrumSwitch(0);
        // No mode is re-applied here, and a playing speaker test goes on.
        setShown({ui.widget_Param_Stereo, ui.widget_Param_Surround, ui.groupBox_Stereo_Spectrum,
                  ui.groupBox_SurroundTest, ui.lineEdit_CustomName, ui.pushButton_CustomReset,
                  ui.pushButton_CustomSave, ui.label_dB, ui.label_Hz},
                 false);
    }
}

void VoxBench::on_CheckBox_MicENC_Clicked()
{
    if (ui.checkBox_MicENC->isChecked()) {
        usbHidSend_SetAlgorithmSwitch(1, 0, 1, 0);
        writeDebugLog(QStringLiteral("MicENC Switch"), QStringLiteral("Open ENC"), QStringLiteral("VoxBench"),
                      QStringLiteral("on_CheckBox_MicENC_Clicked"), 2302);
    } else {
        usbHidSend_SetAlgorithmSwitch(1, 0, 2, 0);
        writeDebugLog(QStringLiteral("MicENC Switch"), QStringLiteral("CLose ENC"),
                      QStringLiteral("VoxBench"), QStringLiteral("on_CheckBox_MicENC_Clicked"), 2307);
    }
}
