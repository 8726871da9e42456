#include "app/Autorun.h"
#include "app/CommandClient.h"
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "app/Translations.h"
#include "command/CommandServer.h"
#include "model/ReceiverModel.h"
#include "platform/HighDpi.h"
#include "platform/InstanceActivator.h"
#include "platform/SleepWatcher.h"
#include "platform/TerminationWatcher.h"
#include "window/ShowAtStart.h"
#include "window/VoxBench.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char *argv[])
{
    // A command talks to the running VoxBench and needs no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (CommandLine::isCommand(arguments)) {
        const CommandLine::Autostart autostart = CommandLine::parseAutostart(arguments.mid(1));
        if (autostart.given)
            return runAutostartCommand(argc, argv, autostart);
        return CommandClient::run(argc, argv);
    }

    // Started by a command: hidden until asked for. Not passed on to what it starts.
    setHiddenUntilShown(qEnvironmentVariableIsSet(CommandClient::kStartedByCommand));
    qunsetenv(CommandClient::kStartedByCommand);

    prepareHighDpi();
    QApplication app(argc, argv);
    // Before any box: "Program is running" is shown in the user's language too.
    loadTranslations(app);
    return Startup::run(
        [](TerminationWatcher &termination) {
            auto window = std::make_unique<VoxBench>();
            QObject::connect(&termination, &TerminationWatcher::terminationRequested, window.get(),
                             &VoxBench::on_ExitAppAction);
            // A receiver that lost its settings while the machine slept gets them again.
            auto *sleep = new SleepWatcher(window.get());
            ReceiverModel *model = window->model();
            QObject::connect(sleep, &SleepWatcher::aboutToSleep, model, &ReceiverModel::noteSleep);
            QObject::connect(sleep, &SleepWatcher::resumed, model, &ReceiverModel::reapplyAfterResume);
            return window;
        },
        [](QMainWindow &mainWindow, InstanceActivator &activator) {
            auto &window = static_cast<VoxBench &>(mainWindow);
            CommandServer::Program program;
            program.show = [&window] {
                // As "Main Page" in the tray menu; a key binding also wants it in front.
                window.on_ShowMainAction();
                window.raise();
                window.activateWindow();
            };
            program.quit = [&window] { window.on_ExitAppAction(); };
            program.shown = [&window] { return window.isVisible(); };
            const QPointer<CommandServer> server = new CommandServer(*window.model(), program, &window);
            server->setRules(window.rules(), window.ruleEngine());
            activator.setRequestHandler(
                [server](const QByteArray &request, const InstanceActivator::Reply &reply) {
                    if (!server)
                        return;
                    CommandServer::Reply answer;
                    answer.send = reply;
                    answer.wanted = [reply] { return reply.wanted(); };
                    answer.stream = [reply](const QByteArray &line) { return reply.stream(line); };
                    answer.close = [reply] { reply.close(); };
                    answer.whenGone = [reply](QObject *context, const std::function<void()> &gone) {
                        reply.whenGone(context, gone);
                    };
                    server->handle(request, answer);
                });
        });
}
