#pragma once

#include <QString>
#include <memory>

// The operating system's side of the single-instance guard, with the keys "a" and "b".
// Windows: the named semaphore "a" and the 1-byte shared memory "b" of the session.
// Linux: the guard lives with the data (InstanceKeys::dataFolder()): "b" is a lock
// on that folder itself, so it holds also when the folder is read-only; "a" and the
// command line's "c" are the hidden files ".voxbench-instance" and
// ".voxbench-launch" in it. All are flock locks: only the user can reach them, and
// a killed holder's locks go with its process. ".voxbench-instance" also holds the
// name of the running instance's socket.
class InstanceLock
{
public:
    enum class Claim {
        First,     // this process now holds the guard for its whole life
        Running,   // another instance of this user holds it
        Unguarded, // the guard cannot be made; errorString() says why
    };

    InstanceLock();
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // Serialises claims between starts ("a"). False if it cannot be taken.
    bool lockStart();
    void unlockStart();
    // Tries to become the first instance ("b").
    Claim claim();
    // Whether an instance holds "b", without claiming it; call it holding "a".
    bool claimedElsewhere();
    // Serialises the command line's starts of a hidden instance ("c"), so that two
    // commands at once start one instance, not a second start's box. Waits up to
    // timeoutMs; false when it could not be had.
    bool lockLaunch(int timeoutMs);
    void unlockLaunch();
    QString errorString() const;

    // In the first instance, holding "a": where it listens (empty: nowhere).
    // False where it cannot be written (a read-only folder).
    bool recordServer(const QString &name);
    // The socket name that the running instance recorded; empty when none.
    static QString recordedServer();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
