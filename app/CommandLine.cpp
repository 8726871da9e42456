#include "app/CommandLine.h"

#include "command/CommandProtocol.h"
#include "command/CommandVerbs.h"
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

// "a, b or c" of the blank-separated words.
QString orList(const QString &words)
{
    QStringList list = words.split(QLatin1Char(' '));
    const QString last = list.takeLast();
    return list.isEmpty() ? last : list.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
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
    return QStringLiteral("Usage: voxbench [--no-start] COMMAND [ARGUMENTS]\n"
                          "       voxbench [-autorun]          start VoxBench (hidden with -autorun)\n"
                          "\n") +
           CommandVerbs::help() +
           QStringLiteral(
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
            if (!QString::fromLatin1(CommandVerbs::kChannels).split(QLatin1Char(' ')).contains(channel))
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
    // The word after "mode" is an action unless "--" came before it.
    const bool actionGiven = CommandVerbs::hasActions(verb) && (wordsBeforeEnd < 0 || wordsBeforeEnd > 1);
    const CommandVerbs::Verb *row = CommandVerbs::find(verb, actionGiven ? words.value(0) : QString());
    if (!row || row->command == CommandVerbs::Command::Autostart) {
        if (CommandVerbs::hasActions(verb))
            return usageError(QStringLiteral("%1 takes %2").arg(verb, orList(CommandVerbs::actions(verb))));
        return usageError(QStringLiteral("unknown command \"%1\"").arg(verb));
    }
    if (row->action.size() > 0)
        words.removeFirst();
    const QString command = row->action.size() > 0 ? verb + ' ' + row->action : verb;
    const auto notWith = [&command](const char *option) {
        return usageError(QStringLiteral("%1 does not go with %2").arg(QLatin1String(option), command));
    };
    if (tabGiven && !(row->options & CommandVerbs::kTabOption))
        return notWith("--tab");
    if (nameGiven && !(row->options & CommandVerbs::kNameOption))
        return notWith("--name");
    if (!channel.isEmpty() && !(row->options & CommandVerbs::kChannelOption))
        return notWith("--channel");
    if (gainsGiven && !(row->options & CommandVerbs::kGainsOption))
        return notWith("--gains");
    const QStringList tabs =
        QString::fromLatin1(CommandVerbs::find(kSelectTab, QString())->values).split(QLatin1Char(' '));
    if (tabGiven && !tabs.contains(tab))
        return usageError(QStringLiteral("--tab takes %1, not \"%2\"").arg(orList(tabs.join(' ')), tab));

    line.request.insert(kVerb, verb);
    if (row->action.size() > 0)
        line.request.insert(kAction, row->action);
    if (tabGiven)
        line.request.insert(kTab, tab);
    // Unquoted words of a name with blanks make the one name.
    const QString name = words.join(QLatin1Char(' '));
    switch (row->words) {
    case CommandVerbs::Words::None:
        if (!words.isEmpty())
            return usageError(QStringLiteral("%1 takes no arguments").arg(command));
        break;
    case CommandVerbs::Words::Name:
        if (name.isEmpty())
            return usageError(QStringLiteral("%1 needs a NAME").arg(command));
        line.request.insert(kName, name);
        break;
    case CommandVerbs::Words::OptionalName:
        line.request.insert(kName, name);
        break;
    case CommandVerbs::Words::OldAndNew:
        if (words.size() != 2)
            return usageError(QStringLiteral("%1 takes OLD and NEW (quote a name with blanks)").arg(command));
        line.request.insert(kName, words.at(0));
        line.request.insert(kNewName, words.at(1));
        break;
    case CommandVerbs::Words::File:
        if (words.size() != 1)
            return usageError(QStringLiteral("%1 takes one FILE (- for standard input)").arg(command));
        line.request.insert(kFile, words.first());
        break;
    case CommandVerbs::Words::Gains: {
        const QJsonArray values = words.size() == kBands ? gainsFrom(words) : QJsonArray();
        if (values.isEmpty())
            return usageError(kGainsUsage.arg(kBands).arg(kMinGain).arg(kMaxGain));
        line.request.insert(kGains, values);
        break;
    }
    case CommandVerbs::Words::Choice:
    case CommandVerbs::Words::OptionalChoice: {
        const QString values = QString::fromLatin1(row->values);
        const bool optional = row->words == CommandVerbs::Words::OptionalChoice;
        if (words.size() > 1 || (words.isEmpty() && !optional) ||
            (!words.isEmpty() && !values.split(QLatin1Char(' ')).contains(words.first())))
            return usageError(QStringLiteral("%1 takes %2").arg(command, orList(values)));
        break;
    }
    case CommandVerbs::Words::Application:
        if (words.size() != 1)
            return usageError(QStringLiteral("%1 takes APPLICATION").arg(command));
        line.request.insert(kApplication, words.first());
        break;
    case CommandVerbs::Words::ApplicationAndMode:
        if (words.size() < 2)
            return usageError(QStringLiteral("%1 takes APPLICATION and MODE").arg(command));
        line.request.insert(kApplication, words.takeFirst());
        line.request.insert(kName, words.join(QLatin1Char(' ')));
        break;
    }
    // What the words mean beyond their shape.
    if (row->command == CommandVerbs::Command::Add && gainsGiven) {
        const QJsonArray values = gainsFrom(gains);
        if (values.isEmpty())
            return usageError(kGainsUsage.arg(kBands).arg(kMinGain).arg(kMaxGain));
        line.request.insert(kGains, values);
    } else if (row->command == CommandVerbs::Command::Import) {
        if (nameGiven)
            line.request.insert(kName, importName);
        if (!channel.isEmpty())
            line.request.insert(kChannel, channel);
    } else if (row->command == CommandVerbs::Command::Tab) {
        line.request.insert(kTab, words.first());
    } else if (row->command == CommandVerbs::Command::Background) {
        if (!words.isEmpty())
            line.request.insert(kOn, words.first() == QLatin1String("on"));
    } else if (row->command == CommandVerbs::Command::Enc) {
        if (words.first() == kToggle)
            line.request.insert(kAction, kToggle);
        else
            line.request.insert(kOn, words.first() == QLatin1String("on"));
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
