#include "platform/AutostartEntry.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QtGlobal>

namespace {
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

#ifndef Q_OS_WIN
QString autostartFolder()
{
    // Only an absolute XDG_CONFIG_HOME counts; otherwise the default applies.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart");
}
#endif
} // namespace

QString AutostartEntry::desktopExec(const QString &program, const QString &arguments)
{
    QString args = arguments;
    args.replace('%', QLatin1String("%%"));
    return escapeDesktopString(quoteExecArgument(program) + args);
}

#ifdef Q_OS_WIN
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
#else
QString AutostartEntry::location(const QString &name)
{
    return autostartFolder() + '/' + name + QStringLiteral(".desktop");
}

bool AutostartEntry::write(const QString &name, const QString &executablePath, const QString &arguments)
{
    if (!QDir().mkpath(autostartFolder()))
        return false;
    QSaveFile file(location(name));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=%1\n"
                                         "Exec=%2\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(escapeDesktopString(name), desktopExec(executablePath, arguments));
    file.write(entry.toUtf8());
    return file.commit();
}
#endif
