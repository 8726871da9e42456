// The tab bar and the Mic ENC box: the page picks the receiver's algorithm
// (through the PEQ upload of its mode) and whether it reports its spectrum.
#include "window/VoxBench.h"

#include "ui/MessageBox.h"
#include "window/TabControls.h"

#include <QCheckBox>
#include <QRadioButton>
#include <initializer_list>
#include <qcustomplot.h>

namespace {
void setShown(std::initializer_list<QWidget *> widgets, bool shown)
{
    for (QWidget *widget : widgets)
        widget->setVisible(shown);
}
} // namespace

void VoxBench::on_TabWidget_Clicked(int index)
{
    if (m_showingPage)
        return;
    setTabWidgetIndex(index);
}

// The page the model chose, with the controls that belong to it.
void VoxBench::showPage(Page page)
{
    if (ui.tabWidget->currentIndex() != int(page)) {
        m_showingPage = true;
        ui.tabWidget->setCurrentIndex(int(page));
        m_showingPage = false;
    }

    // Under the no-receiver page nobody sees the plots: they are shown, their
    // buffers made and the spectrum's picture decoded, when the device page comes.
    const bool covered = m_model->pageState() == PageState::NoReceiver;
    if (page == Page::Surround) {
        ui.widget_Param_Stereo->hide();
        ui.widget_Param_Surround->setVisible(!covered);
        ui.groupBox_Stereo_Spectrum->hide();
        ui.groupBox_SurroundTest->show();
        ui.pushButton_SurroundTest->show();
        setShown({ui.label_Horn_Left, ui.label_Horn_Right, ui.label_Horn_Up, ui.label_Horn_LeftUp,
                  ui.label_Horn_LeftDown, ui.label_Horn_RightUp, ui.label_Horn_RightDown},
                 true);
        ui.label_dB->show();
        ui.label_Hz->show();
    } else if (page == Page::Stereo) {
        ui.widget_Param_Stereo->setVisible(!covered);
        ui.widget_Param_Surround->hide();
        ui.groupBox_Stereo_Spectrum->setVisible(!covered);
        ui.groupBox_SurroundTest->hide();
        const bool opened = m_model->receiverOpen();
        if (m_model->showsPicture()) {
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
    } else {
        // A playing speaker test goes on.
        setShown({ui.widget_Param_Stereo, ui.widget_Param_Surround, ui.groupBox_Stereo_Spectrum,
                  ui.groupBox_SurroundTest, ui.lineEdit_CustomName, ui.pushButton_CustomReset,
                  ui.pushButton_CustomSave, ui.label_dB, ui.label_Hz},
                 false);
        return;
    }

    const ModeType type = Pages::typeOf(page);
    const ReceiverModel::Selection &selection = m_model->selection(type);
    if (type == Surround && selection.customView)
        ui.tabWidget->setGeometry(44, 100, 1089, 192);
    showEditStrip(type);
}

void VoxBench::on_CheckBox_MicENC_Clicked()
{
    m_model->setMicEnc(ui.checkBox_MicENC->isChecked());
}
