#include "platform/ProcessCommandLine.h"

#include <qt_windows.h>
#include <shellapi.h>

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
