// The log-on entry as a value of the current user's Run key. Task Manager's
// Startup tab switches an entry off without deleting it: a binary value of the
// same name under StartupApproved\Run whose first byte is odd.
#include "platform/AutostartEntry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <optional>

#include <windows.h>

namespace {
const char *const kRunKey = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t *const kApprovedKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr BYTE kSwitchedOffBit = 0x01;

// The first byte of the StartupApproved value, when there is one.
std::optional<BYTE> approvedFlag(const QString &name)
{
    BYTE data[32] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, reinterpret_cast<LPCWSTR>(name.utf16()),
                     RRF_RT_REG_BINARY | RRF_SUBKEY_WOW6464KEY, nullptr, data, &size) != ERROR_SUCCESS ||
        size == 0)
        return std::nullopt;
    return data[0];
}

void forgetApproval(const QString &name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kApprovedKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key, reinterpret_cast<LPCWSTR>(name.utf16()));
    RegCloseKey(key);
}
} // namespace

QString AutostartEntry::location() const
{
    return m_name;
}

AutostartEntry::State AutostartEntry::state() const
{
    QSettings run(QLatin1String(kRunKey), QSettings::Registry64Format);
    if (!run.contains(m_name))
        return State::Absent;
    const std::optional<BYTE> flag = approvedFlag(m_name);
    return flag && (*flag & kSwitchedOffBit) ? State::Off : State::On;
}

bool AutostartEntry::write(bool keepUserChoice) const
{
    QSettings run(QLatin1String(kRunKey), QSettings::Registry64Format);
    run.setValue(m_name, QDir::toNativeSeparators(m_executablePath) + m_arguments);
    run.sync();
    if (!keepUserChoice)
        forgetApproval(m_name);
    return run.status() == QSettings::NoError;
}

bool AutostartEntry::remove() const
{
    QSettings run(QLatin1String(kRunKey), QSettings::Registry64Format);
    run.remove(m_name);
    run.sync();
    forgetApproval(m_name);
    return run.status() == QSettings::NoError && !run.contains(m_name);
}

QString LogonStart::settingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/VoxBench/logon.conf");
}
