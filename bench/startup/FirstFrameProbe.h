#pragma once

// Reports the first frames of a window: after its first paint it prints
//   first <CLOCK_MONOTONIC ns>
// and after its first paint while `ready` holds
//   frame <CLOCK_MONOTONIC ns> <peak resident kB> <GUI thread's sleeps ns> <ready ns>
// to standard output, and quits the event loop (after the first frame already
// with VOXBENCH_BENCH_FIRST_ONLY set). The sleeps are 0 unless a
// meter is given; <ready ns> is the clock at which the timer event that made
// `ready` hold came in (for the program, its page timer's; the switch of
// pages that follows is work, not waiting).

#include "PeakMemory.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>
#include <functional>

class FirstFrameProbe : public QObject
{
public:
    FirstFrameProbe(QWidget *window, std::function<bool()> ready, std::function<long long()> slept = {})
        : QObject(window), m_window(window), m_ready(std::move(ready)), m_slept(std::move(slept))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The first paint of the window or of any widget in it (a central widget may cover it all).
        if (m_first && !m_readyAt) {
            if (m_ready())
                m_readyAt = m_lastTimerAt ? m_lastTimerAt : nowNs();
            else if (event->type() == QEvent::Timer)
                m_lastTimerAt = nowNs();
        }
        QWidget *widget = watched->isWidgetType() ? static_cast<QWidget *>(watched) : nullptr;
        if (!m_done && event->type() == QEvent::Paint && widget && m_window &&
            (widget == m_window || m_window->isAncestorOf(widget))) {
            if (!m_first) {
                m_first = true;
                QTimer::singleShot(0, this, [] {
                    std::printf("first %lld\n", nowNs());
                    // For a profile of the start-up alone.
                    if (qEnvironmentVariableIsSet("VOXBENCH_BENCH_FIRST_ONLY")) {
                        std::fflush(stdout);
                        QCoreApplication::quit();
                    }
                });
            }
            if (!m_ready())
                return false;
            m_done = true;
            if (!m_readyAt)
                m_readyAt = nowNs();
            // Right after this paint and the backing store flush that follows it.
            QTimer::singleShot(0, this, [this] {
                std::printf("frame %lld %lld %lld %lld\n", nowNs(), peakResidentKb(), m_slept ? m_slept() : 0LL,
                            m_readyAt);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    static long long nowNs()
    {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    }

    QPointer<QWidget> m_window;
    std::function<bool()> m_ready;
    std::function<long long()> m_slept;
    bool m_first = false;
    bool m_done = false;
    long long m_lastTimerAt = 0;
    long long m_readyAt = 0;
};
