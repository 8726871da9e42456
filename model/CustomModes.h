#pragma once

#include "model/Outcome.h"
#include "presets/ModeType.h"

#include "device/UsbHidOperation.h"

#include <QString>
#include <QStringList>
#include <vector>

class WriteReadJson;
struct ModeData;

// The rules of the custom modes each tab keeps for the attached receiver, over
// the store: at most five per tab, each shown on its slot's button, a new one in
// the lowest free slot under the first free "ModeNN", names unique per tab and
// under ModeNameRule. Changes are saved by the caller's batch; nothing is sent.
class CustomModes
{
public:
    // One custom mode as a tab shows it: its slot (button), name and gains.
    struct Mode
    {
        int slot = -1;
        QString name;
        Gains gains{};
    };

    explicit CustomModes(WriteReadJson &store) : m_store(store) {}

    // The mode on a slot's button; slots outside 0..4, or taken by a mode
    // earlier in name order, have none.
    ModeData *stored(ModeType type, int slot) const;
    std::vector<Mode> list(ModeType type) const;
    // Modes of a file that hold more than a tab shows.
    QStringList withoutSlot(ModeType type) const;
    QString freeDefaultName(ModeType type) const;
    int lowestFreeSlot(ModeType type) const;

    // Whether `name` may be the name of a mode of the tab (`self` is the mode renamed).
    ModelOutcome checkName(ModeType type, const QString &name, const ModeData *self) const;
    // Whether a new mode named `name` (empty: "ModeNN") fits on the tab.
    ModelOutcome checkNew(ModeType type, const QString &name) const;

    // A new mode in the lowest free slot, its gains clamped; `slot` says where.
    ModelOutcome add(ModeType type, const QString &name, const Gains &gains, int *slot);
    ModelOutcome remove(ModeType type, int slot);
    // Names the mode in `slot`, and gives it `gains` when asked; the store's
    // copy of the current mode follows.
    ModelOutcome rename(ModeType type, int slot, const QString &name, const Gains *gains = nullptr);

    static Gains clamped(Gains gains);
    static Gains gainsOf(const std::vector<int> &values);

private:
    WriteReadJson &m_store;
};
