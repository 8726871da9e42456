#pragma once

#include "presets/ModeData.h"

#include <QMap>
#include <QString>
#include <map>
#include <memory>

// The modes of one receiver model (a default preset file) or of one receiver
// (an entry of config.json's "customizeMode"). The maps own their modes; keys
// are ordered by UTF-16 code units, and a name occurs once per map.
struct DeviceModes
{
    using ModeMap = std::map<QString, std::unique_ptr<ModeData>>;

    QString vid;
    QString pid;
    QString deviceUuid;
    bool micENC = true;
    ModeMap stereoModes;
    ModeMap surroundModes;

    ModeMap &modes(int type) { return type == Stereo ? stereoModes : surroundModes; }
    const ModeMap &modes(int type) const { return type == Stereo ? stereoModes : surroundModes; }

    // Files the mode under its name in the map of its type; a name already there keeps
    // its mode and the new one is destroyed. True when the mode was stored.
    bool insert(std::unique_ptr<ModeData> mode)
    {
        if (!mode)
            return false;
        const QString name = mode->name;
        return modes(mode->type).emplace(name, std::move(mode)).second;
    }
};
