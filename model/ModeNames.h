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
// The mode of that name on the tab: the exact name first, then ignoring case.
std::optional<Entry> find(const ReceiverModel &model, ModeType type, const QString &name);
// Whether the tab's selection is that mode.
bool isSelected(const ReceiverModel &model, const Entry &entry);
// Chooses the mode on its tab, as a click on its button.
ReceiverModel::Outcome select(ReceiverModel &model, const Entry &entry);

} // namespace ModeNames
