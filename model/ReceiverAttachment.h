#pragma once

#include "device/UsbHidOperation.h"
#include "model/Pages.h"

#include <QObject>
#include <QString>
#include <QTimer>

class ReceiverSession;
class WriteReadJson;

// The life of the receiver's attachment: its open (retried while the node gets
// its rights), its settings coming up kPageDelayMs later, its removal, and a
// sleep and resume, after which what the model holds goes to it again once it
// answers. It says when; the model decides what is sent.
class ReceiverAttachment : public QObject
{
    Q_OBJECT

public:
    // The receiver's answer to an open comes first; then its settings show.
    static constexpr int kPageDelayMs = 500;
    // How long the wakes must have been quiet before the receiver is asked.
    static constexpr int kResumeSettleMs = 200;
    // After an arrival whose open failed: 8 more tries, 250 ms apart.
    static constexpr int kOpenRetries = 8;
    static constexpr int kOpenRetryMs = 250;

    ReceiverAttachment(ReceiverSession &session, const WriteReadJson &store, QObject *parent = nullptr);

    // Opens a known receiver unless one is attached.
    UsbHidOpenResult open();
    // A HID interface arrived: open unless a receiver is there already; an open
    // that is refused is retried.
    void handleArrival();
    // A HID interface went away. A removal that names its node ends the
    // attachment only when it is the open node (another receiver of the same
    // model may still be plugged in); one without a node is matched by its ids.
    void handleRemoval(quint16 vendorId, quint16 productId, const QString &node = QString());

    PageState pageState() const { return m_pageState; }
    // Open, and its settings are up.
    bool up() const { return m_pageState == PageState::Device; }
    // The last open found a receiver this user may not open.
    bool openRefused() const { return m_openRefused; }

    // The machine is about to sleep: a resume re-applies to this attachment only.
    void noteSleep();
    // The machine woke up: once the wakes settled and the receiver answered,
    // resendDue. Skipped when the receiver came and went meanwhile: its
    // arrival sends (or sent) everything.
    void reapplyAfterResume();

signals:
    // A receiver was opened; its settings come up kPageDelayMs later.
    void opened();
    // The page state is Device now: the model restores the receiver's modes.
    void cameUp();
    // The attachment ended: what was chosen in it is forgotten.
    void ended();
    void pageStateChanged(PageState state);
    // A receiver was found whose node this user may not open, tried and retried.
    void accessDenied();
    // After a resume the receiver answered: it gets what the model holds again.
    void resendDue();

private:
    void retryOpen();
    void replied(int code);

    ReceiverSession &m_session;
    const WriteReadJson &m_store;
    PageState m_pageState = PageState::NoReceiver;
    bool m_openRefused = false;
    QTimer m_pageTimer;
    QTimer m_retryTimer;
    int m_retriesLeft = 0;
    // Attachment numbers start at 1; 0 is none.
    quint64 m_sleepAttachment = 0;
    quint64 m_resumeAttachment = 0; // re-applies once the receiver answers
    // The receiver is asked once the wakes have settled: a burst of sleeps and
    // wakes (a flaky lid) re-applies once, after the last of them.
    QTimer m_resumeTimer;
};
