#include "platform/InstanceKeys.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtGlobal>

#ifdef Q_OS_WIN
QString InstanceKeys::scoped(const QString &key)
{
    return key;
}

QString InstanceKeys::activationServerName()
{
    return QString();
}
#else
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A folder only this user can reach: in the runtime folder, or in the cache folder
// when there is no usable runtime folder (Qt refuses one owned by someone else).
// Empty when what is there is not a folder of this user's own.
QString instanceFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString folder = base + QStringLiteral("/voxbench-instance");
    QDir().mkpath(folder);
    const QByteArray name = QFile::encodeName(folder);
    struct stat info;
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return QString();
    if ((info.st_mode & 07777) != 0700 && ::chmod(name.constData(), 0700) != 0)
        return QString();
    return folder;
}
} // namespace

QString InstanceKeys::scoped(const QString &key)
{
    const QString folder = instanceFolder();
    return folder.isEmpty() ? QString() : folder + '/' + key;
}

QString InstanceKeys::activationServerName()
{
    return scoped(QStringLiteral("activate"));
}
#endif
