#include "platform/InstanceKeys.h"

QString InstanceKeys::scoped(const QString &key)
{
    return key;
}

QString InstanceKeys::serverName()
{
    return QString();
}

QStringList InstanceKeys::serverNames(const QString &)
{
    return {};
}

bool InstanceKeys::isPrivateServer(const QString &)
{
    return false;
}
