#include "platform/InstanceKeys.h"

#include <QDir>
#include <QStandardPaths>

QString InstanceKeys::dataFolder()
{
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/VoxBench");
    QDir().mkpath(folder);
    return folder;
}
