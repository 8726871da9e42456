#include "platform/FileSync.h"

#include <QDir>
#include <QFileDevice>
#include <QString>
#include <io.h>
#include <qt_windows.h>

bool syncFileToDisk(QFileDevice &file)
{
    const int fd = file.handle();
    return fd >= 0 && FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
}

bool syncFolderToDisk(const QString &)
{
    // MoveFileEx with MOVEFILE_WRITE_THROUGH already waits for the rename.
    return true;
}

bool replaceFile(const QString &from, const QString &to)
{
    return MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool giveNewFileMode(QFileDevice &)
{
    return true; // the folder's access list applies
}
