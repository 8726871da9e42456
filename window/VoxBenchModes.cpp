// Mode selection: built-in presets, the custom modes of each tab, and the
// restoring of a receiver's remembered mode.
#include "window/VoxBench.h"

#include "log/DebugLog.h"
#include "presets/WriteReadJson.h"
#include "ui/MessageBox.h"
#include "window/ModeNameElider.h"
#include "window/TabControls.h"

#include <QButtonGroup>
#include <QDebug>
#include <QSet>
#include <QUuid>

namespace {
constexpr int kSlots = kCustomSlots;

void logModeClicked(const char *message, const char *function, int line)
{
    writeDebugLog(QStringLiteral("mode Clicked"), QLatin1String(message), QStringLiteral("VoxBench"),
                  QLatin1String(function), line);
}
} // namespace

QRadioButton *VoxBench::customButton(ModeType type, int slot) const
{
    return tab(type).custom[slot];
}

// Shown as far as the program decides: the button and its group box are not
// hidden, whether or not the window itself is on screen.
bool VoxBench::slotShown(ModeType type, int slot) const
{
    return !customButton(type, slot)->isHidden() && !tab(type).customBox->isHidden();
}

void VoxBench::presetClicked(ModeType type, int button)
{
    const TabControls &controls = tab(type);
    if (!controls.presets[button]->isChecked())
        return;
    if (ModeData *preset = m_store->getPreset(type, button))
        soundBtnEvent(preset);
    const PeqKind kind = controls.peqKind();
    sendPEQParameter(int(kind), modeCode(kind, ModeSource::Preset, button, m_headsetModel));
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
        sendPEQParameter(int(tab(type).peqKind()), customModeCode(type, slot));
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
    const ModeType type = TabEncoding::typeOfRecord(data->type);
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
    mode->algorithm = tab(type).algorithmName();
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
            tab(type).customize->click();
        }
        break;
    }

    QButtonGroup *group = tab(type).customGroup;
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
    const int page = ui.tabWidget->currentIndex();
    if (!TabEncoding::isModePage(page))
        return;
    const ModeType type = TabEncoding::typeOfPage(page);
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
    const int page = ui.tabWidget->currentIndex();
    if (TabEncoding::isModePage(page))
        resetSliderValue(TabEncoding::typeOfPage(page));
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
        tab(Surround).standardPreset()->click();
        setTabWidgetIndex(TabEncoding::kStereoPage);
        tab(Stereo).standardPreset()->click();
        return;
    }
    const ModeType type = TabEncoding::typeOfRecord(current->type);
    setTabWidgetIndex(TabEncoding::pageOf(type));
    restoreOtherTab(TabEncoding::otherType(type));
    restoreRemembered(type, *current);
}

void VoxBench::restoreOtherTab(ModeType type)
{
    const TabControls &controls = tab(type);
    if (!m_store->customizeModes(type).isEmpty() && controls.customize->isChecked())
        onCustomizeClicked(type);
    else
        controls.standardPreset()->click();
}

void VoxBench::restoreRemembered(ModeType type, const ModeData &mode)
{
    if (mode.customizeType == 1) {
        tab(type).customize->click();
        for (int slot = 0; slot < kSlots; ++slot) {
            if (ModeNameElider::name(customButton(type, slot)) == mode.name) {
                customButton(type, slot)->click();
                return;
            }
        }
        return;
    }
    const TabControls &controls = tab(type);
    for (int button = 0; button < PresetNames::count(type); ++button) {
        if (mode.name == controls.presetName(button)) {
            controls.presets[button]->click();
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
