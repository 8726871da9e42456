#pragma once

#include "platform/InstanceLock.h"

// The single-instance guard: "a" serialises the test between starts, "b" marks
// the first instance for as long as it lives (platform/InstanceLock).
class SingleInstance
{
public:
    SingleInstance() = default;
    ~SingleInstance();

    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Takes "a" and tries to claim "b". True for the first instance. "a" stays
    // taken until releaseLock().
    bool claim();
    void releaseLock();

private:
    InstanceLock m_lock;
    bool m_locked = false;
};
