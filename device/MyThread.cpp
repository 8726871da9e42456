#include "device/MyThread.h"

#include "device/UsbHidOperation.h"

#include <QDebug>
#include <algorithm>
#include <array>

namespace {
constexpr int kErrorPauseStepMs = 5;
} // namespace

std::mutex MyThread::s_threadsLock;
std::vector<MyThread *> MyThread::s_threads;

MyThread::MyThread(QObject *parent) : QThread(parent)
{
    setObjectName(QStringLiteral("MyThread"));
    // Closing the handle stops every read thread first.
    usbHidSetBeforeClose(&MyThread::stopAll);
    std::lock_guard<std::mutex> locker(s_threadsLock);
    s_threads.push_back(this);
}

MyThread::~MyThread()
{
    // Never leave a reader behind on a handle that is about to be closed.
    setRunning(0);
    wait();
    std::lock_guard<std::mutex> locker(s_threadsLock);
    s_threads.erase(std::remove(s_threads.begin(), s_threads.end(), this), s_threads.end());
}

void MyThread::stopAll()
{
    std::lock_guard<std::mutex> locker(s_threadsLock);
    for (MyThread *thread : s_threads)
        thread->setRunning(0);
    for (MyThread *thread : s_threads)
        thread->wait();
}

void MyThread::run()
{
    qDebug() << "thread... ... ... ...";
    for (;;) {
        if (m_running.load() == 0) {
            m_spectrumSeen.store(0);
            qDebug() << "Thread Break... ...";
            return;
        }
        std::array<quint8, kReportSize> report{};
        hid_device *handle = usbHidConnection().handle.load();
        if (!handle)
            return;
        const int count = hid_read_timeout(handle, report.data(), report.size(), kReadTimeoutMs);
        if (count == kShortReportSize || count == kReportSize) {
            const int code = usbHidDispatchReport(report.data(), count);
            if (code == replyCodeValue(ReplyCode::Spectrum))
                m_spectrumSeen.store(1);
            if (code != replyCodeValue(ReplyCode::None))
                emit sendReadAudio(code);
        } else if (count < 0) {
            pauseAfterReadError();
        }
        if (usbHidDeviceState().spectrumOn.load() == 1 && m_spectrumSeen.load() == 1) {
            if (m_passCounter.fetch_add(1) % 4 == 3)
                emit sendReadAudio(replyCodeValue(ReplyCode::SpectrumFrame));
        }
        // Straight into the next read: its time-out is the thread's only
        // wake-up while the receiver is quiet.
    }
}

void MyThread::pauseAfterReadError()
{
    // A receiver that has gone away fails every read at once; wait as long as a
    // time-out would, but stay quick to stop.
    for (int waited = 0; waited < kReadTimeoutMs && m_running.load() != 0; waited += kErrorPauseStepMs)
        QThread::msleep(kErrorPauseStepMs);
}
