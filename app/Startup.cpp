#include "app/Startup.h"

#include "app/ApplicationFont.h"
#include "app/Autorun.h"
#include "app/SingleInstance.h"
#include "platform/InstanceActivator.h"
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
} // namespace

QString Startup::mainWindowTitle()
{
    return QStringLiteral("VoxBench");
}

int Startup::run(const WindowFactory &makeWindow, const RequestServer &serveRequests)
{
    registerAutorun(QCoreApplication::applicationFilePath());

    SingleInstance instance;
    InstanceActivator activator;
    const bool first = instance.claim();
    // Listen before letting the next start past the semaphore, so that it finds us.
    if (first)
        activator.listen();
    // Released before any box: a box held open must not stall every later start.
    instance.releaseLock();
    if (!first)
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
