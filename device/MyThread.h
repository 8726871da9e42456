#pragma once

#include <QThread>
#include <atomic>
#include <mutex>
#include <vector>

// Reads the receiver's input reports while a device is open, runs their
// parsers and announces what arrived with sendReadAudio (a ReplyCode), and
// paces the spectrum view with ReplyCode::SpectrumFrame on every fourth pass.
class MyThread : public QThread
{
    Q_OBJECT
public:
    explicit MyThread(QObject *parent = nullptr);
    ~MyThread() override;

    void setRunning(int running) { m_running.store(running); }
    int running() const { return m_running.load(); }
    int passCounter() const { return m_passCounter.load(); }

    // Stops every read thread and waits for each to end; registered with the
    // device link, which runs it before it closes the handle.
    static void stopAll();

signals:
    void sendSetMicTimer(int);
    void sendReadAudio(int iCmdType);

protected:
    void run() override;

private:
    void pauseAfterReadError();

    static std::mutex s_threadsLock;
    static std::vector<MyThread *> s_threads;

    std::atomic<int> m_running{0};
    std::atomic<int> m_passCounter{0};
    std::atomic<int> m_spectrumSeen{0};
};
