#pragma once

#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>

// The speaker-test sequencer: counts 10-ms ticks while a test runs and emits
// the step of each channel as it comes. With no test playing it sleeps until
// told otherwise, so a program waiting in the tray does not wake 100 times a second.
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

    // Counts from tick 0 again, not paused.
    void play();
    // Holds the count where it is (the sound is paused too), or goes on.
    void setPaused(bool paused);
    // Ends the test; the count falls back to 0.
    void halt();

    // Length of one tick for every sequencer; tests shorten it.
    static void setTickMicroseconds(int microseconds);
    static int tickMicroseconds();

    // Tick at which a step is due, 0 for none.
    static int stepTick(int step);

    int running() const { return m_running.load(); }
    int ticks() const { return m_ticks.load(); }
    int paused() const { return m_paused.load(); }

signals:
    void sendSetMicTimer(int);

protected:
    void run() override;

private:
    // Sleeps while no test counts; false once the loop is to end.
    bool awaitCounting();
    void wake();

    std::atomic<int> m_running{0};
    std::atomic<int> m_ticks{0};
    std::atomic<int> m_paused{0};
    std::mutex m_wakeMutex;
    std::condition_variable m_wakeUp;
};
