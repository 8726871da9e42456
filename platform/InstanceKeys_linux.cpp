#include "platform/InstanceKeys.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const char kSocketFolder[] = "/voxbench-instance";
// The fall-back runtime folder, which no variable can move.
const char kUserRuntimeFolder[] = "/run/user/";

// A folder of this user's own that nobody else can enter, not a link.
bool isPrivateFolder(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

QStringList runtimeFolders()
{
    QStringList folders;
    const QString variable = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QFileInfo(variable).isAbsolute() && isPrivateFolder(variable))
        folders << variable;
    const QString fallBack = QLatin1String(kUserRuntimeFolder) + QString::number(::geteuid());
    if (!folders.contains(fallBack) && isPrivateFolder(fallBack))
        folders << fallBack;
    return folders;
}

// One socket per data folder, so that programs with homes of their own stay apart.
QString socketFileName()
{
    const QByteArray folder = QFile::encodeName(QFileInfo(InstanceKeys::dataFolder()).absoluteFilePath());
    return QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16));
}
} // namespace

QString InstanceKeys::scoped(const QString &key)
{
    return dataFolder() + QStringLiteral("/.voxbench-") + key;
}

QString InstanceKeys::serverName()
{
    for (const QString &runtime : runtimeFolders()) {
        const QString folder = runtime + QLatin1String(kSocketFolder);
        ::mkdir(QFile::encodeName(folder).constData(), 0700);
        if (isPrivateFolder(folder))
            return folder + '/' + socketFileName();
    }
    return QString();
}

QStringList InstanceKeys::serverNames(const QString &recorded)
{
    QStringList names;
    if (isPrivateServer(recorded))
        names << recorded;
    for (const QString &runtime : runtimeFolders()) {
        const QString name = runtime + QLatin1String(kSocketFolder) + '/' + socketFileName();
        if (!names.contains(name) && isPrivateServer(name))
            names << name;
    }
    return names;
}

bool InstanceKeys::isPrivateServer(const QString &name)
{
    struct stat info;
    return QFileInfo(name).isAbsolute() && isPrivateFolder(QFileInfo(name).path()) &&
           ::lstat(QFile::encodeName(name).constData(), &info) == 0 && S_ISSOCK(info.st_mode) &&
           info.st_uid == ::geteuid();
}

// The socket lives in a folder only this user can enter (isPrivateServer).
bool InstanceKeys::isOwnServer(const QLocalSocket &)
{
    return true;
}
