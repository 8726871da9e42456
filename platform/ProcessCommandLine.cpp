#include "platform/ProcessCommandLine.h"

#include <QFile>

bool ProcessCommandLine::splitProcCmdline(const QByteArray &contents, QStringList *arguments)
{
    // Every argument, the last one too, ends with a NUL; an empty argument is a lone NUL.
    if (contents.isEmpty() || !contents.endsWith('\0'))
        return false;
    QStringList result;
    int start = 0;
    while (start < contents.size()) {
        const int end = contents.indexOf('\0', start);
        result.append(QFile::decodeName(contents.mid(start, end - start)));
        start = end + 1;
    }
    *arguments = result;
    return true;
}

bool isAutorunLaunch()
{
    QStringList arguments;
    if (!ProcessCommandLine::read(&arguments))
        return false;
    return arguments.contains(QStringLiteral("-autorun"), Qt::CaseSensitive);
}
