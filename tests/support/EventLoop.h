#pragma once

// The one way tests let time pass: the event loop runs, for a while or until
// what the test expects has happened, so timers and queued signals get through.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

inline void spin(int ms)
{
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    } while (timer.elapsed() < ms);
}

// True as soon as done() holds; false when it still does not after timeoutMs.
inline bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        spin(1);
    }
    return true;
}
