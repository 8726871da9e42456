#pragma once

#include "model/ReceiverModel.h"

#include <optional>
#include <vector>

// The modes a tab offers by name, in the window's order: the built-in presets
// that have a button, then the custom modes by slot.
namespace ModeNames {

struct Entry
{
    ModeType type = Surround;
    bool builtIn = true;
    int number = -1; // preset button or custom slot
    QString name;
    QString alias; // the preset's name in the preset files, where it differs
};

std::vector<Entry> offered(const ReceiverModel &model, ModeType type);
// The modes of that name on the tab (both tabs without one), in the order
// `offered` gives them: its name, the preset files' name, or the name as
// `modes` shows one holding control characters. Ignoring case only when
// nothing matches exactly. Every verb and the rules find modes by this.
std::vector<Entry> find(const ReceiverModel &model, std::optional<ModeType> tab, const QString &name);
// Whether the tab's selection is that mode.
bool isSelected(const ReceiverModel &model, const Entry &entry);
// Chooses the mode on its tab, as a click on its button.
ReceiverModel::Outcome select(ReceiverModel &model, const Entry &entry);

} // namespace ModeNames
