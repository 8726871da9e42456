#include "model/ModeNames.h"

#include "presets/ModeNameRule.h"
#include "presets/PresetNames.h"

namespace ModeNames {

std::vector<Entry> offered(const ReceiverModel &model, ModeType type)
{
    std::vector<Entry> modes;
    for (int button = 0; button < PresetNames::count(type); ++button) {
        // Presets without a button on the page (Jazz, Classic) cannot be chosen.
        if (!PresetNames::offered(type, button))
            continue;
        const QString label = QLatin1String(PresetNames::label(type, button));
        const QString alias = QLatin1String(PresetNames::name(type, button));
        modes.push_back({type, true, button, label, alias == label ? QString() : alias});
    }
    for (const ReceiverModel::CustomMode &mode : model.customModes(type))
        modes.push_back({type, false, mode.slot, mode.name, QString()});
    return modes;
}

std::vector<Entry> find(const ReceiverModel &model, std::optional<ModeType> tab, const QString &name)
{
    std::vector<Entry> modes;
    for (const ModeType type : {Surround, Stereo}) {
        if (!tab || *tab == type) {
            const std::vector<Entry> onTab = offered(model, type);
            modes.insert(modes.end(), onTab.begin(), onTab.end());
        }
    }
    const auto named = [&name](const QString &modeName, Qt::CaseSensitivity cs) {
        return !modeName.isEmpty() &&
               (modeName.compare(name, cs) == 0 || ModeNameRule::escaped(modeName).compare(name, cs) == 0);
    };
    std::vector<Entry> found;
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const Entry &mode : modes) {
            if (named(mode.name, cs) || named(mode.alias, cs))
                found.push_back(mode);
        }
        if (!found.empty())
            break;
    }
    return found;
}

bool isSelected(const ReceiverModel &model, const Entry &entry)
{
    const ReceiverModel::Selection &selection = model.selection(entry.type);
    if (!selection.chosen)
        return false;
    if (entry.builtIn)
        return selection.origin == ModeOrigin::BuiltIn && selection.preset == entry.number;
    return selection.origin == ModeOrigin::Custom && selection.slot == entry.number;
}

ReceiverModel::Outcome select(ReceiverModel &model, const Entry &entry)
{
    return entry.builtIn ? model.selectPreset(entry.type, entry.number)
                         : model.selectCustom(entry.type, entry.number);
}

} // namespace ModeNames
