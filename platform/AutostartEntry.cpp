#include "platform/AutostartEntry.h"

#include <QFileInfo>
#include <QSettings>

namespace {
// One key per entry name, so that a renamed executable registers as its first start.
const char *const kFirstStartDoneGroup = "firstStartDone/";

// Escapes of a desktop entry string value.
QString escapeDesktopString(const QString &value)
{
    QString out;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// One Exec argument in double quotes; inside them ", `, $ and \ take a backslash,
// and % is doubled so that it is not read as a field code.
QString quoteExecArgument(const QString &argument)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        if (c == '%')
            out += '%';
        out += c;
    }
    return out + '"';
}
} // namespace

AutostartEntry::AutostartEntry(const QString &name, const QString &executablePath, const QString &arguments)
    : m_name(name), m_executablePath(executablePath), m_arguments(arguments)
{
}

bool AutostartEntry::refresh() const
{
    return write(true);
}

bool AutostartEntry::switchOn() const
{
    return write(false);
}

QString AutostartEntry::desktopExec(const QString &program, const QString &arguments)
{
    QString args = arguments;
    args.replace('%', QLatin1String("%%"));
    return escapeDesktopString(quoteExecArgument(program) + args);
}

QString AutostartEntry::escape(const QString &value)
{
    return escapeDesktopString(value);
}

LogonStart::LogonStart(const QString &executablePath)
    : m_name(QFileInfo(executablePath).completeBaseName()),
      m_entry(m_name, executablePath, QLatin1Char(' ') + QLatin1String(kAutorunSwitch))
{
}

void LogonStart::registerAtStart() const
{
    if (!firstStartDone()) {
        // As the program always did; an entry left from before keeps its switch.
        if (m_entry.refresh())
            markFirstStartDone();
    } else if (m_entry.state() != AutostartEntry::State::Absent) {
        m_entry.refresh();
    }
}

bool LogonStart::enabled() const
{
    return m_entry.state() == AutostartEntry::State::On;
}

bool LogonStart::setEnabled(bool on) const
{
    // Also before any start: a later first start must not undo the user's choice.
    markFirstStartDone();
    return on ? m_entry.switchOn() : m_entry.remove();
}

QString LogonStart::location() const
{
    return m_entry.location();
}

bool LogonStart::firstStartDone() const
{
    return QSettings(settingsPath(), QSettings::IniFormat)
        .value(QLatin1String(kFirstStartDoneGroup) + m_name)
        .toBool();
}

void LogonStart::markFirstStartDone() const
{
    QSettings settings(settingsPath(), QSettings::IniFormat);
    settings.setValue(QLatin1String(kFirstStartDoneGroup) + m_name, true);
}
