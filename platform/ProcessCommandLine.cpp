#include "platform/ProcessCommandLine.h"

#include <QFile>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#endif

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

#ifdef Q_OS_WIN
bool ProcessCommandLine::read(QStringList *arguments)
{
    int count = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv)
        return false;
    QStringList result;
    for (int i = 0; i < count; ++i)
        result.append(QString::fromWCharArray(argv[i]));
    LocalFree(argv);
    *arguments = result;
    return true;
}
#else
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
#endif

bool isAutorunLaunch()
{
    QStringList arguments;
    if (!ProcessCommandLine::read(&arguments))
        return false;
    return arguments.contains(QStringLiteral("-autorun"), Qt::CaseSensitive);
}
