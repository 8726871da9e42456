#include "device/MyThread.h"

#include "device/UsbHidOperation.h"

#include <QDebug>
#include <array>

namespace {
constexpr int kErrorPauseStepMs = 5;
} // namespace

MyThread::MyThread(QObject *parent) : QThread(parent)
{
    setObjectName(QStringLiteral("MyThread"));
}

MyThread::~MyThread()
{
    // Never leave a reader behind on a handle that is about to be closed.
    setRunning(0);
    wait();
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
