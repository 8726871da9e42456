#pragma once

#include <QString>

// The remembered current mode of one receiver.
struct CurrentModeRecord
{
    QString deviceUuid;
    QString vid;
    QString pid;
    QString uuid;
};
