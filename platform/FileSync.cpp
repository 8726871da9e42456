#include "platform/FileSync.h"

#include <QFileDevice>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <io.h>
#include <qt_windows.h>

bool syncFileToDisk(QFileDevice &file)
{
    const int fd = file.handle();
    return fd >= 0 && FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
}
#else
#include <unistd.h>

bool syncFileToDisk(QFileDevice &file)
{
    const int fd = file.handle();
    return fd >= 0 && ::fsync(fd) == 0;
}
#endif
