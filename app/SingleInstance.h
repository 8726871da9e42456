#pragma once

#include <QSharedMemory>
#include <QSystemSemaphore>

// The single-instance guard: semaphore "a" serialises the test between starts,
// the 1-byte shared memory "b" marks the first instance for as long as it lives.
class SingleInstance
{
public:
    SingleInstance();
    ~SingleInstance();

    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Takes the semaphore and tries to create the marker. True for the first
    // instance. The semaphore stays taken until releaseLock().
    bool claim();
    void releaseLock();

private:
    bool removeOrphanedMarker();

    // Declared first, destroyed last: the marker goes before the semaphore.
    QSystemSemaphore m_semaphore;
    QSharedMemory m_marker;
    bool m_locked = false;
};
