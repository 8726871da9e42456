#include "platform/InstanceLock.h"

#include "platform/InstanceKeys.h"

#include <QDir>
#include <QSharedMemory>
#include <QSystemSemaphore>
#include <QThread>

#include <windows.h>

namespace {
const QString kInstanceFile = QStringLiteral("/.voxbench-instance");
const QString kLaunchFile = QStringLiteral("/.voxbench-launch");
constexpr int kPollMs = 20;
constexpr DWORD kMaxRecord = 4096;
// The byte that is locked lies far past what is written there, so the recorded
// pipe name stays readable while the lock is held.
constexpr DWORD kLockOffset = 0x7FFFFFFF;

QString systemError()
{
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, GetLastError(), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString message = text ? QString::fromWCharArray(text).trimmed() : QStringLiteral("unknown error");
    LocalFree(text);
    return message;
}

std::wstring nativePath(const QString &name)
{
    return QDir::toNativeSeparators(InstanceKeys::dataFolder() + name).toStdWString();
}

// A reparse point planted in place of the file is refused, not followed.
HANDLE openKeyFile(const QString &name, QString *error)
{
    const std::wstring path = nativePath(name);
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = QDir::toNativeSeparators(InstanceKeys::dataFolder() + name) + QStringLiteral(": ") + systemError();
        return nullptr;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        CloseHandle(file);
        *error = QDir::toNativeSeparators(InstanceKeys::dataFolder() + name) + QStringLiteral(": a link");
        return nullptr;
    }
    return file;
}

bool tryLock(HANDLE file)
{
    OVERLAPPED at = {};
    at.Offset = kLockOffset;
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

void unlock(HANDLE file)
{
    OVERLAPPED at = {};
    at.Offset = kLockOffset;
    UnlockFileEx(file, 0, 1, 0, &at);
}

// LockFileEx has no time-out of its own.
bool lockWithin(HANDLE file, int timeoutMs)
{
    for (int waited = 0;; waited += kPollMs) {
        if (tryLock(file))
            return true;
        if (GetLastError() != ERROR_LOCK_VIOLATION || waited >= timeoutMs)
            return false;
        QThread::msleep(kPollMs);
    }
}
} // namespace

// The session's semaphore "a" and shared memory "b", as every Windows start has
// known them; beside them a lock on ".voxbench-instance" in the data folder, so
// that two sessions of one user (or two users sharing a Documents folder) never
// write one config.json at once. Handles and locks go with a killed process.
struct InstanceLock::Private
{
    QSystemSemaphore semaphore{InstanceKeys::scoped(QStringLiteral("a")), 1, QSystemSemaphore::Open};
    QSharedMemory marker{InstanceKeys::scoped(QStringLiteral("b"))};
    HANDLE instance = nullptr;
    HANDLE launch = nullptr;
    bool holdsStart = false;
    QString error;
};

InstanceLock::InstanceLock() : d(std::make_unique<Private>()) {}

InstanceLock::~InstanceLock()
{
    for (const HANDLE file : {d->instance, d->launch}) {
        if (file)
            CloseHandle(file);
    }
}

bool InstanceLock::lockStart()
{
    if (!d->semaphore.acquire()) {
        d->error = d->semaphore.errorString();
        return false;
    }
    d->holdsStart = true;
    return true;
}

void InstanceLock::unlockStart()
{
    if (d->holdsStart)
        d->semaphore.release();
    d->holdsStart = false;
}

InstanceLock::Claim InstanceLock::claim()
{
    if (!d->marker.create(1)) {
        if (d->marker.error() == QSharedMemory::AlreadyExists)
            return Claim::Running;
        d->error = d->marker.errorString();
        return Claim::Unguarded;
    }
    if (!d->instance)
        d->instance = openKeyFile(kInstanceFile, &d->error);
    if (!d->instance)
        return Claim::Unguarded;
    if (tryLock(d->instance))
        return Claim::First;
    // Another session runs on the same data folder.
    d->marker.detach();
    if (GetLastError() == ERROR_LOCK_VIOLATION)
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
    QSharedMemory probe{InstanceKeys::scoped(QStringLiteral("b"))};
    if (probe.attach()) {
        probe.detach();
        return true;
    }
    QString error;
    const HANDLE file = openKeyFile(kInstanceFile, &error);
    if (!file)
        return false;
    const bool held = !tryLock(file) && GetLastError() == ERROR_LOCK_VIOLATION;
    CloseHandle(file); // also lets go of the lock if it was taken here
    return held;
}

bool InstanceLock::lockLaunch(int timeoutMs)
{
    if (!d->launch)
        d->launch = openKeyFile(kLaunchFile, &d->error);
    if (!d->launch)
        return false;
    if (lockWithin(d->launch, timeoutMs))
        return true;
    d->error = systemError();
    return false;
}

void InstanceLock::unlockLaunch()
{
    if (d->launch)
        unlock(d->launch);
}

// Written in place, while "a" is held: readers wait for it.
bool InstanceLock::recordServer(const QString &name)
{
    if (!d->instance)
        return false;
    const QByteArray text = name.toUtf8();
    DWORD written = 0;
    OVERLAPPED at = {};
    return SetFilePointer(d->instance, 0, nullptr, FILE_BEGIN) == 0 && SetEndOfFile(d->instance) &&
           WriteFile(d->instance, text.constData(), DWORD(text.size()), &written, &at) &&
           written == DWORD(text.size()) && FlushFileBuffers(d->instance);
}

QString InstanceLock::recordedServer()
{
    const std::wstring path = nativePath(kInstanceFile);
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return QString();
    // A name torn by a start writing it names no pipe; the client then tries where
    // the pipe would be (InstanceKeys::serverNames).
    QByteArray text(int(kMaxRecord), '\0');
    DWORD size = 0;
    OVERLAPPED at = {};
    const bool ok = ReadFile(file, text.data(), kMaxRecord, &size, &at);
    CloseHandle(file);
    return ok && size > 0 ? QString::fromUtf8(text.left(int(size))) : QString();
}
