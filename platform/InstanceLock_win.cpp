#include "platform/InstanceLock.h"

#include "platform/InstanceKeys.h"

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

// Windows finds the running instance by its window, not by a socket.
bool InstanceLock::recordServer(const QString &)
{
    return true;
}

QString InstanceLock::recordedServer()
{
    return QString();
}
