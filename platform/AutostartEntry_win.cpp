#include "platform/AutostartEntry.h"

#include <QDir>
#include <QSettings>

QString AutostartEntry::location(const QString &name)
{
    return name;
}

bool AutostartEntry::write(const QString &name, const QString &executablePath, const QString &arguments)
{
    QSettings run(QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
                  QSettings::Registry64Format);
    run.setValue(name, QDir::toNativeSeparators(executablePath) + arguments);
    return true;
}
