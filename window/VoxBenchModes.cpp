// Mode selection: built-in presets, the custom modes of each tab, and the
// restoring of a receiver's remembered mode.
#include "window/VoxBench.h"

#include "log/DebugLog.h"
#include "presets/WriteReadJson.h"
#include "ui/MessageBox.h"
#include "window/ModeNameElider.h"

#include <QButtonGroup>
#include <QDebug>
#include <QSet>
#include <QUuid>

namespace {
constexpr int kSlots = 5;

int sendKind(ModeType type)
{
    return type == Stereo ? 0 : 1;
}

// Preset names by button number (Stereo 0..5, Surround 0..3).
const char *const kStereoPresets[] = {"Pop", "Pack&Roll", "Deep Bass", "Jazz", "Classic", "Vorn Standard"};
const char *const kSurroundPresets[] = {"Deep Bass", "FPS", "MOBA", "Vorn Standard"};

void logModeClicked(const char *message, const char *function, int line)
{
    writeDebugLog(QStringLiteral("mode Clicked"), QLatin1String(message), QStringLiteral("VoxBench"),
                  QLatin1String(function), line);
}
} // namespace

QRadioButton *VoxBench::customButton(ModeType type, int slot) const
{
    QRadioButton *const stereo[kSlots] = {ui.radioButton_Stereo_Custom1, ui.radioButton_Stereo_Custom2,
                                          ui.radioButton_Stereo_Custom3, ui.radioButton_Stereo_Custom4,
                                          ui.radioButton_Stereo_Custom5};
    QRadioButton *const surround[kSlots] = {ui.radioButton_Surround_Custom1, ui.radioButton_Surround_Custom2,
                                            ui.radioButton_Surround_Custom3, ui.radioButton_Surround_Custom4,
                                            ui.radioButton_Surround_Custom5};
    return type == Stereo ? stereo[slot] : surround[slot];
}

// Shown as far as the program decides: the button and its group box are not
// hidden, whether or not the window itself is on screen.
bool VoxBench::slotShown(ModeType type, int slot) const
{
    const QGroupBox *box = type == Stereo ? ui.groupBox_Stereo : ui.groupBox_Surround;
    return !customButton(type, slot)->isHidden() && !box->isHidden();
}

void VoxBench::presetClicked(ModeType type, int button)
{
    QRadioButton *const stereo[] = {ui.radioButton_Stereo_Pop,      ui.radioButton_Stereo_RockRoll,
                                    ui.radioButton_Stereo_DeepBass, ui.radioButton_Stereo_Jazz,
                                    ui.radioButton_Stereo_Classic,  ui.radioButton_Stereo_VornStandard};
    QRadioButton *const surround[] = {ui.radioButton_Surround_DeepBass, ui.radioButton_Surround_FPS,
                                      ui.radioButton_Surround_Moba, ui.radioButton_Surround_VornStandard};
    if (!(type == Stereo ? stereo[button] : surround[button])->isChecked())
        return;
    if (ModeData *preset =
            type == Stereo ? m_store->getStereoPreset(button) : m_store->getSurroundPreset(button))
        soundBtnEvent(preset);
    const int code = type == Stereo ? button : (m_headsetModel == 1 ? button : 16 + button);
    sendPEQParameter(sendKind(type), code);
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

void VoxBench::customSlotClicked(ModeType type, int slot)
{
    if (customizeModeClicked(type, slot))
        sendPEQParameter(sendKind(type), customModeCode(type, slot));
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
    if (!data)
        return;
    m_store->setCurrentMode(data);
    ui.tabWidget->setGeometry(44, 100, 1089, 162);
    const ModeType type = data->type == Stereo ? Stereo : Surround;
    if (data->customizeType == 0) {
        setCustomizeVisible(false, type);
        setCustomizeGroupBoxVisible(false, type);
        setCustomizeEditVisible(false);
    } else {
        setCustomizeEditVisible(true);
    }
    setSliderEnable(data->customizeType == 1, type);
    if (usbHidConnection().opened.load() != 1) {
        MessageBox::warning(this, QStringLiteral("warning"), QStringLiteral("Please Insert Device!"));
        return;
    }
    qDebug() << "Mode" << data->name << "gains" << data->parameter;
    setSliderValue(data->parameter, type);
}

void VoxBench::onCustomizeClicked(ModeType type)
{
    const QMap<QString, ModeData *> modes = m_store->customizeModes(type);
    resetSliderValue(type);
    setCustomizeAddAndDeleteVisible(true, type);
    if (modes.isEmpty()) {
        setCustomizeGroupBoxVisible(false, type);
        setCustomizeEditVisible(false);
        return;
    }
    setCustomizeGroupBoxVisible(true, type);

    // Slots outside 0..4, or taken by a mode earlier in name order, give no button.
    bool used[kSlots] = {};
    for (const ModeData *mode : modes) {
        if (mode->index < 0 || mode->index >= kSlots || used[mode->index])
            continue;
        customButton(type, mode->index)->show();
        ModeNameElider::setName(customButton(type, mode->index), mode->name);
        used[mode->index] = true;
    }
    for (int slot = 0; slot < kSlots; ++slot) {
        if (used[slot])
            qDebug() << "Custom slot" << slot << "shown:" << !customButton(type, slot)->isHidden();
        else
            customButton(type, slot)->hide();
    }
    for (int slot = 0; slot < kSlots; ++slot) {
        if (slotShown(type, slot) && customButton(type, slot)->isChecked()) {
            customButton(type, slot)->click();
            return;
        }
    }
    for (int slot = 0; slot < kSlots; ++slot) {
        if (used[slot]) {
            customButton(type, slot)->click();
            return;
        }
    }
}

bool VoxBench::customizeModeClicked(ModeType type, int index)
{
    if (index < 0 || index >= kSlots || !customButton(type, index)->isChecked())
        return false;
    const QString name = ModeNameElider::name(customButton(type, index));
    ModeData *mode = m_store->customizeModes(type).value(name, nullptr);
    if (!mode)
        return false;
    setSliderEnable(true, type);
    soundBtnEvent(mode);
    ui.lineEdit_CustomName->setText(name);
    return true;
}

void VoxBench::addCustomizeMode(ModeType type)
{
    const QMap<QString, ModeData *> modes = m_store->customizeModes(type);
    if (modes.size() >= kSlots)
        return;
    resetSliderValue(type);

    // The next slot is the number of modes; a file whose slots are not 0..n-1
    // gets the lowest free one instead, so no button shows two modes.
    bool used[kSlots] = {};
    for (const ModeData *mode : modes) {
        if (mode->index >= 0 && mode->index < kSlots)
            used[mode->index] = true;
    }
    int slot = modes.size();
    if (used[slot]) {
        slot = 0;
        while (slot < kSlots && used[slot])
            ++slot;
        if (slot == kSlots)
            return;
    }

    QRadioButton *button = customButton(type, slot);
    setCustomizeGroupBoxVisible(true, type);
    button->show();
    ModeNameElider::setName(button, customizeName(type));

    auto mode = std::make_unique<ModeData>();
    mode->algorithm = type == Stereo ? QStringLiteral("Stereo") : QStringLiteral("Surround");
    mode->uuid = QUuid::createUuid().toString();
    mode->type = type;
    mode->name = ModeNameElider::name(button);
    mode->index = slot;
    mode->parameter = getSliderValue(type);
    mode->customizeType = 1;
    m_store->insertCustomizeMode(std::move(mode));

    if (!m_store->customizeModes(type).contains(ModeNameElider::name(button))) {
        // The store keeps custom modes only for a known receiver.
        button->hide();
        if (modes.isEmpty())
            setCustomizeGroupBoxVisible(false, type);
        return;
    }
    button->click();
}

QString VoxBench::customizeName(ModeType type)
{
    const QList<QString> names = m_store->customizeModes(type).keys();
    const QSet<QString> taken(names.begin(), names.end());
    for (int k = 1;; ++k) {
        const QString candidate = k < 10 ? QStringLiteral("Mode0%1").arg(k) : QStringLiteral("Mode%1").arg(k);
        if (!taken.contains(candidate))
            return candidate;
    }
}

void VoxBench::deleteCustomizeMode(ModeType type)
{
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!customButton(type, slot)->isChecked())
            continue;
        if (ModeData *mode = m_store->customizeModes(type).value(
                ModeNameElider::name(customButton(type, slot)), nullptr)) {
            m_store->removeCustomizeMode(mode);
            (type == Stereo ? ui.radioButton_Stereo_Customize : ui.radioButton_Surround_Customize)->click();
        }
        break;
    }

    QButtonGroup *group = type == Stereo ? m_stereoCustomGroup.get() : m_surroundCustomGroup.get();
    bool shownChecked = false;
    for (int slot = 0; slot < kSlots; ++slot) {
        QRadioButton *button = customButton(type, slot);
        if (!slotShown(type, slot) && button->isChecked()) {
            group->setExclusive(false);
            button->setChecked(false);
            group->setExclusive(true);
        }
        shownChecked = shownChecked || (slotShown(type, slot) && button->isChecked());
    }
    if (shownChecked)
        return;
    for (int slot = kSlots - 1; slot >= 0; --slot) {
        if (slotShown(type, slot)) {
            customButton(type, slot)->setChecked(true);
            return;
        }
    }
}

void VoxBench::on_PushButton_CustomSave_Clicked()
{
    const int tab = ui.tabWidget->currentIndex();
    if (tab != Surround && tab != Stereo)
        return;
    const ModeType type = ModeType(tab);
    const QString newName = ui.lineEdit_CustomName->text();
    const std::optional<ModeData> current = m_store->currentMode();
    if (!current || current->customizeType != 1)
        return;

    QRadioButton *button = nullptr;
    for (int slot = 0; slot < kSlots && !button; ++slot) {
        if (customButton(type, slot)->isChecked())
            button = customButton(type, slot);
    }
    if (!button)
        return;

    // The stored mode is the one with the current mode's uuid on this tab.
    const QMap<QString, ModeData *> modes = m_store->customizeModes(type);
    ModeData *stored = nullptr;
    for (ModeData *mode : modes) {
        if (mode->uuid == current->uuid)
            stored = mode;
    }
    if (!stored)
        return;
    for (const ModeData *mode : modes) {
        if (mode->name == newName && mode->uuid != current->uuid) {
            MessageBox::information(this, QStringLiteral("warning"),
                                    QStringLiteral("The current name has been applied"));
            return;
        }
    }

    const QString oldName = stored->name;
    ModeNameElider::setName(button, newName);
    stored->name = newName;
    stored->parameter = getSliderValue(type);
    m_store->renameCustomizeMode(oldName, stored);
    // Keeps the store's copy of the current mode in step; this also rewrites config.json.
    m_store->setCurrentMode(stored);
    m_store->writeConfigJson();
}

void VoxBench::on_PushButton_CustomReset_Clicked()
{
    const int tab = ui.tabWidget->currentIndex();
    if (tab == Stereo)
        resetSliderValue(Stereo);
    else if (tab == Surround)
        resetSliderValue(Surround);
}

void VoxBench::labelCustomButtons(ModeType type)
{
    int slot = 0;
    for (const ModeData *mode : m_store->customizeModes(type)) {
        if (slot >= kSlots)
            break;
        ModeNameElider::setName(customButton(type, slot++), mode->name);
    }
}

void VoxBench::loadUserInformation()
{
    const std::optional<ModeData> current = m_store->currentMode();
    if (!current) {
        ui.radioButton_Surround_VornStandard->click();
        setTabWidgetIndex(1);
        ui.radioButton_Stereo_VornStandard->click();
        return;
    }
    if (current->type == Stereo) {
        setTabWidgetIndex(1);
        restoreOtherTab(Surround);
        restoreRemembered(Stereo, *current);
    } else {
        setTabWidgetIndex(0);
        restoreOtherTab(Stereo);
        restoreRemembered(Surround, *current);
    }
}

void VoxBench::restoreOtherTab(ModeType type)
{
    QRadioButton *customize =
        type == Stereo ? ui.radioButton_Stereo_Customize : ui.radioButton_Surround_Customize;
    if (!m_store->customizeModes(type).isEmpty() && customize->isChecked())
        onCustomizeClicked(type);
    else
        (type == Stereo ? ui.radioButton_Stereo_VornStandard : ui.radioButton_Surround_VornStandard)->click();
}

void VoxBench::restoreRemembered(ModeType type, const ModeData &mode)
{
    if (mode.customizeType == 1) {
        (type == Stereo ? ui.radioButton_Stereo_Customize : ui.radioButton_Surround_Customize)->click();
        for (int slot = 0; slot < kSlots; ++slot) {
            if (ModeNameElider::name(customButton(type, slot)) == mode.name) {
                customButton(type, slot)->click();
                return;
            }
        }
        return;
    }
    QRadioButton *const stereo[] = {ui.radioButton_Stereo_Pop,      ui.radioButton_Stereo_RockRoll,
                                    ui.radioButton_Stereo_DeepBass, ui.radioButton_Stereo_Jazz,
                                    ui.radioButton_Stereo_Classic,  ui.radioButton_Stereo_VornStandard};
    QRadioButton *const surround[] = {ui.radioButton_Surround_DeepBass, ui.radioButton_Surround_FPS,
                                      ui.radioButton_Surround_Moba, ui.radioButton_Surround_VornStandard};
    const int count = type == Stereo ? 6 : 4;
    for (int button = 0; button < count; ++button) {
        const char *name = type == Stereo ? kStereoPresets[button] : kSurroundPresets[button];
        if (mode.name == QLatin1String(name)) {
            (type == Stereo ? stereo[button] : surround[button])->click();
            return;
        }
    }
}

void VoxBench::setTabWidgetIndex(int index)
{
    // The tab handler runs once for the index, also when that tab is already current.
    if (ui.tabWidget->currentIndex() != index)
        ui.tabWidget->setCurrentIndex(index);
    else
        on_TabWidget_Clicked(index);
}

void VoxBench::setCustomizeVisible(bool enabled, ModeType type)
{
    setCustomizeAddAndDeleteVisible(enabled, type);
    for (int slot = 0; slot < kSlots; ++slot)
        customButton(type, slot)->setVisible(enabled);
}

void VoxBench::setCustomizeAddAndDeleteVisible(bool enabled, ModeType type)
{
    (type == Stereo ? ui.pushButton_Stereo_CustomAdd : ui.pushButton_Surround_CustomAdd)->setVisible(enabled);
    (type == Stereo ? ui.pushButton_Stereo_CustomClear : ui.pushButton_Surround_CustomClear)
        ->setVisible(enabled);
}

void VoxBench::setCustomizeGroupBoxVisible(bool enabled, ModeType type)
{
    (type == Stereo ? ui.groupBox_Stereo : ui.groupBox_Surround)->setVisible(enabled);
}

void VoxBench::setCustomizeEditVisible(bool enabled)
{
    ui.lineEdit_CustomName->setVisible(enabled);
    ui.pushButton_CustomReset->setVisible(enabled);
    ui.pushButton_CustomSave->setVisible(enabled);
}
