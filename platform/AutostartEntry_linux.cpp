#include "platform/AutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
QString autostartFolder()
{
    // Only an absolute XDG_CONFIG_HOME counts; otherwise the default applies.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart");
}
} // namespace

QString AutostartEntry::location(const QString &name)
{
    return autostartFolder() + '/' + name + QStringLiteral(".desktop");
}

namespace {
// What log-on settings dialogs show beside the entry, as in the menu's entry;
// the icon is the one the package installs into the icon theme.
const char *const kComment = "Tune the equalizer, surround and microphone of a wireless headset receiver";
const char *const kIcon = "voxbench";

// How the user left log-on start in an existing entry: GNOME's switch writes
// X-GNOME-Autostart-enabled=false, KDE's (and many a hand) Hidden=true.
struct UserChoice
{
    bool hidden = false;
    bool gnomeEnabled = true;
};

UserChoice readUserChoice(const QString &path)
{
    UserChoice choice;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return choice;
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith('[')) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const int equals = line.indexOf('=');
        if (!inEntry || equals <= 0 || line.startsWith('#'))
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Hidden"))
            choice.hidden = value == QLatin1String("true");
        else if (key == QLatin1String("X-GNOME-Autostart-enabled"))
            choice.gnomeEnabled = value != QLatin1String("false");
    }
    return choice;
}

QLatin1String boolText(bool value)
{
    return value ? QLatin1String("true") : QLatin1String("false");
}
} // namespace

bool AutostartEntry::write(const QString &name, const QString &executablePath, const QString &arguments)
{
    if (!QDir().mkpath(autostartFolder()))
        return false;
    const QString path = location(name);
    // The program path is refreshed on every start; whether it starts at log-on is the user's.
    const UserChoice choice = readUserChoice(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QString entry =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=%1\n"
                       "Comment=%2\n"
                       "Icon=%3\n"
                       "Exec=%4\n"
                       "Terminal=false\n"
                       "X-GNOME-Autostart-enabled=%5\n")
            .arg(AutostartEntry::desktopString(name), QLatin1String(kComment), QLatin1String(kIcon),
                 desktopExec(executablePath, arguments), boolText(choice.gnomeEnabled));
    if (choice.hidden)
        entry += QStringLiteral("Hidden=true\n");
    file.write(entry.toUtf8());
    return file.commit();
}
