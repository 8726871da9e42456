#include "model/CustomModes.h"

#include "model/ReceiverLimits.h"
#include "presets/ModeNameRule.h"
#include "presets/WriteReadJson.h"

#include <QUuid>
#include <algorithm>
#include <memory>

Gains CustomModes::gainsOf(const std::vector<int> &values)
{
    // A mode read from a file may hold fewer than ten gains: the rest are flat.
    Gains gains{};
    for (int band = 0; band < ReceiverLimits::kBands && band < int(values.size()); ++band)
        gains[band] = values[band];
    return gains;
}

Gains CustomModes::clamped(Gains gains)
{
    for (int &gain : gains)
        gain = std::clamp(gain, ReceiverLimits::kMinGain, ReceiverLimits::kMaxGain);
    return gains;
}

ModeData *CustomModes::stored(ModeType type, int slot) const
{
    bool used[ReceiverLimits::kCustomSlots] = {};
    for (ModeData *mode : m_store.customizeModes(type)) {
        if (mode->index < 0 || mode->index >= ReceiverLimits::kCustomSlots || used[mode->index])
            continue;
        used[mode->index] = true;
        if (mode->index == slot)
            return mode;
    }
    return nullptr;
}

std::vector<CustomModes::Mode> CustomModes::list(ModeType type) const
{
    std::vector<Mode> modes;
    for (int slot = 0; slot < ReceiverLimits::kCustomSlots; ++slot) {
        if (const ModeData *mode = stored(type, slot))
            modes.push_back({slot, mode->name, gainsOf(mode->parameter)});
    }
    return modes;
}

QStringList CustomModes::withoutSlot(ModeType type) const
{
    QStringList names;
    for (const ModeData *mode : m_store.customizeModes(type)) {
        if (stored(type, mode->index) != mode)
            names << mode->name;
    }
    return names;
}

QString CustomModes::freeDefaultName(ModeType type) const
{
    const QMap<QString, ModeData *> modes = m_store.customizeModes(type);
    for (int k = 1;; ++k) {
        const QString candidate = k < 10 ? QStringLiteral("Mode0%1").arg(k) : QStringLiteral("Mode%1").arg(k);
        if (!modes.contains(candidate))
            return candidate;
    }
}

int CustomModes::lowestFreeSlot(ModeType type) const
{
    int slot = 0;
    while (slot < ReceiverLimits::kCustomSlots && stored(type, slot))
        ++slot;
    return slot;
}

ModelOutcome CustomModes::checkName(ModeType type, const QString &name, const ModeData *self) const
{
    static_assert(ModeNameRule::kNoNumber == ModelOutcome::kNoArgument, "a text without a number");
    if (const ModeNameRule::Problem problem = ModeNameRule::check(name);
        problem != ModeNameRule::Problem::None)
        return ModelOutcome::refused(ModelResult::BadName, ModeNameRule::text(problem),
                                     ModeNameRule::number(problem));
    for (const ModeData *mode : m_store.customizeModes(type)) {
        if (mode != self && mode->name == name)
            return ModelOutcome::refused(
                ModelResult::NameTaken,
                QT_TRANSLATE_NOOP("ReceiverModel", "The current name has been applied"));
    }
    return {};
}

ModelOutcome CustomModes::checkNew(ModeType type, const QString &name) const
{
    if (m_store.customizeModes(type).size() >= ReceiverLimits::kCustomSlots)
        return ModelOutcome::refused(ModelResult::Full,
                                     QT_TRANSLATE_NOOP("ReceiverModel", "A tab keeps %1 custom modes"),
                                     ReceiverLimits::kCustomSlots);
    return name.isEmpty() ? ModelOutcome() : checkName(type, name, nullptr);
}

ModelOutcome CustomModes::add(ModeType type, const QString &name, const Gains &gains, int *slot)
{
    if (const ModelOutcome allowed = checkNew(type, name); !allowed.ok())
        return allowed;
    const int free = lowestFreeSlot(type);
    auto mode = std::make_unique<ModeData>();
    mode->algorithm = type == Stereo ? QStringLiteral("Stereo") : QStringLiteral("Surround");
    mode->uuid = QUuid::createUuid().toString();
    mode->type = type;
    mode->name = name.isEmpty() ? freeDefaultName(type) : name;
    mode->index = free;
    const Gains kept = clamped(gains);
    mode->parameter.assign(kept.begin(), kept.end());
    mode->customizeType = qint32(ModeOrigin::Custom);
    m_store.insertCustomizeMode(std::move(mode));
    // The store keeps custom modes only for a receiver it can come back to.
    if (!stored(type, free))
        return ModelOutcome::refused(
            ModelResult::NotKept,
            QT_TRANSLATE_NOOP("ReceiverModel", "the receiver told no identity; its modes cannot be kept"));
    *slot = free;
    return {};
}

ModelOutcome CustomModes::remove(ModeType type, int slot)
{
    const ModeData *mode = stored(type, slot);
    if (!mode)
        return ModelOutcome::refused(ModelResult::NoSuchMode,
                                     QT_TRANSLATE_NOOP("ReceiverModel", "no custom mode in slot %1"),
                                     slot + 1);
    m_store.removeCustomizeMode(mode);
    return {};
}

ModelOutcome CustomModes::rename(ModeType type, int slot, const QString &name, const Gains *gains)
{
    ModeData *mode = stored(type, slot);
    if (!mode)
        return ModelOutcome::refused(ModelResult::NoSuchMode,
                                     QT_TRANSLATE_NOOP("ReceiverModel", "no custom mode in slot %1"),
                                     slot + 1);
    if (const ModelOutcome named = checkName(type, name, mode); !named.ok())
        return named;
    const QString oldName = mode->name;
    mode->name = name;
    if (gains)
        mode->parameter.assign(gains->begin(), gains->end());
    m_store.renameCustomizeMode(oldName, mode);
    // The store's copy of the current mode carries its name and gains too.
    const std::optional<ModeData> current = m_store.currentMode();
    if (current && current->uuid == mode->uuid)
        m_store.setCurrentMode(mode);
    return {};
}
