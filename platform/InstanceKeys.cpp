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
namespace {
// A folder only this user can reach: the runtime folder, or the cache folder
// when there is no usable runtime folder.
QString instanceFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString folder = base + QStringLiteral("/voxbench-instance");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}
} // namespace

QString InstanceKeys::scoped(const QString &key)
{
    // Qt hashes the whole key into the name of its key file.
    return instanceFolder() + '/' + key;
}

QString InstanceKeys::activationServerName()
{
    return instanceFolder() + QStringLiteral("/activate");
}
#endif
