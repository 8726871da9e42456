// Device attachment: notifications, opening the receiver, its threads, the
// pages, and the dispatcher of the read thread's codes.
#include "window/VoxBench.h"

#include "device/MyThread.h"
#include "log/DebugLog.h"
#include "platform/DeviceMonitor.h"
#include "presets/WriteReadJson.h"
#include "ui/MessageBox.h"
#include "window/FirstShowWarmup.h"
#include "window/MyThread_Two.h"
#include "window/TabControls.h"
#include "window/UserFolder.h"

#include <QDebug>
#include <QTimer>
#include <qcustomplot.h>

namespace {
const QString kSource = QStringLiteral("VoxBench");

// After an arrival whose open failed: 8 more tries, 250 ms apart.
constexpr int kOpenRetries = 8;
constexpr int kOpenRetryMs = 250;
constexpr int kPageDelayMs = 500;
constexpr int kAttachTimerMs = 60000;
// The receiver takes a moment over a new identity before the next report.
constexpr int kNewIdentityPauseMs = 50;
} // namespace

void VoxBench::registerDevice()
{
    qDebug() << "***** Register Device! *****";
    m_deviceMonitor = std::make_unique<DeviceMonitor>();
    connect(m_deviceMonitor.get(), &DeviceMonitor::hidArrived, this, &VoxBench::handleHidArrival);
    connect(m_deviceMonitor.get(), &DeviceMonitor::hidRemoved, this, &VoxBench::handleHidRemoval);
    connect(m_deviceMonitor.get(), &DeviceMonitor::usbDiskArrived, this, &VoxBench::handleVolumeArrival);
    if (m_deviceMonitor->start(this)) {
        qDebug() << "Register SuccessFul!";
        writeDebugLog(QStringLiteral("Register Device"), QStringLiteral("true"), kSource,
                      QStringLiteral("registerDevice"), 274);
    } else {
        qDebug() << "Register Fail!";
        writeDebugLog(QStringLiteral("Register Device"), QStringLiteral("false"), kSource,
                      QStringLiteral("registerDevice"), 269);
    }
}

bool VoxBench::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(result);
    if (m_deviceMonitor)
        m_deviceMonitor->handleNativeEvent(eventType, message);
    return false;
}

void VoxBench::handleVolumeArrival()
{
    qDebug() << "U disk arrived";
    writeDebugLog(QStringLiteral("Insert Device U disk"), QStringLiteral("true"), kSource,
                  QStringLiteral("nativeEvent"), 294);
}

void VoxBench::handleHidArrival()
{
    const UsbHidConnection &connection = usbHidConnection();
    if (connection.vendorId.load() != 0 || connection.productId.load() != 0)
        return;
    qDebug() << "------------------------------";
    writeDebugLog(QStringLiteral("DeviceInsert"), QStringLiteral("true"), kSource,
                  QStringLiteral("nativeEvent"), 305);
    if (InitDeviceInput() == OpenFailed)
        startOpenRetry();
}

void VoxBench::startOpenRetry()
{
    // One chain at a time; a further arrival only gives it its full length again.
    m_openRetriesLeft = kOpenRetries;
    if (m_openRetryTimerId == 0)
        m_openRetryTimerId = startTimer(kOpenRetryMs);
}

void VoxBench::retryOpen()
{
    const bool open = usbHidConnection().opened.load() == 1;
    bool deniedForGood = false;
    if (!open && m_openRetriesLeft > 0) {
        --m_openRetriesLeft;
        qDebug() << "Open retry, left:" << m_openRetriesLeft;
        const int result = InitDeviceInput();
        if (result == OpenFailed && m_openRetriesLeft > 0)
            return;
        deniedForGood = result == OpenFailed;
    }
    m_openRetriesLeft = 0;
    if (m_openRetryTimerId != 0) {
        killTimer(m_openRetryTimerId);
        m_openRetryTimerId = 0;
    }
    if (deniedForGood)
        warnAccessDenied();
}

// A receiver that is found but cannot be opened is almost always a missing
// udev rule; without a word the program would sit on its no-device page.
void VoxBench::warnAccessDenied()
{
    if (m_accessWarned)
        return;
    m_accessWarned = true;
    qDebug() << "Receiver found, access denied";
    MessageBox::warning(this, QStringLiteral("warning"),
                        tr("The headset receiver was found, but access to it was denied.\n\n"
                           "Install the VoxBench package, which brings the udev rule "
                           "70-voxbench.rules, or copy that rule from the build folder "
                           "packaging/ to /etc/udev/rules.d/ and run "
                           "\"sudo udevadm control --reload-rules\".\n\n"
                           "Then unplug the receiver and plug it in again."));
}

int VoxBench::InitDeviceInput()
{
    // Never a second read thread on the handle of a running attachment.
    if (m_session->attached())
        return OpenOk;

    const int result = m_session->open(m_store->knownDevices());
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

    m_session->begin();
    m_headsetModel = m_session->headsetModel();
    connectReadThread();

    QTimer::singleShot(kPageDelayMs, this, [this, attachment = m_session->attachment()] {
        if (attachment == m_session->attachment())
            setPageState(2);
    });

    qDebug() << "Create Thread!";
    m_attachTimerId = startTimer(kAttachTimerMs, Qt::CoarseTimer);

    static const char *const pictures[] = {"HeadsetA", "HeadsetB", "HeadsetC"};
    if (m_headsetModel >= 1 && m_headsetModel <= 3) {
        ui.label_Spectrum->show();
        ui.widget_Spectrum->hide();
        ui.label_Spectrum->setStyleSheet(QStringLiteral("border-image: url(:/headset/pic/headset/%1.png);")
                                             .arg(QLatin1String(pictures[m_headsetModel - 1])));
    }

    // One sequencer serves the program's whole life: a test that is playing
    // when its receiver goes away runs on to its end, and only one sequencer
    // ever drives the window.
    if (!m_testThread) {
        m_testThread = std::make_unique<MyThread_Two>();
        m_testThread->start(QThread::InheritPriority);
        connectTestThread();
    }
    return OpenOk;
}

void VoxBench::connectReadThread()
{
    // The session passes on the codes of its current attachment only.
    connect(m_session.get(), &ReceiverSession::replied, this, &VoxBench::on_SLOTReadAudio,
            Qt::UniqueConnection);
    qDebug() << "***** Start Connect One! *****";
}

void VoxBench::connectTestThread()
{
    connect(m_testThread.get(), &MyThread_Two::sendSetMicTimer, this, &VoxBench::on_SLOTSetMicTimer_LabelUI);
    qDebug() << "***** Start Connect Two! *****";
}

void VoxBench::endAttachment()
{
    m_session->detach();
    if (m_attachTimerId != 0) {
        killTimer(m_attachTimerId);
        m_attachTimerId = 0;
    }
}

void VoxBench::handleHidRemoval(quint16 vendorId, quint16 productId)
{
    qDebug() << "------------------------------";
    writeDebugLog(QStringLiteral("DeviceRemove"), QStringLiteral("true"), kSource,
                  QStringLiteral("nativeEvent"), 333);
    UsbHidConnection &connection = usbHidConnection();
    const quint16 openVendor = connection.vendorId.load();
    const quint16 openProduct = connection.productId.load();
    qDebug() << "Removed" << Qt::hex << vendorId << productId;
    if ((openVendor == 0 && openProduct == 0) || vendorId != openVendor || productId != openProduct)
        return;

    if (connection.handle.load() && connection.opened.load() == 1) {
        qDebug() << "Close Thread!";
        endAttachment();
        setPageState(1);
        ui.tabWidget->setTabEnabled(0, true);
        ui.tabWidget->setTabEnabled(1, true);
        m_headsetModel = 0;
        ui.label_Spectrum->setStyleSheet(QString());
        ui.widget_Spectrum->hide();
        ui.pushButton_CustomReset->click();
    }

    connection.vendorId.store(0);
    connection.productId.store(0);
    usbHidDeviceState().device71.store(0);
    m_deviceUuid.clear();
    m_store->clearDevice();
    setCustomizeVisible(false, Stereo);
    setCustomizeVisible(false, Surround);
    // A second receiver still plugged in is taken now.
    InitDeviceInput();
    m_store->setCurrentMode(nullptr);
}

void VoxBench::setPageState(int state)
{
    if (state == 1) {
        m_pageState = 0;
        for (QWidget *widget : {static_cast<QWidget *>(ui.label_DefaultHead),
                                static_cast<QWidget *>(ui.label_DefaultBackground),
                                static_cast<QWidget *>(ui.pushButton_DefaultClose)})
            widget->raise();
        ui.label_DefaultHead->show();
        ui.label_DefaultBackground->show();
        ui.pushButton_DefaultClose->show();
        ui.label_Head->hide();
        ui.label_Head_One->hide();
        ui.label->hide();
    } else if (state == 2) {
        m_pageState = 1;
        // The device page shows now, all of its pictures with it.
        m_warmup->finishSteps();
        ui.label_DefaultHead->lower();
        ui.label_DefaultBackground->lower();
        ui.pushButton_DefaultClose->lower();
        ui.label_Head->show();
        ui.label_Head_One->show();
        ui.label->show();
        changedDevice32();
        if (const DeviceModes *defaults = m_store->defaultDevice())
            ui.checkBox_MicENC->setChecked(defaults->micENC);
        on_CheckBox_MicENC_Clicked();
    }
}

void VoxBench::changedDevice32()
{
    const int productId = usbHidConnection().productId.load();
    m_store->setDevice(productId, m_deviceUuid);
    labelCustomButtons(Surround);
    labelCustomButtons(Stereo);
    loadUserInformation();

    const IdentityBytes identity = usbHidIdentityBytes();
    if (identity == m_lastIdentity)
        return;
    if (isHidden()) {
        show();
        if (m_trayIcon)
            m_trayIcon->show();
        createTrayActions();
        createTrayMenu();
    }
    qDebug() << "***** Device Change! *****";
    m_lastIdentity = identity;
    checkUserFolder(productId);
    m_session->pause(kNewIdentityPauseMs);
}

void VoxBench::on_SLOTReadAudio(int iCmdType)
{
    switch (ReplyCode(iCmdType)) {
    case ReplyCode::ReadAudio:
        if (usbHidDeviceState().device71.load() == 0 && m_headsetModel != kHeadsetModelOne)
            setTabWidgetIndex(TabEncoding::kStereoPage);
        break;
    case ReplyCode::PeqAck:
        // The switch that follows a complete upload fits the page now on screen.
        m_session->peqAcknowledged();
        break;
    case ReplyCode::Status: {
        // A reply that brought no identity leaves the placeholder: no identity then.
        const IdentityBytes identity = usbHidIdentityBytes();
        m_deviceUuid = identity == kPlaceholderIdentity ? QString() : usbHidIdentityText(identity);
        break;
    }
    case ReplyCode::Spectrum: {
        const SpectrumLevels levels = usbHidSpectrumLevels();
        m_spectrum.pushSpectrumLevels(levels.data(), int(levels.size()));
        break;
    }
    case ReplyCode::SpectrumFrame: {
        quint8 frame[SpectrumSmoother::kFrameBuffer] = {};
        int length = 0;
        m_spectrum.nextSpectrumFrame(frame, &length);
        drawSpectrum(frame);
        break;
    }
    case ReplyCode::AlgorithmAck:
    case ReplyCode::None:
        break;
    }
}
