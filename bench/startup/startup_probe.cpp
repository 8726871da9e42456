// The program itself, started as app/main.cpp starts it, reporting the first
// frame of its device page (the receiver attached, its modes shown).
#include "FirstFrameProbe.h"
#include "GuiSleepMeter.h"

#include "app/Startup.h"
#include "platform/TerminationWatcher.h"
#include "window/VoxBench.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return Startup::run([](TerminationWatcher &termination) {
        auto window = std::make_unique<VoxBench>();
        QObject::connect(&termination, &TerminationWatcher::terminationRequested, window.get(),
                         &VoxBench::on_ExitAppAction);
        VoxBench *page = window.get();
        // Owned by the window.
        new FirstFrameProbe(
            page, [page] { return page->pageState() == PageState::Device; }, guiThreadSleptNs);
        return window;
    });
}
