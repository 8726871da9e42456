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

    // Takes "a" and tries to claim "b". First for the first instance; Unguarded
    // when the guard cannot be had (errorString() says why), and then the caller
    // must not run: it cannot know that no other instance does. "a" stays taken
    // until releaseLock().
    InstanceLock::Claim claim();
    // In the first instance, before releaseLock(): where it listens, for clients.
    void recordServer(const QString &name);
    void releaseLock();
    QString errorString() const { return m_lock.errorString(); }

private:
    InstanceLock m_lock;
    bool m_locked = false;
};
