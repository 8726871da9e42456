#pragma once

// The command line's verbs, each with its action, the options it takes and the
// words after it: the one table the client's parser, the server's dispatch,
// --help, and the shell completions (generated from it) read.

#include <QLatin1String>
#include <QString>

namespace CommandVerbs {

// What a verb and its action do; the server dispatches on it.
enum class Command {
    Status,
    Modes,
    Watch,
    Choose,
    Next,
    Previous,
    Add,
    Rename,
    Delete,
    Export,
    Import,
    Gains,
    Tab,
    Enc,
    RuleAdd,
    RuleList,
    RuleDelete,
    RulePause,
    RuleResume,
    Background,
    Show,
    Quit,
    Autostart, // served by the client itself, on the log-on entry
};

// Options a command takes besides --json and --no-start, which all take.
enum Option : unsigned {
    kNoOption = 0,
    kTabOption = 1,
    kGainsOption = 2,
    kNameOption = 4,
    kChannelOption = 8,
    // Offered by the completions: a command whose answer a program reads.
    kJsonOffered = 16,
};

// The words after the verb (and its action).
enum class Words {
    None,
    Name,         // one name; the words of a name with blanks join
    OptionalName, // as Name, or none
    OldAndNew,    // two names
    File,         // one path, "-" for standard input
    Gains,        // the ten gains
    Choice,       // one of `values`
    OptionalChoice,
    Application,        // one application
    ApplicationAndMode, // an application, then a mode's name
};

// --channel's values: one side of a curve with per-channel sections.
constexpr const char *kChannels = "L R";

// What the completions offer for the words.
enum class Offer { Nothing, Values, ModeNames, CustomNames, Files };

struct Verb
{
    Command command;
    QLatin1String verb;
    QLatin1String action; // empty: none
    unsigned options;
    Words words;
    const char *values; // Choice: the words it takes, blank-separated
    Offer offer;
    // --help: the line and what it does; an empty usage shares the row above.
    const char *usage;
    const char *summary;
};

// Every verb, in the order --help lists them.
const Verb *begin();
const Verb *end();

// The row of `verb` with `action`; with an action that is none of the verb's,
// the verb's row without one (`mode NAME`). Null for an unknown verb.
const Verb *find(const QString &verb, const QString &action);
bool hasActions(const QString &verb);
// The verbs, or a verb's actions, blank-separated in table order.
QString verbs();
QString actions(const QString &verb);
// A verb's actions whose words the completions fill with `offer`.
QString actionsOffering(const QString &verb, Offer offer);

// The commands part of --help.
QString help();

} // namespace CommandVerbs
