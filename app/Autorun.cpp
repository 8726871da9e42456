#include "app/Autorun.h"

#include "app/ProgramPath.h"
#include "platform/AutostartEntry.h"

#include <QCoreApplication>
#include <QTextStream>

void registerAutorun(const QString &executablePath)
{
    LogonStart(executablePath).registerAtStart();
}

int runAutostartCommand(int argc, char *argv[], const CommandLine::Autostart &command)
{
    using Change = CommandLine::Autostart::Change;
    if (!command.error.isEmpty()) {
        QTextStream(stderr) << "voxbench: " << command.error << "\n" << CommandLine::usageLine() << '\n';
        return CommandLine::kWrongUsage;
    }
    const QCoreApplication app(argc, argv);
    // The entry starts the window program, also when the client asks.
    const LogonStart logon(guiProgramPath());
    if (command.change == Change::Query) {
        QTextStream(stdout) << (logon.enabled() ? "on" : "off") << '\n';
        return CommandLine::kDone;
    }
    const bool on = command.change == Change::On;
    if (!logon.setEnabled(on)) {
        QTextStream(stderr) << "voxbench: cannot " << (on ? "write " : "remove ") << logon.location() << '\n';
        return CommandLine::kFailed;
    }
    return CommandLine::kDone;
}
