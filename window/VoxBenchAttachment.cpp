// Device attachment: notifications go to the model; the window shows the
// pages, the receiver's picture and, for a new receiver, itself.
#include "window/VoxBench.h"

#include "ui/MessageBox.h"
#include "window/FirstShowWarmup.h"
#include "window/MyThread_Two.h"
#include "window/ShowAtStart.h"
#include "window/TabControls.h"
#include "window/UserFolder.h"

#include <QDebug>
#include <QTimer>
#include <qcustomplot.h>

namespace {
constexpr int kAttachTimerMs = 60000;
} // namespace

// A receiver that is found but cannot be opened is almost always a missing
// udev rule; without a word the program would sit on its no-device page.
void VoxBench::warnAccessDenied()
{
    if (m_accessWarned)
        return;
    m_accessWarned = true;
    qDebug() << "Receiver found, access denied";
    MessageBox::warning(this, tr("warning"),
                        tr("The headset receiver was found, but access to it was denied.\n\n"
                           "Install the VoxBench package, which brings the udev rule "
                           "70-voxbench.rules, or copy that rule from the build folder "
                           "packaging/ to /etc/udev/rules.d/ and run "
                           "\"sudo udevadm control --reload-rules\".\n\n"
                           "Then unplug the receiver and plug it in again."));
}

void VoxBench::showReceiverOpened()
{
    qDebug() << "Create Thread!";
    m_attachTimerId = startTimer(kAttachTimerMs, Qt::CoarseTimer);
    if (const char *picture = m_model->picture()) {
        ui.label_Spectrum->show();
        ui.widget_Spectrum->hide();
        ui.label_Spectrum->setStyleSheet(
            QStringLiteral("border-image: url(:/headset/pic/headset/%1.png);").arg(QLatin1String(picture)));
    }
    // One sequencer serves the program's whole life: a test that is playing
    // when its receiver goes away runs on to its end, and only one sequencer
    // ever drives the window.
    if (!m_testThread) {
        m_testThread = std::make_unique<MyThread_Two>();
        m_testThread->start(QThread::InheritPriority);
        connectTestThread();
    }
}

void VoxBench::connectReadThread()
{
    // The model passes on what the window shows of the receiver's replies.
    connect(m_model, &ReceiverModel::spectrumLevels, this, [this](const SpectrumLevels &levels) {
        m_spectrum.pushSpectrumLevels(levels.data(), int(levels.size()));
    });
    connect(m_model, &ReceiverModel::spectrumFrameDue, this,
            [this] { on_SLOTReadAudio(replyCodeValue(ReplyCode::SpectrumFrame)); });
    qDebug() << "***** Start Connect One! *****";
}

void VoxBench::connectTestThread()
{
    connect(m_testThread.get(), &MyThread_Two::sendSetMicTimer, this, &VoxBench::on_SLOTSetMicTimer_LabelUI);
    qDebug() << "***** Start Connect Two! *****";
}

void VoxBench::setPageState(PageState state)
{
    if (state == PageState::NoReceiver) {
        showPage(m_model->page());
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
        return;
    }
    // The device page shows now, all of its pictures with it. Its plots show
    // once the receiver's remembered page is restored, which follows this
    // signal: the other tab's plots are never drawn for nothing. Still before
    // the page is painted, as updates are posted at a lower priority.
    m_warmup->finishSteps();
    QMetaObject::invokeMethod(
        this, [this] { showPage(m_model->page()); }, Qt::QueuedConnection);
    ui.label_DefaultHead->lower();
    ui.label_DefaultBackground->lower();
    ui.pushButton_DefaultClose->lower();
    // Hidden too, or Tab would stop on it under the device page.
    ui.pushButton_DefaultClose->hide();
    ui.label_Head->show();
    ui.label_Head_One->show();
    ui.label->show();
}

// The no-receiver page covers the device page's controls: Tab stays on its own
// close button rather than walk through controls nobody can see.
bool VoxBench::focusNextPrevChild(bool next)
{
    if (m_model->pageState() != PageState::NoReceiver)
        return QMainWindow::focusNextPrevChild(next);
    ui.pushButton_DefaultClose->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

// The receiver's settings are up: its custom modes and chosen modes show.
void VoxBench::changedDevice32()
{
    showModes(Surround);
    showModes(Stereo);
}

// The receiver went away: its picture and the spectrum go with it.
void VoxBench::showReceiverGone()
{
    if (m_attachTimerId != 0) {
        killTimer(m_attachTimerId);
        m_attachTimerId = 0;
    }
    ui.tabWidget->setTabEnabled(0, true);
    ui.tabWidget->setTabEnabled(1, true);
    ui.label_Spectrum->setStyleSheet(QString());
    ui.widget_Spectrum->hide();
}

void VoxBench::showNewIdentity(int productId)
{
    if (isHidden() && !hiddenUntilShown()) {
        show();
        if (m_trayIcon)
            m_trayIcon->show();
        createTrayActions();
        createTrayMenu();
    }
    checkUserFolder(productId);
}

void VoxBench::on_SLOTReadAudio(int iCmdType)
{
    // What the window draws of the receiver's replies; the model took the rest.
    if (ReplyCode(iCmdType) != ReplyCode::SpectrumFrame)
        return;
    quint8 frame[SpectrumSmoother::kFrameBuffer] = {};
    int length = 0;
    m_spectrum.nextSpectrumFrame(frame, &length);
    drawSpectrum(frame);
}
