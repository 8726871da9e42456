#include "app/SingleInstance.h"

#include <QDebug>

SingleInstance::~SingleInstance()
{
    releaseLock();
}

InstanceLock::Claim SingleInstance::claim()
{
    // If "a" cannot be used, the test below still works, only unserialised.
    m_locked = m_lock.lockStart();
    if (!m_locked)
        qWarning() << "Single-instance lock:" << m_lock.errorString();
    const InstanceLock::Claim claim = m_lock.claim();
    if (claim == InstanceLock::Claim::Unguarded)
        qWarning() << "Single-instance marker:" << m_lock.errorString();
    return claim;
}

void SingleInstance::recordServer(const QString &name)
{
    // Without it, clients still look where the socket would be in their own runtime folder.
    if (!m_lock.recordServer(name))
        qWarning() << "Single-instance record: cannot write where the instance listens";
}

void SingleInstance::releaseLock()
{
    if (m_locked)
        m_lock.unlockStart();
    m_locked = false;
}
