#include "platform/InstanceLock.h"

#include "platform/InstanceKeys.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QSharedMemory>
#include <QSystemSemaphore>

struct InstanceLock::Private
{
    QSystemSemaphore semaphore{InstanceKeys::scoped(QStringLiteral("a")), 1, QSystemSemaphore::Open};
    QSharedMemory marker{InstanceKeys::scoped(QStringLiteral("b"))};
    QString error;
};

InstanceLock::InstanceLock() : d(std::make_unique<Private>()) {}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::lockStart()
{
    if (d->semaphore.acquire())
        return true;
    d->error = d->semaphore.errorString();
    return false;
}

void InstanceLock::unlockStart()
{
    d->semaphore.release();
}

InstanceLock::Claim InstanceLock::claim()
{
    if (d->marker.create(1))
        return Claim::First;
    if (d->marker.error() == QSharedMemory::AlreadyExists)
        return Claim::Running;
    d->error = d->marker.errorString();
    return Claim::Unguarded;
}

bool InstanceLock::claimedElsewhere()
{
    QSharedMemory probe{InstanceKeys::scoped(QStringLiteral("b"))};
    return probe.attach();
}

bool InstanceLock::lockLaunch(int)
{
    return true;
}

void InstanceLock::unlockLaunch() {}

QString InstanceLock::errorString() const
{
    return d->error;
}
#else
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

struct InstanceLock::Private
{
    int start = -1;
    int instance = -1;
    int launch = -1;
    QString error;

    // O_NOFOLLOW: a link planted in place of the file is refused, not followed.
    int open(const QString &key)
    {
        const QString path = InstanceKeys::scoped(key);
        if (path.isEmpty()) {
            error = QStringLiteral("no private folder for the instance lock");
            return -1;
        }
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            error = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
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
        d->start = d->open(QStringLiteral("a"));
    if (d->start < 0)
        return false;
    int result;
    do
        result = ::flock(d->start, LOCK_EX);
    while (result != 0 && errno == EINTR);
    if (result != 0)
        d->error = QString::fromLocal8Bit(std::strerror(errno));
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
        d->instance = d->open(QStringLiteral("b"));
    if (d->instance < 0)
        return Claim::Unguarded;
    if (::flock(d->instance, LOCK_EX | LOCK_NB) == 0)
        return Claim::First;
    if (errno == EWOULDBLOCK)
        return Claim::Running;
    d->error = QString::fromLocal8Bit(std::strerror(errno));
    return Claim::Unguarded;
}

QString InstanceLock::errorString() const
{
    return d->error;
}
bool InstanceLock::claimedElsewhere()
{
    const int fd = d->open(QStringLiteral("b"));
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // also lets go of the lock if it was taken here
    return held;
}

bool InstanceLock::lockLaunch(int timeoutMs)
{
    if (d->launch < 0)
        d->launch = d->open(QStringLiteral("c"));
    if (d->launch < 0)
        return false;
    // flock has no time-out of its own.
    constexpr int kPollMs = 20;
    for (int waited = 0;; waited += kPollMs) {
        if (::flock(d->launch, LOCK_EX | LOCK_NB) == 0)
            return true;
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= timeoutMs) {
            d->error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        ::usleep(kPollMs * 1000);
    }
}

void InstanceLock::unlockLaunch()
{
    if (d->launch >= 0)
        ::flock(d->launch, LOCK_UN);
}
#endif
