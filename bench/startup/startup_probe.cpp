// The program itself, started as app/main.cpp starts it, reporting the first
// frame of its device page (the receiver attached, its modes shown).
#include "FirstFrameProbe.h"
#include "GuiSleepMeter.h"

#include "app/HostedProgram.h"
#include "app/Startup.h"
#include "platform/TerminationWatcher.h"
#include "window/VoxBench.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return Startup::run([](TerminationWatcher &termination, InstanceActivator &) {
        auto program = std::make_unique<HostedProgram>();
        QObject::connect(&termination, &TerminationWatcher::terminationRequested, &program->instance,
                         &VoxBenchInstance::quit);
        VoxBench *page = &program->host.window();
        // Owned by the window.
        new FirstFrameProbe(
            page, [page] { return page->pageState() == PageState::Device; }, guiThreadSleptNs);
        page->show();
        return std::unique_ptr<QObject>(std::move(program));
    });
}
