#pragma once

#include <QByteArray>
#include <QStringList>

// The whole command line of this process, program path included, as the
// operating system recorded it (not what QCoreApplication left of it).
class ProcessCommandLine
{
public:
    // False if the command line cannot be read or split.
    static bool read(QStringList *arguments);

    // Splits the contents of /proc/<pid>/cmdline: arguments ended by NUL bytes.
    static bool splitProcCmdline(const QByteArray &contents, QStringList *arguments);
};

// True if any argument of the whole process command line is exactly "-autorun",
// the switch of a log-on start.
bool isAutorunLaunch();
