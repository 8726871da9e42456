#include "app/CommandLine.h"

#include "command/CommandProtocol.h"
#include "device/UsbHidCommands.h"
#include "platform/AutostartEntry.h"

#include <QJsonArray>
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

// A gain as the sliders take it: a whole number from kMinGain to kMaxGain.
bool gainFrom(const QString &word, int *gain)
{
    bool number = false;
    *gain = word.toInt(&number);
    return number && *gain >= kMinGain && *gain <= kMaxGain;
}

QJsonArray gainsFrom(const QStringList &words)
{
    QJsonArray gains;
    for (const QString &word : words) {
        int gain = 0;
        if (!gainFrom(word, &gain))
            return {};
        gains.append(gain);
    }
    return gains;
}

// "-3": a negative gain, not an option.
bool isNumber(const QString &argument)
{
    bool number = false;
    argument.toInt(&number);
    return number;
}

const QString kGainsUsage = QStringLiteral("gains are %1 whole numbers from %2 to %3");
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
        "  watch                             the state, then a line per change, until VoxBench ends\n"
        "  mode NAME [--tab surround|stereo] choose a mode as a click on its button does\n"
        "  mode next|previous [--tab TAB]    choose the tab's next or previous mode, round\n"
        "  mode add [NAME] [--tab TAB] [--gains G1 ... G10]\n"
        "                                    a new custom mode, chosen (as the Add button)\n"
        "  mode rename OLD NEW [--tab TAB]   rename a custom mode\n"
        "  mode delete NAME [--tab TAB]      delete a custom mode (as the Clear button)\n"
        "  mode export NAME [--tab TAB]      write the mode as a mode file on standard output\n"
        "  mode import FILE [--tab TAB] [--name NAME] [--channel L|R]\n"
        "                                    a new custom mode from a mode file, an AutoEq or\n"
        "                                    Equalizer APO GraphicEQ curve or a parametric file\n"
        "                                    (per-channel sections: one side, or both averaged)\n"
        "  gains G1 ... G10 [--tab TAB]      the chosen custom mode's gains, -12 to 12, saved\n"
        "  tab surround|stereo               choose the tab, and so the receiver's algorithm\n"
        "  enc on|off|toggle                 Mic ENC, as its check box does\n"
        "  rule add APPLICATION MODE [--tab TAB]\n"
        "                                    while APPLICATION runs, use MODE on its tab\n"
        "  rule list|delete APPLICATION|pause|resume\n"
        "                                    the rules, one less, all held or followed again\n"
        "  show                              show the window (the tray's \"Main Page\")\n"
        "  quit                              end VoxBench (the tray's \"Quit\")\n"
        "\n"
        "Served without the running VoxBench:\n"
        "  autostart [on|off]                print \"on\" or \"off\", or switch log-on start\n"
        "\n"
        "Options:\n"
        "  --json        JSON on standard output, failures too: {\"ok\": false, \"error\", \"code\"}\n"
        "  --no-start    fail rather than start VoxBench when none runs\n"
        "  --help, --version\n"
        "\n"
        "Exit status: 0 done, 1 failed (one line on standard error), 2 wrong usage.\n"
        "See voxbench(1).\n");
}

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine line = parseArguments(arguments);
    // A program that asked for JSON reads its wrong usage as JSON too.
    const int end = arguments.indexOf(QStringLiteral("--"));
    line.json = arguments.mid(0, end < 0 ? arguments.size() : end).contains(QStringLiteral("--json"));
    return line;
}

CommandLine CommandLine::parseArguments(const QStringList &arguments)
{
    CommandLine line;
    QStringList words;
    QString tab;
    bool tabGiven = false;
    bool optionsEnd = false;
    // Words before "--": after it, "next" or "add" is a mode's name.
    int wordsBeforeEnd = -1;
    QStringList gains;
    bool gainsGiven = false;
    QString importName;
    bool nameGiven = false;
    QString channel;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnd || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-") ||
            isNumber(argument)) {
            words << argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnd = true;
            wordsBeforeEnd = words.size();
        } else if (argument == QLatin1String("--gains")) {
            gains = arguments.mid(i + 1, kBands);
            if (gains.size() != kBands)
                return usageError(kGainsUsage.arg(kBands).arg(kMinGain).arg(kMaxGain));
            i += kBands;
            gainsGiven = true;
        } else if (argument == QLatin1String("--name") || argument.startsWith(QLatin1String("--name="))) {
            if (argument == QLatin1String("--name")) {
                if (++i == arguments.size())
                    return usageError(QStringLiteral("--name needs a NAME"));
                importName = arguments.at(i);
            } else {
                importName = argument.mid(7);
            }
            nameGiven = true;
        } else if (argument == QLatin1String("--channel") ||
                   argument.startsWith(QLatin1String("--channel="))) {
            if (argument == QLatin1String("--channel")) {
                if (++i == arguments.size())
                    return usageError(QStringLiteral("--channel needs L or R"));
                channel = arguments.at(i).toUpper();
            } else {
                channel = argument.mid(10).toUpper();
            }
            if (channel != QLatin1String("L") && channel != QLatin1String("R"))
                return usageError(QStringLiteral("--channel takes L or R"));
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
    // The word after "mode" is an action unless "--" came before it.
    const QString action = (verb == kMode || verb == kRule) && (wordsBeforeEnd < 0 || wordsBeforeEnd > 1)
                               ? words.value(0)
                               : QString();
    const bool editing =
        verb == kMode && (action == kAdd || action == kRename || action == kDelete || action == kNext ||
                          action == kPrevious || action == kExport || action == kImport);
    if (tabGiven && verb != kMode && verb != kSetGains && !(verb == kRule && action == kAdd))
        return usageError(QStringLiteral("--tab goes with mode, gains and rule add only"));
    if (nameGiven && !(verb == kMode && action == kImport))
        return usageError(QStringLiteral("--name goes with mode import only"));
    if (!channel.isEmpty() && !(verb == kMode && action == kImport))
        return usageError(QStringLiteral("--channel goes with mode import only"));
    if (gainsGiven && !(verb == kMode && action == kAdd))
        return usageError(QStringLiteral("--gains goes with mode add only"));
    if (tabGiven && tab != kSurround && tab != kStereo)
        return usageError(QStringLiteral("--tab takes surround or stereo, not \"%1\"").arg(tab));

    line.request.insert(kVerb, verb);
    if (tabGiven)
        line.request.insert(kTab, tab);
    if (verb == kStatus || verb == kModes || verb == kShow || verb == kQuit || verb == kWatch) {
        if (!noArguments())
            return usageError(QStringLiteral("%1 takes no arguments").arg(verb));
    } else if (editing) {
        words.removeFirst();
        line.request.insert(kAction, action);
        if (action == kNext || action == kPrevious) {
            if (!noArguments())
                return usageError(QStringLiteral("mode %1 takes no name").arg(action));
        } else if (action == kImport) {
            if (words.size() != 1)
                return usageError(QStringLiteral("mode import takes one FILE (- for standard input)"));
            line.request.insert(kFile, words.first());
            if (nameGiven)
                line.request.insert(kName, importName);
            if (!channel.isEmpty())
                line.request.insert(kChannel, channel);
        } else if (action == kRename) {
            if (words.size() != 2)
                return usageError(QStringLiteral("mode rename takes OLD and NEW (quote a name with blanks)"));
            line.request.insert(kName, words.at(0));
            line.request.insert(kNewName, words.at(1));
        } else {
            const QString name = words.join(QLatin1Char(' '));
            if (name.isEmpty() && (action == kDelete || action == kExport))
                return usageError(QStringLiteral("mode %1 needs a NAME").arg(action));
            line.request.insert(kName, name);
            if (gainsGiven) {
                const QJsonArray values = gainsFrom(gains);
                if (values.isEmpty())
                    return usageError(kGainsUsage.arg(kBands).arg(kMinGain).arg(kMaxGain));
                line.request.insert(kGains, values);
            }
        }
    } else if (verb == kRule) {
        words.removeFirst();
        line.request.insert(kAction, action);
        if (action == kList || action == kPause || action == kResume) {
            if (!noArguments())
                return usageError(QStringLiteral("rule %1 takes no arguments").arg(action));
        } else if (action == kAdd) {
            if (words.size() < 2)
                return usageError(QStringLiteral("rule add takes APPLICATION and MODE"));
            line.request.insert(kApplication, words.takeFirst());
            line.request.insert(kName, words.join(QLatin1Char(' ')));
        } else if (action == kDelete) {
            if (words.size() != 1)
                return usageError(QStringLiteral("rule delete takes APPLICATION"));
            line.request.insert(kApplication, words.first());
        } else {
            return usageError(QStringLiteral("rule takes add, list, delete, pause or resume"));
        }
    } else if (verb == kSetGains) {
        const QJsonArray values = words.size() == kBands ? gainsFrom(words) : QJsonArray();
        if (values.isEmpty())
            return usageError(kGainsUsage.arg(kBands).arg(kMinGain).arg(kMaxGain));
        line.request.insert(kGains, values);
    } else if (verb == kMode) {
        // Unquoted words of a name with blanks make the one name.
        const QString name = words.join(QLatin1Char(' '));
        if (name.isEmpty())
            return usageError(QStringLiteral("mode needs a NAME"));
        line.request.insert(kName, name);
    } else if (verb == kSelectTab) {
        if (words.size() != 1 || (words.first() != kSurround && words.first() != kStereo))
            return usageError(QStringLiteral("tab takes surround or stereo"));
        line.request.insert(kTab, words.first());
    } else if (verb == kEnc) {
        if (words.size() != 1 || (words.first() != QLatin1String("on") &&
                                  words.first() != QLatin1String("off") && words.first() != kToggle))
            return usageError(QStringLiteral("enc takes on, off or toggle"));
        if (words.first() == kToggle)
            line.request.insert(kAction, kToggle);
        else
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
