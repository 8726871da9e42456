#pragma once

#include "device/ReceiverContract.h"
#include "device/UsbHidOperation.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

class MyThread;

// The receiver's multi-report sequences, asked for by intent: the opening
// exchange of an attachment, the two-packet PEQ upload with the algorithm
// switch after its second acknowledgement, the spectrum and algorithm
// switches. Lives on the GUI thread and owns the read thread of the attachment.
//
// Reports go out in the order they are asked for. A pause holds back every
// later report for its time without blocking the event loop; reports asked for
// while nothing is held back are written at once.
class ReceiverSession : public QObject
{
    Q_OBJECT
public:
    explicit ReceiverSession(QObject *parent = nullptr);
    ~ReceiverSession() override;

    // Opens a known receiver.
    UsbHidOpenResult open(const KnownDevices &knownDevices);
    // Starts the attachment of the receiver just opened: its read thread, and
    // the requests for its audio state and status.
    void begin();
    // Stops the read thread, closes the handle and drops what is still pending.
    void detach();
    bool attached() const { return m_readThread != nullptr; }
    MyThread *readThread() const { return m_readThread.get(); }

    // What the receiver is and told about itself. The session is the only way
    // to the device state: nothing above device/ reads the link's globals.
    bool opened() const;
    // A receiver is open or being opened (its ids are known).
    bool hasReceiver() const;
    quint16 vendorId() const;
    quint16 productId() const;
    // The node the receiver was opened through (hidapi's path); empty when none is.
    QString nodePath() const;
    // Its ReadAudio reply said it offers 7.1.
    bool reports71() const;
    // Eight hex digits from its ReadStatus reply; empty before one brought an identity.
    QString identity() const { return m_identity; }
    IdentityBytes identityBytes() const;
    QString version() const;
    bool spectrumOn() const;
    SpectrumLevels spectrumLevels() const;
    // Counts attachments; steps of an ended attachment never reach its successor.
    quint64 attachment() const { return m_attachment; }
    // What the open receiver does beyond a plain one (its registry row's).
    const ReceiverCapabilities &capabilities() const { return m_capabilities; }

    // The page on screen: its algorithm follows each complete upload, and the
    // receiver streams its spectrum or not.
    void selectPage(PageAlgorithm algorithm, bool spectrum);
    void switchSpectrum(bool on);
    // Bands 0 to 4 now, bands 5 to 9 at least 20 ms later with the gains of
    // the kind's latest upload, then the page's algorithm switch once the
    // receiver acknowledges the second packet.
    void uploadPeq(PeqKind kind, int modeCode, const Gains &gains);
    void switchAlgorithm(AlgorithmSwitch algorithm);
    // Asks for the receiver's status again (with its retries and watchdog); its
    // reply comes as ReplyCode::Status.
    void askStatus();
    // Holds back the reports asked for after it by at least ms.
    void pause(int ms);
    // Runs step once every report asked for before it has been written.
    void afterPending(QObject *context, std::function<void()> step);
    // Writes what is still pending, without its pauses, then the quit switch,
    // which stays the receiver's last report: nothing is sent after it.
    void farewell();

    bool idle() const { return m_steps.empty(); }
    bool awaitingPeqAck() const { return !m_peqAwaitingAck.empty(); }
    // A PEQ upload's second packet is still to be written (20 ms after its first).
    bool secondPacketDue() const { return m_secondHalvesDue > 0; }
    // Everything asked for has been written and every answered report has
    // had its answer: nothing held back, no second PEQ packet still to come,
    // no SetPEQ or SetAlgorithmSwitch awaiting its acknowledgement.
    bool settled() const
    {
        return m_steps.empty() && m_peqAwaitingAck.empty() && m_secondHalvesDue == 0 &&
               m_switchesAwaitingAck == 0;
    }
    // Acknowledgements still awaited after a time-out never come: later waits
    // start afresh.
    void forgetUnanswered()
    {
        m_peqAwaitingAck.clear();
        m_switchesAwaitingAck = 0;
    }
    // Reports of this program run that the receiver did not take (write failed, no device).
    quint64 failedWrites() const { return m_failedWrites; }
    // The algorithm of the last switch written in this attachment; None before any.
    PageAlgorithm algorithm() const { return m_algorithm; }

signals:
    // Every reply code of the current attachment, on the GUI thread, after the
    // session took what is its own (the PEQ acknowledgements, the identity).
    void replied(int code);

private:
    struct Step
    {
        int pauseMs = 0; // a pause step when above 0
        std::function<void()> run;
        qint64 notBeforeNs = 0;
    };

    void enqueue(Step step);
    void runSteps();
    void writeFirstHalf(PeqKind kind, int modeCode, const Gains &gains);
    void writeSecondHalf(PeqKind kind, int modeCode);
    void dropPending();
    void countWrite(int result);
    void peqAcknowledged();
    void reply(int code);

    std::unique_ptr<MyThread> m_readThread;
    quint64 m_attachment = 0;
    ReceiverCapabilities m_capabilities;
    PageAlgorithm m_pageAlgorithm = PageAlgorithm::Surround;
    // First band (0 or 5) of each SetPEQ packet written in this attachment and
    // not yet acknowledged: acknowledgements can arrive faster than the GUI
    // thread reads the one ack range the device state keeps.
    std::deque<int> m_peqAwaitingAck;
    int m_secondHalvesDue = 0;
    int m_switchesAwaitingAck = 0;
    quint64 m_failedWrites = 0;
    // A second packet due or an acknowledgement that comes after the farewell
    // would otherwise switch the receiver on again after the program ended.
    bool m_farewellSent = false;
    PageAlgorithm m_algorithm = PageAlgorithm::None;
    QString m_identity;
    // Gains of the latest first packet per kind; the second packet sends these.
    Gains m_uploadGains[2]{};

    std::deque<Step> m_steps;
    QElapsedTimer m_clock;
    qint64 m_heldUntilNs = 0;
    QTimer m_stepTimer;
};
