#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

class InstanceActivator;
class TerminationWatcher;

// The start-up sequence of the program, after the application object exists:
// log-on registration, the single-instance guard, the font, the main window,
// showing or hiding the window and the event loop.
class Startup
{
public:
    // Builds the main window. `termination` tells when the program is asked to end
    // from outside (signal, session end); the window connects it to its Quit.
    using WindowFactory = std::function<std::unique_ptr<QMainWindow>(TerminationWatcher &termination)>;

    // Hands the first instance's socket, with the window built, to whatever
    // serves the requests other than a second start's (the command line).
    using RequestServer = std::function<void(QMainWindow &window, InstanceActivator &activator)>;

    // Returns the event loop's exit code for the first instance; for a second
    // instance 0 once the running one shows its window, -1 if it cannot be reached;
    // kNoGuard, after a box that says why, when the guard cannot be had.
    static int run(const WindowFactory &makeWindow, const RequestServer &serveRequests = {});

    static constexpr int kNoGuard = 1;

    // Title of the main window, by which a second start finds it.
    static QString mainWindowTitle();
};
