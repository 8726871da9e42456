#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class InstanceActivator;
class TerminationWatcher;

// The start-up sequence of the program, after the application object exists:
// log-on registration, the single-instance guard, the font, the program and
// the event loop.
class Startup
{
public:
    // Builds the running program of the first instance, and whatever window it
    // shows at start. `termination` tells when the program is asked to end from
    // outside (signal, session end); `activator` is the first instance's socket,
    // for the command line and for a second start. What it returns lives until
    // the event loop has ended.
    using ProgramFactory = std::function<std::unique_ptr<QObject>(TerminationWatcher &termination,
                                                                  InstanceActivator &activator)>;

    // Returns the event loop's exit code for the first instance; for a second
    // instance 0 once the running one shows its window, -1 if it cannot be reached;
    // kNoGuard, after a box that says why, when the guard cannot be had. A second
    // start on a display whose running instance has none takes its place.
    // Display::None: started where no window can show (no display); no box, no
    // font, and the instance hands over to a later start that has a display.
    enum class Display { Shown, None };
    static int run(const ProgramFactory &makeProgram, Display display = Display::Shown);

    static constexpr int kNoGuard = 1;

    // Title of the main window, by which a second start finds it.
    static QString mainWindowTitle();
};
