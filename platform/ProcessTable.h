#pragma once

#include <QStringList>
#include <optional>
#include <vector>

// The processes running on this machine, read for what names each answers to,
// so that a rule can follow an application by its name. Listing is cheap (the
// ids only); a process is read one at a time, and only one of this user's.
class ProcessTable
{
public:
    struct Process
    {
        qint64 pid = 0;
        // When it started, in the system's clock ticks since boot: tells a
        // process from a later one that got the same id.
        quint64 started = 0;
        // Its executable's file name, the kernel's command name and, for
        // Windows programs under Wine or Proton, each ".exe" file named in its
        // command line; as found, case and all.
        QStringList names;
        // The executable's file name alone (empty when it cannot be read).
        QString executable;
    };

    // The command line is read this far at most: a program's .exe comes early.
    static constexpr qint64 kMaxCommandLineBytes = 64 * 1024;

    struct Listed
    {
        qint64 pid = 0;
        // Differs between two processes that had the same id one after the
        // other (Linux: the inode of /proc/<pid> in the listing), at no cost
        // beyond the listing itself. Not changed by exec().
        quint64 instance = 0;
    };

    // Every process, or false when processes cannot be listed here.
    static bool list(std::vector<Listed> *processes);
    // The process, if it is still there, belongs to this user and can be read.
    static std::optional<Process> read(qint64 pid);
    // When the process started, if it is still there.
    static std::optional<quint64> started(qint64 pid);
    // The file name of its executable: empty when it cannot be read (another
    // user's process, a kernel thread, gone). Changes with exec().
    static QString executable(qint64 pid);
    // How long ago a process that started at `started` did, in ms.
    static qint64 ageMs(quint64 started);
};
