#include "model/ReceiverAttachment.h"

#include "device/ReceiverContract.h"
#include "device/ReceiverSession.h"
#include "log/DebugLog.h"
#include "presets/WriteReadJson.h"

#include <QDebug>
#include <utility>

namespace {
// Fixed source name of the program's debug-log records.
const QString kSource = QStringLiteral("VoxBench");
} // namespace

ReceiverAttachment::ReceiverAttachment(ReceiverSession &session, const WriteReadJson &store, QObject *parent)
    : QObject(parent), m_session(session), m_store(store)
{
    m_pageTimer.setSingleShot(true);
    // A coarse timer may fire up to 5% early; the receiver needs the full delay.
    m_pageTimer.setTimerType(Qt::PreciseTimer);
    m_pageTimer.setInterval(kPageDelayMs);
    connect(&m_pageTimer, &QTimer::timeout, this, [this] {
        m_pageState = PageState::Device;
        emit pageStateChanged(m_pageState);
        emit cameUp();
    });
    m_retryTimer.setInterval(kOpenRetryMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &ReceiverAttachment::retryOpen);
    m_resumeTimer.setSingleShot(true);
    m_resumeTimer.setInterval(kResumeSettleMs);
    connect(&m_resumeTimer, &QTimer::timeout, this, [this] {
        if (m_resumeAttachment == 0 || m_resumeAttachment != m_session.attachment())
            return;
        // Answers awaited before the sleep never come.
        m_session.forgetUnanswered();
        m_session.askStatus();
    });
    connect(&m_session, &ReceiverSession::replied, this, &ReceiverAttachment::replied);
}

UsbHidOpenResult ReceiverAttachment::open()
{
    // Never a second read thread on the handle of a running attachment.
    if (m_session.attached())
        return OpenOk;

    const UsbHidOpenResult result = m_session.open(m_store.knownDevices());
    m_openRefused = result != OpenOk && result != OpenNoDevice;
    if (result == OpenNoDevice) {
        writeDebugLog(QStringLiteral("OpenDevice"), QStringLiteral("noDevice"), kSource,
                      QStringLiteral("InitDeviceInput"), 500);
        return OpenNoDevice;
    }
    if (result != OpenOk) {
        writeDebugLog(QStringLiteral("OpenDevice"), QStringLiteral("false"), kSource,
                      QStringLiteral("InitDeviceInput"), 495);
        return OpenFailed;
    }
    writeDebugLog(QStringLiteral("OpenDevice"), QStringLiteral("true"), kSource,
                  QStringLiteral("InitDeviceInput"), 438);
    m_session.begin();
    m_pageTimer.start();
    emit opened();
    return OpenOk;
}

void ReceiverAttachment::handleArrival()
{
    if (m_session.hasReceiver())
        return;
    if (open() != OpenFailed)
        return;
    // One chain at a time; a further arrival only gives it its full length again.
    m_retriesLeft = kOpenRetries;
    if (!m_retryTimer.isActive())
        m_retryTimer.start();
}

void ReceiverAttachment::retryOpen()
{
    bool deniedForGood = false;
    if (!m_session.opened() && m_retriesLeft > 0) {
        --m_retriesLeft;
        qDebug() << "Open retry, left:" << m_retriesLeft;
        const UsbHidOpenResult result = open();
        if (result == OpenFailed && m_retriesLeft > 0)
            return;
        deniedForGood = result == OpenFailed;
    }
    m_retriesLeft = 0;
    m_retryTimer.stop();
    if (deniedForGood)
        emit accessDenied();
}

void ReceiverAttachment::handleRemoval(quint16 vendorId, quint16 productId, const QString &node)
{
    if (!m_session.hasReceiver())
        return;
    if (node.isEmpty() ? vendorId != m_session.vendorId() || productId != m_session.productId()
                       : node != m_session.nodePath())
        return;
    const bool wasOpen = m_session.opened();
    m_pageTimer.stop();
    m_session.detach();
    emit ended();
    if (wasOpen || m_pageState != PageState::NoReceiver) {
        m_pageState = PageState::NoReceiver;
        emit pageStateChanged(m_pageState);
    }
    // A second receiver still plugged in is taken now.
    open();
}

void ReceiverAttachment::noteSleep()
{
    m_resumeAttachment = 0;
    m_resumeTimer.stop();
    m_sleepAttachment = up() ? m_session.attachment() : 0;
    qDebug() << "Going to sleep, attachment" << m_sleepAttachment;
}

void ReceiverAttachment::reapplyAfterResume()
{
    const quint64 slept = std::exchange(m_sleepAttachment, 0);
    if (slept == 0 || !up() || slept != m_session.attachment()) {
        // No receiver then, or its arrival since brings (or brought) its settings.
        qDebug() << "Resumed, nothing to re-apply";
        return;
    }
    qDebug() << "Resumed, re-applying once the receiver answers";
    m_resumeAttachment = slept;
    m_resumeTimer.start();
}

void ReceiverAttachment::replied(int code)
{
    // Not before the wakes settled and the receiver was asked.
    if (ReplyCode(code) != ReplyCode::Status || m_resumeAttachment == 0 ||
        m_resumeAttachment != m_session.attachment() || m_resumeTimer.isActive())
        return;
    m_resumeAttachment = 0;
    emit resendDue();
}
