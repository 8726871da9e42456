#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

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

    // Returns the event loop's exit code for the first instance; for a second
    // instance 0 once the running one shows its window, -1 if it cannot be reached.
    static int run(const WindowFactory &makeWindow);

    // Title of the main window, by which a second start finds it.
    static QString mainWindowTitle();
};
