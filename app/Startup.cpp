#include "app/Startup.h"

#include "app/ApplicationFont.h"
#include "app/Autorun.h"
#include "app/SingleInstance.h"
#include "app/WindowActivation.h"
#include "platform/InstanceActivator.h"
#include "platform/OpenFileLimit.h"
#include "platform/TerminationWatcher.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

namespace {
// How long a running instance without a display has to answer, and to end, once
// a start on a display asks it to hand over.
constexpr int kHandoverAskMs = 3000;
constexpr int kHandoverEndMs = 10000;
constexpr int kHandoverPollMs = 50;

// Without a display nobody sees a box: the words go to the log.
int activateRunningWithoutDisplay()
{
    qWarning("VoxBench is running already");
    return InstanceActivator::activateRunning(Startup::mainWindowTitle()) ? 0 : -1;
}

// The running instance agreed to end: this start claims the guard once it has.
InstanceLock::Claim claimAfterHandover(SingleInstance &instance)
{
    QElapsedTimer clock;
    clock.start();
    InstanceLock::Claim claim = InstanceLock::Claim::Running;
    while (claim == InstanceLock::Claim::Running && clock.elapsed() < kHandoverEndMs) {
        instance.releaseLock();
        QThread::msleep(kHandoverPollMs);
        claim = instance.claim();
    }
    return claim;
}

int activateRunningInstance()
{
    MessageBox::informationAndWait(nullptr, QCoreApplication::translate("Startup", "prompt"),
                                   QCoreApplication::translate("Startup", "Program is running"));
    return InstanceActivator::activateRunning(Startup::mainWindowTitle()) ? 0 : -1;
}

// Another instance may run, with the same config.json and receiver: not a second one.
int refuseUnguarded(const QString &reason, Startup::Display display)
{
    const QString text =
        QCoreApplication::translate("Startup", "VoxBench cannot make sure that it runs only once (%1)")
            .arg(reason);
    qWarning("%s", qPrintable(text));
    // The process ends right after: the box must be seen first.
    if (display == Startup::Display::Shown)
        MessageBox::warningAndWait(nullptr, QStringLiteral("warning"), text);
    return Startup::kNoGuard;
}
} // namespace

QString Startup::mainWindowTitle()
{
    return QStringLiteral("VoxBench");
}

int Startup::run(const ProgramFactory &makeProgram, Display display)
{
    registerAutorun(QCoreApplication::applicationFilePath());

    // A flood of connections to the instance socket must not use up the descriptors.
    OpenFileLimit::raiseToHardLimit();

    SingleInstance instance;
    InstanceActivator activator;
    if (display == Display::Shown)
        activator.setActivationHandler(activateTopLevelWindow);
    InstanceLock::Claim claim = instance.claim();
    // One running without a display ends for a start that can show the window.
    if (claim == InstanceLock::Claim::Running && display == Display::Shown &&
        InstanceActivator::askToHandOver(kHandoverAskMs))
        claim = claimAfterHandover(instance);
    // Listen before letting the next start past the semaphore, so that it finds us.
    if (claim == InstanceLock::Claim::First) {
        activator.listen();
        instance.recordServer(activator.serverName());
    }
    // Released before any box: a box held open must not stall every later start.
    instance.releaseLock();
    if (claim == InstanceLock::Claim::Unguarded)
        return refuseUnguarded(instance.errorString(), display);
    if (claim == InstanceLock::Claim::Running)
        return display == Display::Shown ? activateRunningInstance() : activateRunningWithoutDisplay();

    if (display == Display::Shown) {
        // The only ways out are Quit and a request from outside; a box closed while
        // the window is hidden must not end the program.
        QApplication::setQuitOnLastWindowClosed(false);
        // Before the window: widgets built earlier keep the face they were polished with.
        loadApplicationFont(applicationFontFile());
    }
    TerminationWatcher termination;
    std::unique_ptr<QObject> program = makeProgram(termination, activator);
    const int exitCode = QCoreApplication::exec();
    program.reset();
    return exitCode;
}
