#pragma once

#include <QString>

// Names of the single-instance objects, scoped to the current user.
// Windows already keeps named objects per log-on session. On Linux the System V
// objects behind QSystemSemaphore and QSharedMemory are machine-wide, so there the
// keys name the user's own runtime folder: another user gets objects of their own.
class InstanceKeys
{
public:
    // The key to give QSystemSemaphore or QSharedMemory for `key`.
    static QString scoped(const QString &key);
    // Where the running instance listens for a second start; empty where unused.
    static QString activationServerName();
};
