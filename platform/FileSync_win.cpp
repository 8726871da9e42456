#include "platform/FileSync.h"

#include <QDir>
#include <QFileDevice>
#include <QString>

#include <windows.h>

namespace {
std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}
} // namespace

// A QFile opened by name keeps its HANDLE to itself (handle() is -1), so the
// file is opened once more: FlushFileBuffers writes out the file's cached data
// whichever handle asks.
bool syncFileToDisk(QFileDevice &file)
{
    const HANDLE handle = CreateFileW(nativePath(file.fileName()).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = FlushFileBuffers(handle);
    const DWORD error = GetLastError();
    CloseHandle(handle);
    SetLastError(flushed ? ERROR_SUCCESS : error);
    return flushed;
}

bool syncFolderToDisk(const QString &)
{
    // MOVEFILE_WRITE_THROUGH already waited for the rename to reach the disk.
    return true;
}

bool replaceFile(const QString &from, const QString &to)
{
    return MoveFileExW(nativePath(from).c_str(), nativePath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

QString lastFileError()
{
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, GetLastError(), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString message = text ? QString::fromWCharArray(text).trimmed() : QStringLiteral("unknown error");
    LocalFree(text);
    return message;
}

bool giveNewFileMode(QFileDevice &)
{
    return true; // the folder's access list applies
}
