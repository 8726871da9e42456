#include "platform/ProcessCommandLine.h"

#include <QFile>

bool ProcessCommandLine::read(QStringList *arguments)
{
    // Read in full: procfs reports a size of 0, so size-based reads see nothing.
    QFile file(QStringLiteral("/proc/self/cmdline"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    QByteArray contents;
    for (;;) {
        const QByteArray chunk = file.read(4096);
        if (chunk.isEmpty())
            break;
        contents += chunk;
    }
    return splitProcCmdline(contents, arguments);
}
