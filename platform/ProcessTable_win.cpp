#include "platform/ProcessTable.h"

#include <QHash>
#include <QString>

#include <windows.h>

#include <tlhelp32.h>

namespace {
// Process times are 100-ns intervals since 1601.
constexpr quint64 kTicksPerMs = 10000;

quint64 ticks(const FILETIME &time)
{
    return (quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The SID of the user a process runs as; empty when its token cannot be read.
QByteArray userOf(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return QByteArray();
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    QByteArray buffer(int(size), '\0');
    QByteArray sid;
    if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        const PSID user = reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid;
        sid = QByteArray(static_cast<const char *>(user), int(GetLengthSid(user)));
    }
    CloseHandle(token);
    return sid;
}

const QByteArray &ownUser()
{
    static const QByteArray user = userOf(GetCurrentProcess());
    return user;
}

std::optional<quint64> creationTime(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return std::nullopt;
    return ticks(created);
}

QString fileName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

// The snapshot's name of one process (its executable's file name).
QString snapshotName(qint64 pid)
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return QString();
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    QString name;
    for (bool more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (qint64(entry.th32ProcessID) == pid) {
            name = QString::fromWCharArray(entry.szExeFile);
            break;
        }
    }
    CloseHandle(snapshot);
    return name;
}
} // namespace

// The snapshot tells no start time; its image name and parent, which a later
// process of the same id rarely shares, stand in for it at no further cost.
bool ProcessTable::list(std::vector<Listed> *processes)
{
    processes->clear();
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (bool more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == 0) // the idle process
            continue;
        const quint64 name = qHash(QString::fromWCharArray(entry.szExeFile).toLower());
        processes->push_back({qint64(entry.th32ProcessID), (quint64(entry.th32ParentProcessID) << 32) ^ name});
    }
    CloseHandle(snapshot);
    return true;
}

QString ProcessTable::executable(qint64 pid)
{
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return QString();
    wchar_t path[MAX_PATH * 4];
    DWORD length = DWORD(std::size(path));
    const QString name =
        QueryFullProcessImageNameW(process, 0, path, &length) ? fileName(QString::fromWCharArray(path, int(length)))
                                                              : QString();
    CloseHandle(process);
    return name;
}

std::optional<quint64> ProcessTable::started(qint64 pid)
{
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return std::nullopt;
    DWORD code = 0;
    std::optional<quint64> time;
    if (GetExitCodeProcess(process, &code) && code == STILL_ACTIVE)
        time = creationTime(process);
    CloseHandle(process);
    return time;
}

std::optional<ProcessTable::Process> ProcessTable::read(qint64 pid)
{
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return std::nullopt;
    std::optional<Process> result;
    DWORD code = 0;
    const std::optional<quint64> time = creationTime(process);
    if (time && GetExitCodeProcess(process, &code) && code == STILL_ACTIVE && userOf(process) == ownUser()) {
        Process found;
        found.pid = pid;
        found.started = *time;
        wchar_t path[MAX_PATH * 4];
        DWORD length = DWORD(std::size(path));
        // The full image path names the executable even when the snapshot shortens it.
        if (QueryFullProcessImageNameW(process, 0, path, &length))
            found.names << fileName(QString::fromWCharArray(path, int(length)));
        const QString listed = snapshotName(pid);
        if (!listed.isEmpty() && !found.names.contains(listed, Qt::CaseInsensitive))
            found.names << listed;
        if (!found.names.isEmpty())
            result = found;
    }
    CloseHandle(process);
    return result;
}

qint64 ProcessTable::ageMs(quint64 started)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const quint64 current = ticks(now);
    return current > started ? qint64((current - started) / kTicksPerMs) : 0;
}
