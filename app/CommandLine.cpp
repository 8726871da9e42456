#include "app/CommandLine.h"

#include "command/CommandProtocol.h"

namespace {
using namespace CommandProtocol;

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
    if (arguments.size() < 2)
        return false;
    const QString &first = arguments.at(1);
    return !first.startsWith(QLatin1Char('-')) || first.startsWith(QLatin1String("--")) ||
           first == QLatin1String("-h");
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
