#include "platform/InstanceLock.h"

#include "platform/InstanceKeys.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kStartKey = QStringLiteral("instance");
const QString kLaunchKey = QStringLiteral("launch");
constexpr int kPollMs = 20;
constexpr int kRecordWaitMs = 1000;
constexpr int kMaxRecord = 4096;
// What openRegular() returns for a key that is there but is not a regular file.
constexpr int kNotRegular = -2;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A key file opened without blocking (a FIFO in its place would wait for a
// writer), and kept only when it is a regular file: -1 with errno, or kNotRegular.
int openRegular(const QByteArray &path, int flags)
{
    const int fd = ::open(path.constData(), flags | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat info;
    if (fd < 0 || (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)))
        return fd;
    ::close(fd);
    return kNotRegular;
}

// O_NOFOLLOW: a link planted in place of the file is refused, not followed. Read-only
// where the folder is: flock needs no write access, so the guard holds there too.
int openKey(const QString &key, QString *error)
{
    const QByteArray path = QFile::encodeName(InstanceKeys::scoped(key));
    int fd = openRegular(path, O_RDWR | O_CREAT);
    if (fd == -1 && (errno == EROFS || errno == EACCES || errno == EPERM))
        fd = openRegular(path, O_RDONLY);
    if (fd < 0)
        *error = QString::fromLocal8Bit(path) + QStringLiteral(": ") +
                 (fd == kNotRegular ? QStringLiteral("not a regular file; remove it") : systemError());
    return fd < 0 ? -1 : fd;
}

// flock has no time-out of its own.
bool lockWithin(int fd, int operation, int timeoutMs)
{
    for (int waited = 0;; waited += kPollMs) {
        if (::flock(fd, operation | LOCK_NB) == 0)
            return true;
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= timeoutMs)
            return false;
        ::usleep(kPollMs * 1000);
    }
}
} // namespace

struct InstanceLock::Private
{
    int start = -1;
    int instance = -1;
    int launch = -1;
    QString error;

    // The data folder itself, which must be this user's.
    int openFolder()
    {
        const QByteArray path = QFile::encodeName(InstanceKeys::dataFolder());
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            error = QString::fromLocal8Bit(path) + QStringLiteral(": ") + systemError();
            return -1;
        }
        struct stat info;
        if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid()) {
            error = QString::fromLocal8Bit(path) + QStringLiteral(": not a folder of this user");
            ::close(fd);
            return -1;
        }
        return fd;
    }
};

InstanceLock::InstanceLock() : d(std::make_unique<Private>()) {}

InstanceLock::~InstanceLock()
{
    for (const int fd : {d->instance, d->start, d->launch}) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool InstanceLock::lockStart()
{
    if (d->start < 0)
        d->start = openKey(kStartKey, &d->error);
    if (d->start < 0)
        return false;
    int result;
    do
        result = ::flock(d->start, LOCK_EX);
    while (result != 0 && errno == EINTR);
    if (result != 0)
        d->error = systemError();
    return result == 0;
}

void InstanceLock::unlockStart()
{
    if (d->start >= 0)
        ::flock(d->start, LOCK_UN);
}

InstanceLock::Claim InstanceLock::claim()
{
    if (d->instance < 0)
        d->instance = d->openFolder();
    if (d->instance < 0)
        return Claim::Unguarded;
    if (::flock(d->instance, LOCK_EX | LOCK_NB) == 0)
        return Claim::First;
    if (errno == EWOULDBLOCK)
        return Claim::Running;
    d->error = systemError();
    return Claim::Unguarded;
}

QString InstanceLock::errorString() const
{
    return d->error;
}

bool InstanceLock::claimedElsewhere()
{
    const int fd = d->openFolder();
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // also lets go of the lock if it was taken here
    return held;
}

bool InstanceLock::lockLaunch(int timeoutMs)
{
    if (d->launch < 0)
        d->launch = openKey(kLaunchKey, &d->error);
    if (d->launch < 0)
        return false;
    if (lockWithin(d->launch, LOCK_EX, timeoutMs))
        return true;
    d->error = systemError();
    return false;
}

void InstanceLock::unlockLaunch()
{
    if (d->launch >= 0)
        ::flock(d->launch, LOCK_UN);
}

// Written in place: the lock of "a" is on this file, a rename would lose it.
bool InstanceLock::recordServer(const QString &name)
{
    const QByteArray text = QFile::encodeName(name);
    return d->start >= 0 && ::ftruncate(d->start, 0) == 0 &&
           ::pwrite(d->start, text.constData(), size_t(text.size()), 0) == text.size();
}

QString InstanceLock::recordedServer()
{
    const int fd = openRegular(QFile::encodeName(InstanceKeys::scoped(kStartKey)), O_RDONLY);
    if (fd < 0)
        return QString();
    // A start that is writing it holds "a"; a stopped one must not hold up the reader.
    const bool shared = lockWithin(fd, LOCK_SH, kRecordWaitMs);
    QByteArray text(kMaxRecord, '\0');
    const ssize_t size = ::pread(fd, text.data(), size_t(text.size()), 0);
    if (shared)
        ::flock(fd, LOCK_UN);
    ::close(fd);
    return size > 0 ? QFile::decodeName(text.left(int(size))) : QString();
}
