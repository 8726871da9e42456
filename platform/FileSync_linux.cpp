#include "platform/FileSync.h"

#include <QFile>
#include <QFileDevice>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool syncFileToDisk(QFileDevice &file)
{
    const int fd = file.handle();
    return fd >= 0 && ::fsync(fd) == 0;
}

bool syncFolderToDisk(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return synced;
}

bool replaceFile(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool giveNewFileMode(QFileDevice &file)
{
    // The umask can only be read by setting it; only the GUI thread creates files.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const int fd = file.handle();
    return fd >= 0 && ::fchmod(fd, 0666 & ~mask) == 0;
}

QString lastFileError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
