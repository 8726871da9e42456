// Mode selection: built-in presets and the custom modes of each tab, shown as
// the model has them; every click is one model call.
#include "window/VoxBench.h"

#include "log/DebugLog.h"
#include "platform/BoundedRead.h"
#include "presets/ModeFile.h"
#include "presets/ModeNameRule.h"
#include "ui/MessageBox.h"
#include "window/CurvePreview.h"
#include "window/ModeNameElider.h"
#include "window/TabControls.h"

#include <QButtonGroup>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

namespace {
constexpr int kSlots = ReceiverLimits::kCustomSlots;

void logModeClicked(const char *message, const char *function, int line)
{
    writeDebugLog(QStringLiteral("mode Clicked"), QLatin1String(message), QStringLiteral("VoxBench"),
                  QLatin1String(function), line);
}

// Checks one button of an exclusive group, or none.
void checkOnly(QButtonGroup *group, QAbstractButton *button)
{
    if (button) {
        button->setChecked(true);
        return;
    }
    if (QAbstractButton *checked = group->checkedButton()) {
        group->setExclusive(false);
        checked->setChecked(false);
        group->setExclusive(true);
    }
}
} // namespace

QRadioButton *VoxBench::customButton(ModeType type, int slot) const
{
    return tab(type).custom[slot];
}

// The model's texts are English, as the command line answers with them; shown
// here in the user's language.
QString VoxBench::shownMessage(const ReceiverModel::Outcome &outcome)
{
    const QString text = QCoreApplication::translate("ReceiverModel", outcome.text);
    return outcome.argument == ReceiverModel::kNoArgument ? text : text.arg(outcome.argument);
}

void VoxBench::tellRefusal(const ReceiverModel::Outcome &outcome, const QString &title)
{
    if (outcome.ok() || outcome.result == ReceiverModel::Result::Full)
        return;
    if (outcome.result == ReceiverModel::Result::NoReceiver)
        MessageBox::warning(this, tr("warning"), shownMessage(outcome));
    else
        MessageBox::information(this, title, shownMessage(outcome));
}

void VoxBench::presetClicked(ModeType type, int button)
{
    if (!tab(type).presets[button]->isChecked())
        return;
    tellRefusal(m_model->selectPreset(type, button), tr("warning"));
}

void VoxBench::customSlotClicked(ModeType type, int slot)
{
    customizeModeClicked(type, slot);
}

void VoxBench::on_RadioButton_Surround_DeepBass_Clicked()
{
    presetClicked(Surround, 0);
}

void VoxBench::on_RadioButton_Surround_FPS_Clicked()
{
    presetClicked(Surround, 1);
}

void VoxBench::on_RadioButton_Surround_Moba_Clicked()
{
    logModeClicked("Surround Moba", "on_RadioButton_Surround_Moba_Clicked", 1953);
    presetClicked(Surround, 2);
}

void VoxBench::on_RadioButton_Surround_VornStandard_Clicked()
{
    logModeClicked("Surround VornStandard", "on_RadioButton_Surround_VornStandard_Clicked", 1967);
    presetClicked(Surround, 3);
}

void VoxBench::on_RadioButton_Stereo_Pop_Clicked()
{
    logModeClicked("Stereo Pop", "on_RadioButton_Stereo_Pop_Clicked", 2016);
    presetClicked(Stereo, 0);
}

void VoxBench::on_RadioButton_Stereo_RockRoll_Clicked()
{
    logModeClicked("Stereo RockRoll", "on_RadioButton_Stereo_RockRoll_Clicked", 2028);
    presetClicked(Stereo, 1);
}

void VoxBench::on_RadioButton_Stereo_DeepBass_Clicked()
{
    logModeClicked("Stereo DeepBass", "on_RadioButton_Stereo_DeepBass_Clicked", 2039);
    presetClicked(Stereo, 2);
}

void VoxBench::on_RadioButton_Stereo_Jazz_Clicked()
{
    logModeClicked("Stereo Jazz", "on_RadioButton_Stereo_Jazz_Clicked", 2051);
    presetClicked(Stereo, 3);
}

void VoxBench::on_RadioButton_Stereo_Classic_Clicked()
{
    logModeClicked("Stereo Classic", "on_RadioButton_Stereo_Classic_Clicked", 2062);
    presetClicked(Stereo, 4);
}

void VoxBench::on_RadioButton_Stereo_VornStandard_Clicked()
{
    logModeClicked("Stereo VornStandard", "on_RadioButton_Stereo_VornStandard_Clicked", 2073);
    presetClicked(Stereo, 5);
}

void VoxBench::on_RadioButton_Surround_Customize_Clicked()
{
    onCustomizeClicked(Surround);
}

void VoxBench::on_RadioButton_Stereo_Customize_Clicked()
{
    onCustomizeClicked(Stereo);
}

void VoxBench::on_RadioButton_Surround_CustomOne_Clicked()
{
    customSlotClicked(Surround, 0);
}

void VoxBench::on_RadioButton_Surround_CustomTwo_Clicked()
{
    customSlotClicked(Surround, 1);
}

void VoxBench::on_RadioButton_Surround_CustomThree_Clicked()
{
    customSlotClicked(Surround, 2);
}

void VoxBench::on_RadioButton_Surround_CustomFour_Clicked()
{
    customSlotClicked(Surround, 3);
}

void VoxBench::on_RadioButton_Surround_CustomFive_Clicked()
{
    customSlotClicked(Surround, 4);
}

void VoxBench::on_RadioButton_Stereo_CustomOne_Clicked()
{
    customSlotClicked(Stereo, 0);
}

void VoxBench::on_RadioButton_Stereo_CustomTwo_Clicked()
{
    customSlotClicked(Stereo, 1);
}

void VoxBench::on_RadioButton_Stereo_CustomThree_Clicked()
{
    customSlotClicked(Stereo, 2);
}

void VoxBench::on_RadioButton_Stereo_CustomFour_Clicked()
{
    customSlotClicked(Stereo, 3);
}

void VoxBench::on_RadioButton_Stereo_CustomFive_Clicked()
{
    customSlotClicked(Stereo, 4);
}

void VoxBench::on_PushButton_Stereo_CustomAdd_Clicked()
{
    addCustomizeMode(Stereo);
}

void VoxBench::on_PushButton_Surround_CustomAdd_Clicked()
{
    addCustomizeMode(Surround);
}

void VoxBench::on_PushButton_Stereo_CustomClear_Clicked()
{
    deleteCustomizeMode(Stereo);
}

void VoxBench::on_PushButton_Surround_CustomClear_Clicked()
{
    deleteCustomizeMode(Surround);
}

void VoxBench::soundBtnEvent(ModeData *data)
{
    // Shows the tab of a mode as the model has it.
    if (data)
        showModes(Pages::typeOfRecord(data->type));
}

void VoxBench::onCustomizeClicked(ModeType type)
{
    tellRefusal(m_model->showCustomModes(type), tr("warning"));
}

bool VoxBench::customizeModeClicked(ModeType type, int index)
{
    if (index < 0 || index >= kSlots || !customButton(type, index)->isChecked())
        return false;
    const ReceiverModel::Outcome outcome = m_model->selectCustom(type, index);
    tellRefusal(outcome, tr("warning"));
    return outcome.ok();
}

void VoxBench::addCustomizeMode(ModeType type)
{
    tellRefusal(m_model->addCustomMode(type), tr("warning"));
}

void VoxBench::importModeFile(ModeType type, const QString &path)
{
    // The window waits for no one: a dropped FIFO gets a moment to end, not more.
    constexpr int kReadWaitMs = 1000;
    const BoundedRead::Result read = BoundedRead::read(path, ModeFile::kMaxBytes, kReadWaitMs);
    if (read.status == BoundedRead::Result::Status::Failed ||
        read.status == BoundedRead::Result::Status::TimedOut) {
        MessageBox::information(
            this, tr("prompt"),
            tr("%1 cannot be read: %2")
                .arg(ModeNameRule::escaped(path), read.status == BoundedRead::Result::Status::TimedOut
                                                      ? tr("it did not end")
                                                      : read.error));
        return;
    }
    ModeFile::Options options;
    options.path = path;
    const ModeFile::Reading reading = ModeFile::read(read.bytes, options);
    if (!reading.ok || read.status == BoundedRead::Result::Status::TooLarge) {
        MessageBox::information(this, tr("prompt"),
                                tr("%1 is not a mode file: %2")
                                    .arg(ModeNameRule::escaped(QFileInfo(path).fileName()), reading.error));
        return;
    }
    previewImport(type, path, reading);
}

// Nothing is added unseen: the preview shows the curve and the bands, and Add adds.
void VoxBench::previewImport(ModeType type, const QString &path, const ModeFile::Reading &reading)
{
    // A full tab is told at once, not after the preview.
    if (const ReceiverModel::Outcome room = m_model->checkNewCustomMode(type, QString()); !room.ok()) {
        MessageBox::information(this, tr("warning"), shownMessage(room));
        return;
    }
    auto *preview = new CurvePreview(reading, QFileInfo(path).fileName(), this);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    const QString name = (reading.name.isEmpty() ? QFileInfo(path).completeBaseName() : reading.name)
                             .left(ModeNameRule::kMaxLength)
                             .trimmed();
    connect(preview, &QDialog::accepted, this, [this, type, name, path, reading] {
        ReceiverModel::Outcome outcome = m_model->addCustomMode(type, name, &reading.gains);
        // A name the tab has already still leaves the curve worth having; one that
        // breaks the rule (control characters) is refused with the file.
        if (outcome.result == ReceiverModel::Result::NameTaken)
            outcome = m_model->addCustomMode(type, QString(), &reading.gains);
        if (!outcome.ok()) {
            MessageBox::information(this, tr("warning"), shownMessage(outcome));
            return;
        }
        qInfo().noquote() << "imported" << path << "as" << ModeFile::formatName(reading.format) << "on tab"
                          << type << "shift" << reading.shiftDb << "dB, RMS deviation"
                          << reading.rmsDeviationDb << "dB, largest" << reading.largestDeviationDb << "dB";
    });
    preview->open();
}

QString VoxBench::customizeName(ModeType type)
{
    return m_model->freeDefaultName(type);
}

void VoxBench::deleteCustomizeMode(ModeType type)
{
    const ReceiverModel::Selection &selection = m_model->selection(type);
    if (selection.chosen && selection.origin == ModeOrigin::Custom)
        tellRefusal(m_model->deleteCustomMode(type, selection.slot), tr("warning"));
}

void VoxBench::on_PushButton_CustomSave_Clicked()
{
    const Page page = m_model->page();
    if (!Pages::carriesModes(page))
        return;
    const ReceiverModel::Outcome outcome =
        m_model->saveCustomMode(Pages::typeOf(page), ui.lineEdit_CustomName->text());
    if (outcome.result != ReceiverModel::Result::NotCustom)
        tellRefusal(outcome, tr("warning"));
}

void VoxBench::on_PushButton_CustomReset_Clicked()
{
    const Page page = m_model->page();
    if (Pages::carriesModes(page))
        resetSliderValue(Pages::typeOf(page));
}

void VoxBench::loadUserInformation()
{
    // The model restores the receiver's remembered modes; the window shows them.
    showModes(Surround);
    showModes(Stereo);
}

void VoxBench::setTabWidgetIndex(int index)
{
    // The page's handler runs once for the index, also when that page is current.
    const ReceiverModel::Outcome outcome = m_model->selectPage(Pages::pageOfIndex(index));
    if (!outcome.ok()) {
        const QString message = shownMessage(outcome);
        m_model->afterSends(this, [message] { MessageBox::information(nullptr, tr("prompt"), message); });
    }
}

// What a tab shows follows the model: the chosen preset or Customize, the
// custom modes with their names, the sliders and whether they can be moved.
void VoxBench::showModes(ModeType type)
{
    const TabControls &controls = tab(type);
    const ReceiverModel::Selection &selection = m_model->selection(type);
    const bool attached = m_model->attached();

    QRadioButton *checked = selection.customView    ? controls.customize
                            : selection.preset >= 0 ? controls.presets[selection.preset]
                                                    : nullptr;
    checkOnly(type == Stereo ? m_stereoGroup.get() : m_surroundGroup.get(), checked);

    bool any = false;
    for (int slot = 0; slot < kSlots; ++slot)
        customButton(type, slot)->setVisible(false);
    for (const ReceiverModel::CustomMode &mode : m_model->customModes(type)) {
        QRadioButton *button = customButton(type, mode.slot);
        ModeNameElider::setName(button, mode.name);
        button->setVisible(selection.customView && attached);
        any = true;
    }
    const bool customChosen = selection.chosen && selection.origin == ModeOrigin::Custom;
    checkOnly(controls.customGroup, customChosen ? customButton(type, selection.slot) : nullptr);
    setCustomizeGroupBoxVisible(selection.customView && any && attached, type);
    setCustomizeAddAndDeleteVisible(selection.customView && attached, type);
    setSliderEnable(customChosen, type);
    const Gains &gains = m_model->gains(type);
    setSliderValue(std::vector<int>(gains.begin(), gains.end()), type);
    if (m_model->page() == Pages::pageOf(type))
        showEditStrip(type);
}

// A choice on the tab: the strip above the tabs takes its height, and the name
// field the chosen custom mode's name.
void VoxBench::showSelection(ModeType type)
{
    const ReceiverModel::Selection &selection = m_model->selection(type);
    if (selection.chosen)
        ui.tabWidget->setGeometry(44, 100, 1089, 162);
    if (selection.chosen && selection.origin == ModeOrigin::Custom)
        ui.lineEdit_CustomName->setText(m_model->chosenName(type));
    showModes(type);
}

void VoxBench::showEditStrip(ModeType type)
{
    const ReceiverModel::Selection &selection = m_model->selection(type);
    setCustomizeEditVisible(selection.chosen && selection.origin == ModeOrigin::Custom);
}

void VoxBench::setCustomizeVisible(bool enabled, ModeType type)
{
    setCustomizeAddAndDeleteVisible(enabled, type);
    for (int slot = 0; slot < kSlots; ++slot)
        customButton(type, slot)->setVisible(enabled);
}

void VoxBench::setCustomizeAddAndDeleteVisible(bool enabled, ModeType type)
{
    tab(type).add->setVisible(enabled);
    tab(type).clear->setVisible(enabled);
}

void VoxBench::setCustomizeGroupBoxVisible(bool enabled, ModeType type)
{
    tab(type).customBox->setVisible(enabled);
}

void VoxBench::setCustomizeEditVisible(bool enabled)
{
    ui.lineEdit_CustomName->setVisible(enabled);
    ui.pushButton_CustomReset->setVisible(enabled);
    ui.pushButton_CustomSave->setVisible(enabled);
}
