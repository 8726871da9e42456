#pragma once

#include <QThread>
#include <atomic>

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

signals:
    void sendSetMicTimer(int);
    void sendReadAudio(int iCmdType);

protected:
    void run() override;

private:
    void pauseAfterReadError();

    std::atomic<int> m_running{0};
    std::atomic<int> m_passCounter{0};
    std::atomic<int> m_spectrumSeen{0};
};
