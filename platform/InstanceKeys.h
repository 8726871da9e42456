#pragma once

#include <QString>

// Names of the single-instance objects, scoped to the current user.
// Windows already keeps named objects per log-on session: the key itself. On Linux
// a file of that name in the user's own folder "voxbench-instance" (mode 0700) in
// the runtime folder; empty when no such folder can be had.
class InstanceKeys
{
public:
    static QString scoped(const QString &key);
    // Where the running instance listens for a second start; empty where unused.
    static QString activationServerName();
};
