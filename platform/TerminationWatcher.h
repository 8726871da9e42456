#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

// Turns a request from outside to end the program into a Qt signal on the GUI
// thread, so that the program ends the way its own Quit does instead of dying
// half-way: SIGTERM, SIGINT and SIGHUP on Linux, and the desktop session ending
// (which reaches the application as a Quit event). One watcher at a time.
class TerminationWatcher : public QObject
{
    Q_OBJECT

public:
    explicit TerminationWatcher(QObject *parent = nullptr);
    ~TerminationWatcher() override;

signals:
    void terminationRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void drainSignals();

    std::unique_ptr<QSocketNotifier> m_notifier;
};
