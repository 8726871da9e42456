#pragma once

#include <QThread>
#include <atomic>

// The speaker-test sequencer: counts 10-ms ticks while a test runs and emits
// the step of each channel as it comes.
class MyThread_Two : public QThread
{
    Q_OBJECT
public:
    static constexpr int kTickMicroseconds = 10000;
    static constexpr int kLastStep = 8;

    explicit MyThread_Two(QObject *parent = nullptr);
    // Ends the loop and waits for it, so the thread never outlives its object.
    ~MyThread_Two() override;

    // Asks the loop to end at its next pass (within one tick).
    void stop();

    // Length of one tick for every sequencer; tests shorten it.
    static void setTickMicroseconds(int microseconds);
    static int tickMicroseconds();

    // Tick at which a step is due, 0 for none.
    static int stepTick(int step);

    std::atomic<int> m_running{0};
    std::atomic<int> m_ticks{0};
    std::atomic<int> m_paused{0};

signals:
    void sendSetMicTimer(int);

protected:
    void run() override;
};
