// The log-on entry as a value of the current user's Run key.
#include "platform/AutostartEntry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {
const char *const kRunKey = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
} // namespace

QString AutostartEntry::location() const
{
    return m_name;
}

AutostartEntry::State AutostartEntry::state() const
{
    QSettings run(QLatin1String(kRunKey), QSettings::Registry64Format);
    return run.contains(m_name) ? State::On : State::Absent;
}

bool AutostartEntry::write(bool) const
{
    QSettings run(QLatin1String(kRunKey), QSettings::Registry64Format);
    run.setValue(m_name, QDir::toNativeSeparators(m_executablePath) + m_arguments);
    run.sync();
    return run.status() == QSettings::NoError;
}

bool AutostartEntry::remove() const
{
    QSettings run(QLatin1String(kRunKey), QSettings::Registry64Format);
    run.remove(m_name);
    run.sync();
    return run.status() == QSettings::NoError;
}

QString LogonStart::settingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/VoxBench/logon.conf");
}
