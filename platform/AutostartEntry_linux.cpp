// The log-on entry as an XDG autostart desktop file.
#include "platform/AutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// What log-on settings dialogs show beside the entry, as in the menu's entry;
// the icon is the one the package installs into the icon theme.
const char *const kComment = "Tune the equalizer, surround and microphone of a wireless headset receiver";

QString configFolder()
{
    // Only an absolute XDG_CONFIG_HOME counts; otherwise the default applies.
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    return QDir::isAbsolutePath(config) ? config : QDir::homePath() + QStringLiteral("/.config");
}

QString autostartFolder()
{
    return configFolder() + QStringLiteral("/autostart");
}

// How the user left log-on start in an existing entry: GNOME's switch writes
// X-GNOME-Autostart-enabled=false, KDE's, Xfce's (and many a hand) Hidden=true.
struct UserChoice
{
    bool exists = false;
    bool hidden = false;
    bool gnomeEnabled = true;
};

UserChoice readUserChoice(const QString &path)
{
    UserChoice choice;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return choice;
    choice.exists = true;
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

QString AutostartEntry::location() const
{
    return autostartFolder() + '/' + m_name + QStringLiteral(".desktop");
}

AutostartEntry::State AutostartEntry::state() const
{
    const UserChoice choice = readUserChoice(location());
    if (!choice.exists)
        return QFile::exists(location()) ? State::Off : State::Absent;
    return choice.hidden || !choice.gnomeEnabled ? State::Off : State::On;
}

bool AutostartEntry::write(bool keepUserChoice) const
{
    if (!QDir().mkpath(autostartFolder()))
        return false;
    const QString path = location();
    const UserChoice choice = keepUserChoice ? readUserChoice(path) : UserChoice();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QString entry = QStringLiteral("[Desktop Entry]\n"
                                   "Type=Application\n"
                                   "Name=%1\n"
                                   "Comment=%2\n"
                                   "Icon=%3\n"
                                   "Exec=%4\n"
                                   "Terminal=false\n"
                                   "X-GNOME-Autostart-enabled=%5\n")
                        .arg(escape(m_name), QLatin1String(kComment), QLatin1String(kApplicationId),
                             desktopExec(m_executablePath, m_arguments), boolText(choice.gnomeEnabled));
    if (choice.hidden)
        entry += QStringLiteral("Hidden=true\n");
    return file.write(entry.toUtf8()) == entry.toUtf8().size() && file.commit();
}

bool AutostartEntry::remove() const
{
    const QString path = location();
    return QFile::remove(path) || !QFileInfo::exists(path);
}

QString LogonStart::settingsPath()
{
    return configFolder() + QStringLiteral("/VoxBench/logon.conf");
}
