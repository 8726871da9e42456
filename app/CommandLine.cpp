#include "app/CommandLine.h"

#include "command/CommandProtocol.h"
#include "platform/AutostartEntry.h"

#include <algorithm>

namespace {
using namespace CommandProtocol;

// Served by the client itself: it changes the log-on entry, not the running VoxBench.
const QLatin1String kAutostart("autostart");

CommandLine usageError(const QString &error)
{
    CommandLine line;
    line.action = CommandLine::Action::Usage;
    line.error = error;
    return line;
}
} // namespace

bool CommandLine::isCommand(const QStringList &arguments)
{
    // Qt's own options, as QGuiApplication, QApplication and the X11 platform
    // take them: followed by a value, standing alone, or with the value after "=".
    static const QStringList withValue =
        QStringLiteral(
            "-platform -platformpluginpath -platformtheme -plugin -qwindowgeometry -qwindowicon "
            "-qwindowtitle -session -display -geometry -title -icon -name -visual -style -stylesheet")
            .split(QLatin1Char(' '));
    static const QStringList alone =
        QStringLiteral("-reverse -widgetcount -sync -nograb -dograb").split(QLatin1Char(' '));
    static const QStringList withEquals =
        QStringLiteral("-style= -stylesheet= -qmljsdebugger= -dialogs= -fontengine=").split(QLatin1Char(' '));
    // A start: nothing but -autorun and Qt's options. Anything else is a command,
    // and an unknown single-dash word fails as wrong usage rather than starting.
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String(kAutorunSwitch) || alone.contains(argument))
            continue;
        if (withValue.contains(argument)) {
            ++i;
            continue;
        }
        if (std::any_of(withEquals.cbegin(), withEquals.cend(),
                        [&argument](const QString &prefix) { return argument.startsWith(prefix); }))
            continue;
        return true;
    }
    return false;
}

QString CommandLine::usageLine()
{
    return QStringLiteral("Usage: voxbench [--no-start] COMMAND [ARGUMENTS]; try 'voxbench --help'.");
}

QString CommandLine::usage()
{
    return QStringLiteral(
        "Usage: voxbench [--no-start] COMMAND [ARGUMENTS]\n"
        "       voxbench [-autorun]          start VoxBench (hidden with -autorun)\n"
        "\n"
        "Commands, served by the running VoxBench (started hidden if none runs):\n"
        "  status [--json]                   the receiver, the tab, each tab's mode, Mic ENC\n"
        "  modes [--json]                    the built-in and custom modes of each tab\n"
        "  mode NAME [--tab surround|stereo] choose a mode as a click on its button does\n"
        "  tab surround|stereo               choose the tab, and so the receiver's algorithm\n"
        "  enc on|off                        Mic ENC, as its check box does\n"
        "  show                              show the window (the tray's \"Main Page\")\n"
        "  quit                              end VoxBench (the tray's \"Quit\")\n"
        "\n"
        "Served without the running VoxBench:\n"
        "  autostart [on|off]                print \"on\" or \"off\", or switch log-on start\n"
        "\n"
        "Options:\n"
        "  --json        one JSON object on standard output (status, modes)\n"
        "  --no-start    fail rather than start VoxBench when none runs\n"
        "  --help, --version\n"
        "\n"
        "Exit status: 0 done, 1 failed (one line on standard error), 2 wrong usage.\n"
        "See voxbench(1).\n");
}

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine line;
    QStringList words;
    QString tab;
    bool tabGiven = false;
    bool optionsEnd = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnd || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            words << argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnd = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.action = Action::Help;
            return line;
        } else if (argument == QLatin1String("--version")) {
            line.action = Action::Version;
            return line;
        } else if (argument == QLatin1String("--json")) {
            line.json = true;
        } else if (argument == QLatin1String("--no-start")) {
            line.start = false;
        } else if (argument == QLatin1String("--tab") || argument.startsWith(QLatin1String("--tab="))) {
            if (argument == QLatin1String("--tab")) {
                if (++i == arguments.size())
                    return usageError(QStringLiteral("--tab needs surround or stereo"));
                tab = arguments.at(i);
            } else {
                tab = argument.mid(6);
            }
            tabGiven = true;
        } else {
            return usageError(QStringLiteral("unknown option %1").arg(argument));
        }
    }
    if (words.isEmpty())
        return usageError(QStringLiteral("no command given"));

    const QString verb = words.takeFirst();
    const auto noArguments = [&] { return words.isEmpty(); };
    if (tabGiven && verb != kMode)
        return usageError(QStringLiteral("--tab goes with mode only"));
    if (line.json && verb != kStatus && verb != kModes)
        return usageError(QStringLiteral("--json goes with status and modes only"));
    if (tabGiven && tab != kSurround && tab != kStereo)
        return usageError(QStringLiteral("--tab takes surround or stereo, not \"%1\"").arg(tab));

    line.request.insert(kVerb, verb);
    if (verb == kStatus || verb == kModes || verb == kShow || verb == kQuit) {
        if (!noArguments())
            return usageError(QStringLiteral("%1 takes no arguments").arg(verb));
    } else if (verb == kMode) {
        // Unquoted words of a name with blanks make the one name.
        const QString name = words.join(QLatin1Char(' '));
        if (name.isEmpty())
            return usageError(QStringLiteral("mode needs a NAME"));
        line.request.insert(kName, name);
        if (tabGiven)
            line.request.insert(kTab, tab);
    } else if (verb == kSelectTab) {
        if (words.size() != 1 || (words.first() != kSurround && words.first() != kStereo))
            return usageError(QStringLiteral("tab takes surround or stereo"));
        line.request.insert(kTab, words.first());
    } else if (verb == kEnc) {
        if (words.size() != 1 ||
            (words.first() != QLatin1String("on") && words.first() != QLatin1String("off")))
            return usageError(QStringLiteral("enc takes on or off"));
        line.request.insert(kOn, words.first() == QLatin1String("on"));
    } else {
        return usageError(QStringLiteral("unknown command \"%1\"").arg(verb));
    }
    line.action = Action::Send;
    return line;
}

CommandLine::Autostart CommandLine::parseAutostart(const QStringList &arguments)
{
    Autostart command;
    QStringList words;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h") ||
            argument == QLatin1String("--version"))
            return Autostart(); // the usage or version, as for any command
        // Nothing is started, so --no-start changes nothing.
        if (argument != QLatin1String("--no-start"))
            words << argument;
    }
    if (words.value(0) != kAutostart)
        return command;
    command.given = true;
    words.removeFirst();
    if (words.isEmpty())
        return command;
    if (words.size() == 1 && (words.first() == QLatin1String("on") || words.first() == QLatin1String("off")))
        command.change =
            words.first() == QLatin1String("on") ? Autostart::Change::On : Autostart::Change::Off;
    else
        command.error = QStringLiteral("autostart takes on or off");
    return command;
}
