#include "app/SingleInstance.h"

#include <QDebug>

SingleInstance::~SingleInstance()
{
    releaseLock();
}

bool SingleInstance::claim()
{
    // If "a" cannot be used, the test below still works, only unserialised.
    m_locked = m_lock.lockStart();
    if (!m_locked)
        qWarning() << "Single-instance lock:" << m_lock.errorString();

    switch (m_lock.claim()) {
    case InstanceLock::Claim::First:
        return true;
    case InstanceLock::Claim::Running:
        return false;
    case InstanceLock::Claim::Unguarded:
        break;
    }
    // Not another instance but a guard that cannot be made: run rather than refuse.
    qWarning() << "Single-instance marker:" << m_lock.errorString();
    return true;
}

void SingleInstance::releaseLock()
{
    if (m_locked)
        m_lock.unlockStart();
    m_locked = false;
}
