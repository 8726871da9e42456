// `voxbench`: the command line, a program of its own that links Qt Core and
// Network only, so a command starts in a fraction of the window's time. A start
// of VoxBench through it (no arguments, -autorun, Qt's options) becomes the
// window program itself.
#include "app/Autorun.h"
#include "app/CommandClient.h"
#include "app/CommandLine.h"
#include "app/ProgramPath.h"
#include "platform/ProgramHandover.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!CommandLine::isCommand(arguments)) {
        QString program;
        {
            const QCoreApplication app(argc, argv);
            program = guiProgramPath();
        }
        const int code = handOverTo(program, arguments.mid(1));
        if (code == kHandoverFailed)
            QTextStream(stderr) << "voxbench: cannot run " << program << '\n';
        return code;
    }
    const CommandLine::Autostart autostart = CommandLine::parseAutostart(arguments.mid(1));
    if (autostart.given)
        return runAutostartCommand(argc, argv, autostart);
    return CommandClient::run(argc, argv);
}
