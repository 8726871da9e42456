#include "window/MyThread_Two.h"

#include <QDebug>

namespace {
struct Step
{
    int tick;
    const char *channel;
};

// Steps 1 to 8 at the tick they are due; the sound file voices the channels
// at these times.
constexpr Step kSteps[MyThread_Two::kLastStep] = {
    {100, "FrontLeft!"}, {260, "Center!"},   {450, "FrontRight!"},     {620, "AuxiliaryRight!"},
    {810, "BackRight!"}, {980, "BackLeft!"}, {1160, "AuxiliaryLeft!"}, {1390, "Close!"},
};

std::atomic<int> &tickLength()
{
    static std::atomic<int> microseconds{MyThread_Two::kTickMicroseconds};
    return microseconds;
}
} // namespace

MyThread_Two::MyThread_Two(QObject *parent) : QThread(parent) {}

MyThread_Two::~MyThread_Two()
{
    stop();
    wait();
}

void MyThread_Two::stop()
{
    requestInterruption();
    wake();
}

void MyThread_Two::play()
{
    m_paused.store(0);
    m_ticks.store(0);
    m_running.store(1);
    wake();
}

void MyThread_Two::setPaused(bool paused)
{
    m_paused.store(paused ? 1 : 0);
    wake();
}

void MyThread_Two::halt()
{
    m_running.store(0);
    wake();
}

void MyThread_Two::wake()
{
    // Taken so that a change cannot slip between the loop's check and its wait.
    const std::lock_guard<std::mutex> lock(m_wakeMutex);
    m_wakeUp.notify_all();
}

bool MyThread_Two::awaitCounting()
{
    std::unique_lock<std::mutex> lock(m_wakeMutex);
    m_wakeUp.wait(lock, [this] {
        if (isInterruptionRequested())
            return true;
        if (m_running.load() == 0)
            m_ticks.store(0);
        return m_running.load() == 1 && m_paused.load() == 0;
    });
    return !isInterruptionRequested();
}

void MyThread_Two::setTickMicroseconds(int microseconds)
{
    tickLength().store(qMax(1, microseconds));
}

int MyThread_Two::tickMicroseconds()
{
    return tickLength().load();
}

int MyThread_Two::stepTick(int step)
{
    return step >= 1 && step <= kLastStep ? kSteps[step - 1].tick : 0;
}

void MyThread_Two::run()
{
    qDebug() << "thread Two... ... ... ...";
    while (awaitCounting()) {
        const int ticks = m_ticks.fetch_add(1) + 1;
        if (ticks == 10)
            qDebug() << "-------------------- Start Timer --------------------";
        for (int step = 1; step <= kLastStep; ++step) {
            if (ticks != kSteps[step - 1].tick)
                continue;
            qDebug() << kSteps[step - 1].channel;
            if (step == kLastStep)
                m_running.store(0);
            emit sendSetMicTimer(step);
            break;
        }
        QThread::usleep(static_cast<unsigned long>(tickLength().load()));
    }
}
