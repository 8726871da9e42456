#include "platform/InstanceKeys.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

#include <windows.h>

namespace {
// Pipe names are one namespace for the whole machine: the name says whose data
// folder it serves, and a client checks the owner of what it reached.
const char kPipePrefix[] = "voxbench-";

QString pipeName()
{
    const QByteArray folder =
        QDir::toNativeSeparators(QFileInfo(InstanceKeys::dataFolder()).absoluteFilePath()).toLower().toUtf8();
    return QLatin1String(kPipePrefix) +
           QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16));
}

// The SID of the user a process runs as.
bool tokenUser(HANDLE process, QByteArray *sid)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    QByteArray buffer(int(size), '\0');
    const bool ok = size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    if (!ok)
        return false;
    const PSID user = reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid;
    *sid = QByteArray(static_cast<const char *>(user), int(GetLengthSid(user)));
    return true;
}
} // namespace

// Windows keeps named objects per log-on session: the keys as they are.
QString InstanceKeys::scoped(const QString &key)
{
    return key;
}

QString InstanceKeys::serverName()
{
    return pipeName();
}

QStringList InstanceKeys::serverNames(const QString &recorded)
{
    QStringList names;
    if (isPrivateServer(recorded))
        names << recorded;
    if (!names.contains(pipeName()))
        names << pipeName();
    return names;
}

bool InstanceKeys::isPrivateServer(const QString &name)
{
    return name.startsWith(QLatin1String(kPipePrefix)) && !name.contains(QLatin1Char('\\'));
}

bool InstanceKeys::isOwnServer(const QLocalSocket &socket)
{
    ULONG serverId = 0;
    if (!GetNamedPipeServerProcessId(reinterpret_cast<HANDLE>(socket.socketDescriptor()), &serverId))
        return false;
    if (serverId == GetCurrentProcessId())
        return true;
    const HANDLE server = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, serverId);
    if (!server)
        return false;
    QByteArray theirs;
    QByteArray ours;
    const bool same = tokenUser(server, &theirs) && tokenUser(GetCurrentProcess(), &ours) && theirs == ours;
    CloseHandle(server);
    return same;
}
