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
        return window;
    });
}
