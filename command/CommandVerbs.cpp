#include "command/CommandVerbs.h"

#include "command/CommandProtocol.h"

#include <QStringList>
#include <iterator>

namespace CommandVerbs {
namespace {
using namespace CommandProtocol;

constexpr QLatin1String kNone("");
constexpr QLatin1String kAutostart("autostart");

// --help's columns: the usage, then what it does from this column on.
constexpr int kSummaryColumn = 36;

const Verb kVerbs[] = {
    {Command::Status, kStatus, kNone, kJsonOffered, Words::None, nullptr, Offer::Nothing, "status [--json]",
     "the receiver, the tab, each tab's mode, Mic ENC"},
    {Command::Modes, kModes, kNone, kJsonOffered, Words::None, nullptr, Offer::Nothing, "modes [--json]",
     "the built-in and custom modes of each tab"},
    {Command::Watch, kWatch, kNone, kJsonOffered, Words::None, nullptr, Offer::Nothing, "watch",
     "the state, then a line per change, until VoxBench ends"},
    {Command::Choose, kMode, kNone, kTabOption, Words::Name, nullptr, Offer::ModeNames,
     "mode NAME [--tab surround|stereo]", "choose a mode as a click on its button does"},
    {Command::Next, kMode, kNext, kTabOption, Words::None, nullptr, Offer::Nothing,
     "mode next|previous [--tab TAB]", "choose the tab's next or previous mode, round"},
    {Command::Previous, kMode, kPrevious, kTabOption, Words::None, nullptr, Offer::Nothing, "", ""},
    {Command::Add, kMode, kAdd, kTabOption | kGainsOption, Words::OptionalName, nullptr, Offer::Nothing,
     "mode add [NAME] [--tab TAB] [--gains G1 ... G10]", "a new custom mode, chosen (as the Add button)"},
    {Command::Rename, kMode, kRename, kTabOption, Words::OldAndNew, nullptr, Offer::CustomNames,
     "mode rename OLD NEW [--tab TAB]", "rename a custom mode"},
    {Command::Delete, kMode, kDelete, kTabOption, Words::Name, nullptr, Offer::CustomNames,
     "mode delete NAME [--tab TAB]", "delete a custom mode (as the Clear button)"},
    {Command::Export, kMode, kExport, kTabOption, Words::Name, nullptr, Offer::ModeNames,
     "mode export NAME [--tab TAB]", "write the mode as a mode file on standard output"},
    {Command::Import, kMode, kImport, kTabOption | kNameOption | kChannelOption, Words::File, nullptr,
     Offer::Files, "mode import FILE [--tab TAB] [--name NAME] [--channel L|R]",
     "a new custom mode from a mode file, an AutoEq or\n"
     "Equalizer APO GraphicEQ curve or a parametric file\n"
     "(per-channel sections: one side, or both averaged)"},
    {Command::Gains, kSetGains, kNone, kTabOption, Words::Gains, nullptr, Offer::Nothing,
     "gains G1 ... G10 [--tab TAB]", "the chosen custom mode's gains, -12 to 12, saved"},
    {Command::Tab, kSelectTab, kNone, kNoOption, Words::Choice, "surround stereo", Offer::Values,
     "tab surround|stereo", "choose the tab, and so the receiver's algorithm"},
    {Command::Enc, kEnc, kNone, kNoOption, Words::Choice, "on off toggle", Offer::Values, "enc on|off|toggle",
     "Mic ENC, as its check box does"},
    {Command::RuleAdd, kRule, kAdd, kTabOption, Words::ApplicationAndMode, nullptr, Offer::ModeNames,
     "rule add APPLICATION MODE [--tab TAB]", "while APPLICATION runs, use MODE on its tab"},
    {Command::RuleList, kRule, kList, kJsonOffered, Words::None, nullptr, Offer::Nothing,
     "rule list|delete APPLICATION|pause|resume", "the rules, one less, all held or followed again"},
    {Command::RuleDelete, kRule, kDelete, kNoOption, Words::Application, nullptr, Offer::Nothing, "", ""},
    {Command::RulePause, kRule, kPause, kNoOption, Words::None, nullptr, Offer::Nothing, "", ""},
    {Command::RuleResume, kRule, kResume, kNoOption, Words::None, nullptr, Offer::Nothing, "", ""},
    {Command::Background, kBackground, kNone, kJsonOffered, Words::OptionalChoice, "on off", Offer::Values,
     "background [on|off]",
     "print \"on\", \"off\" or \"not chosen\": whether closing the\n"
     "window keeps VoxBench running where there is no tray;\n"
     "or switch it"},
    {Command::Show, kShow, kNone, kNoOption, Words::None, nullptr, Offer::Nothing, "show",
     "show the window (the tray's \"Main Page\")"},
    {Command::Quit, kQuit, kNone, kNoOption, Words::None, nullptr, Offer::Nothing, "quit",
     "end VoxBench (the tray's \"Quit\")"},
    {Command::Autostart, kAutostart, kNone, kNoOption, Words::OptionalChoice, "on off", Offer::Values,
     "autostart [on|off]", "print \"on\" or \"off\", or switch log-on start"},
};
} // namespace

const Verb *begin()
{
    return std::begin(kVerbs);
}

const Verb *end()
{
    return std::end(kVerbs);
}

const Verb *find(const QString &verb, const QString &action)
{
    const Verb *withoutAction = nullptr;
    for (const Verb &row : kVerbs) {
        if (row.verb != verb)
            continue;
        if (!action.isEmpty() && row.action == action)
            return &row;
        if (row.action.size() == 0)
            withoutAction = &row;
    }
    return withoutAction;
}

bool hasActions(const QString &verb)
{
    for (const Verb &row : kVerbs) {
        if (row.verb == verb && row.action.size() > 0)
            return true;
    }
    return false;
}

QString verbs()
{
    QStringList words;
    for (const Verb &row : kVerbs) {
        if (!words.contains(row.verb))
            words << row.verb;
    }
    return words.join(QLatin1Char(' '));
}

QString actions(const QString &verb)
{
    QStringList words;
    for (const Verb &row : kVerbs) {
        if (row.verb == verb && row.action.size() > 0)
            words << row.action;
    }
    return words.join(QLatin1Char(' '));
}

QString actionsOffering(const QString &verb, Offer offer)
{
    QStringList words;
    for (const Verb &row : kVerbs) {
        if (row.verb == verb && row.action.size() > 0 && row.offer == offer)
            words << row.action;
    }
    return words.join(QLatin1Char(' '));
}

QString help()
{
    QString text =
        QStringLiteral("Commands, served by the running VoxBench (started hidden if none runs):\n");
    const QString indent(kSummaryColumn, QLatin1Char(' '));
    for (const Verb &row : kVerbs) {
        if (!*row.usage)
            continue;
        if (row.command == Command::Autostart)
            text += QStringLiteral("\nServed without the running VoxBench:\n");
        const QString usage = QStringLiteral("  ") + QLatin1String(row.usage);
        text += usage.size() < kSummaryColumn ? usage.leftJustified(kSummaryColumn) : usage + '\n' + indent;
        text += QString::fromLatin1(row.summary).replace(QLatin1Char('\n'), '\n' + indent) + '\n';
    }
    return text;
}

} // namespace CommandVerbs
