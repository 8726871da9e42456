#include "app/Startup.h"

#include "app/ApplicationFont.h"
#include "app/Autorun.h"
#include "app/SingleInstance.h"
#include "app/WindowActivation.h"
#include "platform/InstanceActivator.h"
#include "platform/OpenFileLimit.h"
#include "platform/TerminationWatcher.h"
#include "ui/MessageBox.h"
#include "window/ShowAtStart.h"

#include <QApplication>

namespace {
int activateRunningInstance()
{
    MessageBox::informationAndWait(nullptr, QCoreApplication::translate("Startup", "prompt"),
                                   QCoreApplication::translate("Startup", "Program is running"));
    return InstanceActivator::activateRunning(Startup::mainWindowTitle()) ? 0 : -1;
}

// Another instance may run, with the same config.json and receiver: not a second one.
int refuseUnguarded(const QString &reason)
{
    const QString text =
        QCoreApplication::translate("Startup", "VoxBench cannot make sure that it runs only once (%1)")
            .arg(reason);
    qWarning("%s", qPrintable(text));
    // The process ends right after: the box must be seen first.
    MessageBox::warningAndWait(nullptr, QStringLiteral("warning"), text);
    return Startup::kNoGuard;
}
} // namespace

QString Startup::mainWindowTitle()
{
    return QStringLiteral("VoxBench");
}

int Startup::run(const WindowFactory &makeWindow, const RequestServer &serveRequests)
{
    registerAutorun(QCoreApplication::applicationFilePath());

    // A flood of connections to the instance socket must not use up the descriptors.
    OpenFileLimit::raiseToHardLimit();

    SingleInstance instance;
    InstanceActivator activator;
    activator.setActivationHandler(activateTopLevelWindow);
    const InstanceLock::Claim claim = instance.claim();
    // Listen before letting the next start past the semaphore, so that it finds us.
    if (claim == InstanceLock::Claim::First) {
        activator.listen();
        instance.recordServer(activator.serverName());
    }
    // Released before any box: a box held open must not stall every later start.
    instance.releaseLock();
    if (claim == InstanceLock::Claim::Unguarded)
        return refuseUnguarded(instance.errorString());
    if (claim == InstanceLock::Claim::Running)
        return activateRunningInstance();

    // The only ways out are Quit and a request from outside; a box closed while
    // the window is hidden must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    // Before the window: widgets built earlier keep the face they were polished with.
    loadApplicationFont(applicationFontFile());
    TerminationWatcher termination;
    std::unique_ptr<QMainWindow> window = makeWindow(termination);
    if (serveRequests)
        serveRequests(*window, activator);
    if (showAtStart())
        window->show();
    else
        window->hide();

    const int exitCode = QApplication::exec();
    window.reset();
    return exitCode;
}
