#include "app/Autorun.h"
#include "app/CommandClient.h"
#include "app/CommandLine.h"
#include "app/HostedProgram.h"
#include "app/Startup.h"
#include "app/Translations.h"
#include "platform/DisplayPresence.h"
#include "platform/HighDpi.h"
#include "platform/InstanceActivator.h"
#include "platform/TerminationWatcher.h"
#include "window/ShowAtStart.h"
#include "window/VoxBench.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>

namespace {
void serveCommands(VoxBenchInstance &instance, InstanceActivator &activator)
{
    const QPointer<CommandServer> server = &instance.commandServer();
    activator.setRequestHandler([server](const QByteArray &request, const InstanceActivator::Reply &reply) {
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
}

// No display (ssh, cron, a user service): the receiver, the rules, resume and the
// command line without a widget. A later start on a display takes over: this
// instance ends, and the new one reads what it left in config.json and
// receivers.conf, saved at every change.
int runWithoutDisplay(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    loadTranslations(app);
    return Startup::run(
        [](TerminationWatcher &termination, InstanceActivator &activator) {
            auto instance = std::make_unique<VoxBenchInstance>();
            VoxBenchInstance *running = instance.get();
            QObject::connect(&termination, &TerminationWatcher::terminationRequested, running,
                             &VoxBenchInstance::quit);
            serveCommands(*running, activator);
            activator.setHandoverHandler([running] {
                qInfo("Handing over to a start on a display");
                // After the answer has gone out.
                QMetaObject::invokeMethod(running, &VoxBenchInstance::quit, Qt::QueuedConnection);
                return true;
            });
            return std::unique_ptr<QObject>(std::move(instance));
        },
        Startup::Display::None);
}
} // namespace

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

    if (!displayAvailable())
        return runWithoutDisplay(argc, argv);

    prepareHighDpi();
    QApplication app(argc, argv);
    // Before any box: "Program is running" is shown in the user's language too.
    loadTranslations(app);
    return Startup::run([](TerminationWatcher &termination, InstanceActivator &activator) {
        auto program = std::make_unique<HostedProgram>();
        QObject::connect(&termination, &TerminationWatcher::terminationRequested, &program->instance,
                         &VoxBenchInstance::quit);
        serveCommands(program->instance, activator);
        WindowHost &host = program->host;
        // A second start asks for the window by its title; the window may not be built yet.
        activator.setActivationHandler([&host](const QString &title) {
            if (title != Startup::mainWindowTitle())
                return false;
            host.show();
            return true;
        });
        // Out of sight until asked for: no window is built before then.
        if (hiddenUntilShown()) {
            host.offerTray();
            return std::unique_ptr<QObject>(std::move(program));
        }
        VoxBench &window = host.window();
        if (showAtStart())
            window.show();
        else
            window.hide();
        return std::unique_ptr<QObject>(std::move(program));
    });
}
