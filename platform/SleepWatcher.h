#pragma once

#include <QObject>

// Tells when the machine is about to sleep and when it has woken up, so that a
// receiver that lost its settings while asleep can get them again. On Linux
// this is logind's PrepareForSleep on the system bus; without a system bus or
// logind the watcher stays quiet and says so once in the log. On Windows it is
// WM_POWERBROADCAST (PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC) at a hidden
// top-level window of its own, so it hears the machine with or without a
// VoxBench window.
class SleepWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SleepWatcher(QObject *parent = nullptr);
    ~SleepWatcher() override;

    // The class name of the Windows watcher's window, for whoever sends it messages.
    static constexpr const wchar_t *kWindowClass = L"VoxBenchSleepWatcher";

signals:
    void aboutToSleep();
    void resumed();

private slots:
    void prepareForSleep(bool sleeping);

private:
    quintptr m_window = 0; // Windows: the hidden window that hears the power messages
};
