#pragma once

#include <QObject>

// Tells when the machine is about to sleep and when it has woken up, so that a
// receiver that lost its settings while asleep can get them again. On Linux
// this is logind's PrepareForSleep on the system bus; without a system bus or
// logind the watcher stays quiet and says so once in the log.
class SleepWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SleepWatcher(QObject *parent = nullptr);

signals:
    void aboutToSleep();
    void resumed();

private slots:
    void prepareForSleep(bool sleeping);
};
