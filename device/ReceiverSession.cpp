#include "device/ReceiverSession.h"

#include "device/MyThread.h"
#include "device/ReceiverModels.h"

#include <QThread>
#include <algorithm>

namespace {
constexpr int kSecondPacketMs = 20;
// The receiver needs a moment between the spectrum switch and the PEQ upload.
constexpr int kSpectrumSettleMs = 10;
constexpr qint64 kNsPerMs = 1000000;

int kindIndex(PeqKind kind)
{
    return static_cast<int>(kind);
}
} // namespace

namespace {
// The identity bytes before any receiver told its own.
constexpr IdentityBytes kPlaceholderIdentity{1, 1, 1, 1};
} // namespace

ReceiverSession::ReceiverSession(QObject *parent) : QObject(parent)
{
    usbHidSetIdentityBytes(kPlaceholderIdentity);
    m_clock.start();
    m_stepTimer.setSingleShot(true);
    m_stepTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_stepTimer, &QTimer::timeout, this, &ReceiverSession::runSteps);
}

ReceiverSession::~ReceiverSession()
{
    // The read thread ends before the handle closes, also at the program's end.
    detach();
}

bool ReceiverSession::opened() const
{
    return usbHidConnection().opened.load() == 1;
}

bool ReceiverSession::hasReceiver() const
{
    const UsbHidConnection &connection = usbHidConnection();
    return connection.vendorId.load() != 0 || connection.productId.load() != 0;
}

quint16 ReceiverSession::vendorId() const
{
    return usbHidConnection().vendorId.load();
}

quint16 ReceiverSession::productId() const
{
    return usbHidConnection().productId.load();
}

bool ReceiverSession::reports71() const
{
    return usbHidDeviceState().device71.load() != 0;
}

IdentityBytes ReceiverSession::identityBytes() const
{
    return usbHidIdentityBytes();
}

QString ReceiverSession::version() const
{
    return usbHidVersionText();
}

bool ReceiverSession::spectrumOn() const
{
    return usbHidDeviceState().spectrumOn.load() == 1;
}

SpectrumLevels ReceiverSession::spectrumLevels() const
{
    return usbHidSpectrumLevels();
}

QString ReceiverSession::nodePath() const
{
    return QString::fromStdString(usbHidConnection().path);
}

UsbHidOpenResult ReceiverSession::open(const KnownDevices &knownDevices)
{
    return UsbHidOpenResult(usbHidOpenDevice(knownDevices));
}

void ReceiverSession::begin()
{
    // Timers and queued codes of this attachment carry its number.
    ++m_attachment;
    m_peqAwaitingAck.clear();
    dropPending();
    m_algorithm = PageAlgorithm::None;
    usbHidClearVersionText();
    m_capabilities = capabilitiesOf(usbHidConnection().productId.load());

    m_readThread = std::make_unique<MyThread>();
    m_readThread->setRunning(1);
    m_readThread->start(QThread::InheritPriority);
    // Codes still queued from an ended attachment are dropped.
    connect(
        m_readThread.get(), &MyThread::sendReadAudio, this,
        [this, attachment = m_attachment](int code) {
            if (attachment != m_attachment)
                return;
            reply(code);
        },
        Qt::QueuedConnection);

    usbHidSend_ReadAudio(0);
    usbHidSend_ReadStatus(0);
}

void ReceiverSession::detach()
{
    usbHidConnection().opened.store(0);
    if (m_readThread) {
        m_readThread->setRunning(0);
        m_readThread->wait();
        m_readThread.reset();
    }
    usbHidCloseHandle();
    usbHidDeviceState().device71.store(0);
    m_identity.clear();
    ++m_attachment;
    m_peqAwaitingAck.clear();
    dropPending();
}

void ReceiverSession::reply(int code)
{
    switch (ReplyCode(code)) {
    case ReplyCode::AlgorithmAck:
        if (m_switchesAwaitingAck > 0)
            --m_switchesAwaitingAck;
        break;
    case ReplyCode::PeqAck:
        // The switch that follows a complete upload fits the page asked for last.
        peqAcknowledged();
        break;
    case ReplyCode::Status: {
        // A reply that brought no identity leaves the placeholder: no identity then.
        const IdentityBytes identity = usbHidIdentityBytes();
        m_identity = identity == kPlaceholderIdentity ? QString() : usbHidIdentityText(identity);
        break;
    }
    default:
        break;
    }
    emit replied(code);
}

void ReceiverSession::selectPage(PageAlgorithm algorithm, bool spectrum)
{
    m_pageAlgorithm = algorithm;
    switchSpectrum(spectrum);
    if (algorithm != PageAlgorithm::None)
        pause(kSpectrumSettleMs);
}

void ReceiverSession::switchSpectrum(bool on)
{
    enqueue({0, [this, on] {
                 usbHidDeviceState().spectrumOn.store(on ? 1 : 0);
                 countWrite(usbHidSend_SpectrumSwitch(on ? 1 : 0));
             }});
}

void ReceiverSession::uploadPeq(PeqKind kind, int modeCode, const Gains &gains)
{
    enqueue({0, [this, kind, modeCode, gains] { writeFirstHalf(kind, modeCode, gains); }});
}

void ReceiverSession::switchAlgorithm(AlgorithmSwitch algorithm)
{
    enqueue({0, [this, algorithm] {
                 const int result =
                     usbHidSend_SetAlgorithmSwitch(1, algorithm.surround, algorithm.enc, algorithm.stereo);
                 countWrite(result);
                 if (result != WriteOk)
                     return;
                 ++m_switchesAwaitingAck;
                 if (algorithm.surround == 1)
                     m_algorithm = PageAlgorithm::Surround;
                 else if (algorithm.stereo == 1)
                     m_algorithm = PageAlgorithm::Stereo;
             }});
}

void ReceiverSession::askStatus()
{
    enqueue({0, [] { usbHidSend_ReadStatus(0); }});
}

void ReceiverSession::pause(int ms)
{
    enqueue({ms, {}});
}

void ReceiverSession::afterPending(QObject *context, std::function<void()> step)
{
    // A step whose context has gone is skipped.
    QPointer<QObject> guard(context);
    enqueue({0, [guard, step = std::move(step)] {
                 if (guard)
                     step();
             }});
}

void ReceiverSession::peqAcknowledged()
{
    // Each code answers the oldest packet still awaiting its ack; the shared
    // ack range may already hold a later packet's bands.
    UsbHidDeviceState &state = usbHidDeviceState();
    bool secondHalf = state.peqFirstBand.load() == 5 && state.peqLastBand.load() == 9;
    if (!m_peqAwaitingAck.empty()) {
        secondHalf = m_peqAwaitingAck.front() == 5;
        m_peqAwaitingAck.pop_front();
    }
    if (!secondHalf)
        return;
    if (m_pageAlgorithm != PageAlgorithm::None)
        switchAlgorithm(algorithmSwitchAfterUpload(m_pageAlgorithm, m_capabilities));
    state.peqFirstBand.store(0);
    state.peqLastBand.store(0);
}

void ReceiverSession::farewell()
{
    // The program ends: what was asked for still goes out, in order.
    while (!m_steps.empty()) {
        const Step step = std::move(m_steps.front());
        m_steps.pop_front();
        if (step.run)
            step.run();
    }
    dropPending();
    const AlgorithmSwitch quit = AlgorithmSwitches::kQuit;
    usbHidSend_SetAlgorithmSwitch(1, quit.surround, quit.enc, quit.stereo);
    m_farewellSent = true;
}

void ReceiverSession::enqueue(Step step)
{
    if (m_farewellSent)
        return;
    m_steps.push_back(std::move(step));
    if (!m_stepTimer.isActive())
        runSteps();
}

void ReceiverSession::runSteps()
{
    // A step may ask for more steps (and run them) while it runs; each is
    // taken off the queue before it runs, so the order holds either way.
    while (!m_steps.empty()) {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 due = std::max(m_heldUntilNs, m_steps.front().notBeforeNs);
        if (now < due) {
            m_stepTimer.start(int((due - now + kNsPerMs - 1) / kNsPerMs));
            return;
        }
        const Step step = std::move(m_steps.front());
        m_steps.pop_front();
        if (step.pauseMs > 0)
            m_heldUntilNs = std::max(m_heldUntilNs, now + step.pauseMs * kNsPerMs);
        else if (step.run)
            step.run();
    }
}

void ReceiverSession::writeFirstHalf(PeqKind kind, int modeCode, const Gains &gains)
{
    m_uploadGains[kindIndex(kind)] = gains;
    const int result = usbHidSend_SetPEQ(1, 0, 4, modeCode, gains);
    countWrite(result);
    if (result == WriteOk)
        m_peqAwaitingAck.push_back(0);
    ++m_secondHalvesDue;
    // The second half goes only to the receiver that got the first, and after
    // everything asked for in the meantime.
    const qint64 due = m_clock.nsecsElapsed() + kSecondPacketMs * kNsPerMs;
    QTimer::singleShot(kSecondPacketMs, Qt::PreciseTimer, this,
                       [this, kind, modeCode, due, attachment = m_attachment] {
                           if (attachment != m_attachment)
                               return;
                           --m_secondHalvesDue;
                           enqueue({0, [this, kind, modeCode] { writeSecondHalf(kind, modeCode); }, due});
                       });
}

void ReceiverSession::writeSecondHalf(PeqKind kind, int modeCode)
{
    const int result = usbHidSend_SetPEQ(1, 5, 9, modeCode, m_uploadGains[kindIndex(kind)]);
    countWrite(result);
    if (result == WriteOk)
        m_peqAwaitingAck.push_back(5);
}

void ReceiverSession::countWrite(int result)
{
    if (result != WriteOk)
        ++m_failedWrites;
}

void ReceiverSession::dropPending()
{
    // Second packets and acknowledgements of an ended attachment never come.
    m_secondHalvesDue = 0;
    m_switchesAwaitingAck = 0;
    m_steps.clear();
    m_heldUntilNs = 0;
    m_stepTimer.stop();
}
