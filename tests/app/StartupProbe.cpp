// The real start-up sequence with a stand-in main window, for the tests that
// start several instances. It reports on stdout, one line per event:
//   "box <title>|<text>"           a message box would have been shown
//   "running visible=<0|1>"        the event loop of the first instance runs
//   "shown"                        the window was shown after start-up
//   "window font <family>"         the application font as the window is built
//                                  (only with PROBE_REPORT_FONT set)
// With PROBE_HOLD_BOX set, a box stays "open" until a line arrives on stdin.
// With PROBE_SQUAT_KEYS="<key a>;<key b>" it plays another account that takes those
// keys first: a semaphore with nothing to acquire and a shared-memory marker, made
// as Qt makes them (key files in the temporary folder), reports "squatting" and waits.

#include "app/Autorun.h"
#include "app/Startup.h"
#include "log/DebugLog.h"
#include "platform/ProcessCommandLine.h"
#include "platform/TerminationWatcher.h"
#include "ui/MessageBox.h"
#include "window/ShowAtStart.h"

#include <QApplication>
#include <QMainWindow>
#include <QSharedMemory>
#include <QSystemSemaphore>
#include <QTimer>
#include <cstdio>

namespace {
void report(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Does what the real window's initialisation does for start-up.
class ProbeWindow : public QMainWindow
{
public:
    ProbeWindow()
    {
        if (qEnvironmentVariableIsSet("PROBE_REPORT_FONT"))
            report(QStringLiteral("window font ") + QApplication::font().family());
        setWindowTitle(Startup::mainWindowTitle());
        setShowAtStart(!isAutorunLaunch());
        initDebugLog();
        QTimer::singleShot(0, this, [this] {
            report(QStringLiteral("running visible=%1").arg(isVisible() ? 1 : 0));
            m_started = true;
        });
    }

protected:
    void showEvent(QShowEvent *event) override
    {
        if (m_started)
            report(QStringLiteral("shown"));
        QMainWindow::showEvent(event);
    }

private:
    bool m_started = false;
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList squat = qEnvironmentVariable("PROBE_SQUAT_KEYS").split(';', Qt::SkipEmptyParts);
    if (squat.size() == 2) {
        QSystemSemaphore semaphore(squat.at(0), 0, QSystemSemaphore::Create);
        QSharedMemory marker(squat.at(1));
        if (!marker.create(1))
            return 1;
        report(QStringLiteral("squatting"));
        QObject::connect(new TerminationWatcher(&app), &TerminationWatcher::terminationRequested, &app,
                         &QCoreApplication::quit);
        return app.exec();
    }
    const bool holdBox = qEnvironmentVariableIsSet("PROBE_HOLD_BOX");
    MessageBox::setHandler([holdBox](const MessageBox::Shown &shown) {
        report(QStringLiteral("box %1|%2").arg(shown.title, shown.text));
        if (holdBox) {
            char line[16];
            [[maybe_unused]] char *answer = std::fgets(line, sizeof line, stdin);
        }
    });
    return Startup::run([](TerminationWatcher &termination, InstanceActivator &) {
        auto window = std::make_unique<ProbeWindow>();
        QObject::connect(&termination, &TerminationWatcher::terminationRequested, qApp,
                         &QCoreApplication::quit);
        window->setVisible(showAtStart());
        return std::unique_ptr<QObject>(std::move(window));
    });
}
