#pragma once

#include <QThread>
#include <atomic>

// The speaker-test sequencer: counts 10-ms ticks while a test runs and emits
// the step of each channel as it comes.
class MyThread_Two : public QThread
{
    Q_OBJECT
public:
    explicit MyThread_Two(QObject *parent = nullptr);
    ~MyThread_Two() override;

    std::atomic<int> m_running{0};
    std::atomic<int> m_ticks{0};
    std::atomic<int> m_paused{0};

signals:
    void sendSetMicTimer(int);

protected:
    void run() override;
};
