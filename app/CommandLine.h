#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// The command line of `voxbench` beyond starting the program: what to do, read
// from the arguments, checked before anything is sent to the running VoxBench.
struct CommandLine
{
    enum class Action {
        Help,    // --help: the usage, on standard output
        Version, // --version
        Send,    // `request` goes to the running VoxBench
        Usage,   // wrong usage: `error` says what
    };
    // Exit codes of a command.
    enum ExitCode { kDone = 0, kFailed = 1, kWrongUsage = 2 };

    // `autostart [on|off]`, served by the client itself on the log-on entry.
    struct Autostart
    {
        enum class Change { Query, On, Off };
        bool given = false; // the command is autostart
        Change change = Change::Query;
        QString error; // wrong usage, when not empty
    };

    Action action = Action::Usage;
    QJsonObject request;
    QString error;
    bool json = false;
    // --no-start: fail rather than start VoxBench when none runs.
    bool start = true;

    // True when the arguments (program name first) ask for a command rather than
    // the program. No arguments, -autorun and Qt's own options (with their
    // values) start VoxBench; anything else is a command, right or wrong.
    static bool isCommand(const QStringList &arguments);
    // The arguments after the program name.
    static CommandLine parse(const QStringList &arguments);
    static QString usage();
    // The line wrong usage prints after its error, on standard error.
    static QString usageLine();

private:
    static CommandLine parseArguments(const QStringList &arguments);

public:
    // The arguments after the program name, read as `autostart`.
    static Autostart parseAutostart(const QStringList &arguments);
};
