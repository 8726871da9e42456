#pragma once

#include <QString>
#include <QStringList>

class QLocalSocket;

// Where the single-instance objects of this user live.
// The guard sits with the data it protects: the user's VoxBench folder, where
// config.json is, so two programs that would share that file always meet,
// whatever the environment says, and programs with homes of their own stay apart.
// Linux: the socket of the running instance lives in the user's own folder
// "voxbench-instance" (mode 0700) in the runtime folder: $XDG_RUNTIME_DIR, or
// /run/user/<uid> when that is unset or not a private folder of this user. Its
// name comes from the data folder, and the running instance records it beside
// the data, so that a client with another runtime folder still finds it.
// Windows: named objects are kept per log-on session; the keys themselves.
class InstanceKeys
{
public:
    // <Documents>/VoxBench, the folder of config.json; made if missing.
    static QString dataFolder();
    // A key of the guard: Windows the key itself; Linux a file in the data folder.
    static QString scoped(const QString &key);
    // Where this instance listens; made if missing; empty when no private runtime
    // folder can be had (or where unused).
    static QString serverName();
    // Where a client looks for the running instance, recorded name first.
    static QStringList serverNames(const QString &recorded);
    // Whether `name` is a socket in a private folder of this user.
    static bool isPrivateServer(const QString &name);
    // Whether the server `socket` is connected to runs as this user.
    static bool isOwnServer(const QLocalSocket &socket);
};
