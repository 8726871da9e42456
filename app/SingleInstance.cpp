#include "app/SingleInstance.h"

#include "platform/InstanceKeys.h"

#include <QDebug>

SingleInstance::SingleInstance()
    : m_semaphore(InstanceKeys::scoped(QStringLiteral("a")), 1, QSystemSemaphore::Open),
      m_marker(InstanceKeys::scoped(QStringLiteral("b")))
{
}

SingleInstance::~SingleInstance()
{
    releaseLock();
}

bool SingleInstance::claim()
{
    // If the semaphore cannot be used, the test below still works, only unserialised.
    m_locked = m_semaphore.acquire();
    if (!m_locked)
        qWarning() << "Single-instance semaphore:" << m_semaphore.errorString();

    if (m_marker.create(1))
        return true;
    if (m_marker.error() == QSharedMemory::AlreadyExists) {
        if (!removeOrphanedMarker())
            return true; // the key is someone else's: run unguarded rather than never
        if (m_marker.create(1))
            return true;
        if (m_marker.error() == QSharedMemory::AlreadyExists)
            return false;
    }
    // Not another instance but a guard that cannot be made: run rather than refuse.
    qWarning() << "Single-instance marker:" << m_marker.errorString();
    return true;
}

void SingleInstance::releaseLock()
{
    if (m_locked)
        m_semaphore.release();
    m_locked = false;
}

// A System V segment outlives a killed owner. Attaching and detaching removes it
// when nobody else is attached; a live first instance stays attached, so its
// marker survives this. False if the key is taken by something not ours.
bool SingleInstance::removeOrphanedMarker()
{
    if (m_marker.attach(QSharedMemory::ReadOnly)) {
        m_marker.detach();
        return true;
    }
    if (m_marker.error() == QSharedMemory::PermissionDenied) {
        qWarning() << "Single-instance marker belongs to someone else:" << m_marker.errorString();
        return false;
    }
    return true;
}
