// The tray icon, hiding instead of closing, the program's end, and the
// pointer handling of the frameless window.
#include "window/VoxBench.h"

#include "window/TabControls.h"

#include "model/CloseChoice.h"
#include "ui/MessageBox.h"
#include "window/MyThread_Two.h"
#include "window/ShowAtStart.h"
#include "window/TrayParts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDebug>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSessionManager>
#include <QShowEvent>
#include <QWindow>

namespace {
// Title strip of the device page, whole surface of the no-device page.
constexpr int kDevicePageDragWidth = 1176;
constexpr int kDevicePageDragHeight = 80;
constexpr int kEmptyPageDragWidth = 1000;
constexpr int kEmptyPageDragHeight = 630;
// The close question's buttons: keep running, quit.
constexpr int kKeepRunningAnswer = 0;
} // namespace

void VoxBench::initSystemTray()
{
    qDebug() << "***** Init System Tray! *****";
    // The form's window icon, Icon.ico, is shared rather than decoded once more (all six sizes).
    m_trayIcon = new QSystemTrayIcon(TrayParts::icon(windowIcon()), this);
    TrayParts::followRuleInForce(m_trayIcon, m_ruleEngine);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &VoxBench::on_activatedSysTrayIcon);
    m_trayIcon->show();
    if (trayAvailable())
        m_trayIcon->showMessage(tr("Message Title"), tr("Welcome to program"), QSystemTrayIcon::Information,
                                1000);
    createTrayActions();
    createTrayMenu();

    // A logout must never be refused by a window that only hides: the session
    // ends the program as "Quit" does.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager &) { on_ExitAppAction(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, &VoxBench::stopTestThread);
}

void VoxBench::createTrayActions()
{
    // Later calls (a hidden window shown again) keep the existing actions.
    if (!m_showMainAction) {
        m_showMainAction = new QAction(tr("Main Page"), this);
        connect(m_showMainAction, &QAction::triggered, this, &VoxBench::on_ShowMainAction);
    }
    if (!m_exitAppAction) {
        m_exitAppAction = new QAction(tr("Quit"), this);
        connect(m_exitAppAction, &QAction::triggered, this, &VoxBench::on_ExitAppAction);
    }
}

void VoxBench::createTrayMenu()
{
    if (!m_trayMenu) {
        m_trayMenu = new QMenu(this);
        m_trayMenu->addAction(m_showMainAction);
        TrayParts::addLogonStartEntry(m_trayMenu);
        m_trayMenu->addSeparator();
        m_trayMenu->addAction(m_exitAppAction);
    }
    m_trayIcon->setContextMenu(m_trayMenu);
}

bool VoxBench::trayAvailable() const
{
    if (m_trayAvailable >= 0)
        return m_trayAvailable == 1;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void VoxBench::stopTestThread()
{
    if (m_testThread) {
        m_testThread->stop();
        m_testThread->wait();
    }
}

void VoxBench::on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason)
{
    qDebug() << "systemTray acticated!";
    if (reason == QSystemTrayIcon::Trigger)
        show();
}

void VoxBench::on_ShowMainAction()
{
    if (isMinimized())
        showNormal();
    else
        show();
}

void VoxBench::on_ExitAppAction()
{
    if (!m_quitting) {
        m_quitting = true;
        m_model->farewell();
        close();
        if (m_trayIcon)
            m_trayIcon->hide();
    }
    // Queued, so that a quit before the event loop runs is not lost.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void VoxBench::closeEvent(QCloseEvent *event)
{
    qDebug() << "Close Dlg!";
    if (m_quitting) {
        event->accept();
        return;
    }
    if (qApp->isSavingSession() || (!trayAvailable() && !m_closeChoice)) {
        // Logging out, or no tray and no choice to keep running: end the program.
        event->accept();
        on_ExitAppAction();
        return;
    }
    event->ignore();
    if (trayAvailable())
        hide();
    else
        closeWithoutTray();
}

void VoxBench::closeWithoutTray()
{
    switch (m_closeChoice->choice()) {
    case CloseChoice::Choice::KeepRunning:
        // Starting VoxBench again (the app grid) shows it, as "voxbench show" does.
        hide();
        return;
    case CloseChoice::Choice::Quit:
        on_ExitAppAction();
        return;
    case CloseChoice::Choice::NotAsked:
        break;
    }
    if (m_askingClose)
        return;
    m_askingClose = true;
    // Answered later: the window stays until then, and a box closed without an
    // answer asks again next time.
    QPointer<VoxBench> window(this);
    MessageBox::ask(this, tr("Close VoxBench"),
                    tr("This desktop has no tray to bring VoxBench back from.\n\n"
                       "Keep VoxBench running in the background, so that its rules and the "
                       "receiver's settings after sleep go on? Starting VoxBench again shows "
                       "the window; \"voxbench background off\" changes this later."),
                    {tr("Keep running in the background"), tr("Quit")}, [window](int answer) {
                        if (!window)
                            return;
                        window->m_askingClose = false;
                        if (answer < 0)
                            return;
                        window->m_closeChoice->set(answer == kKeepRunningAnswer);
                        window->closeWithoutTray();
                    });
}

void VoxBench::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    setHiddenUntilShown(false);
    // The close button switched the spectrum reports off; whatever shows the
    // window again (tray icon, "Main Page", a second start) switches them back
    // on where the stereo tab streams them.
    if (m_model->pageWantsSpectrum() && !m_model->spectrumOn())
        m_model->switchSpectrum(true);
}

void VoxBench::on_PushButton_DefaultClose_Clicked()
{
    close();
}

void VoxBench::on_PushButton_Minimize_Clicked()
{
    showMinimized();
}

void VoxBench::on_PushButton_Close_Clicked()
{
    m_model->switchSpectrum(false);
    if (trayAvailable())
        hide();
    else
        close();
}

bool VoxBench::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverLeave:
    case QEvent::HoverMove: {
        Qt::CursorShape shape = Qt::ArrowCursor;
        for (const QPushButton *button :
             {ui.pushButton_DefaultClose, ui.pushButton_Close, ui.pushButton_Minimize}) {
            const QPoint at = button->parentWidget()->mapFromGlobal(QCursor::pos());
            if (button->geometry().contains(at)) {
                shape = Qt::PointingHandCursor;
                break;
            }
        }
        if (cursor().shape() != shape)
            setCursor(shape);
        break;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

void VoxBench::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->pos();
    const bool device = m_model->pageState() == PageState::Device;
    const int width = device ? kDevicePageDragWidth : kEmptyPageDragWidth;
    const int height = device ? kDevicePageDragHeight : kEmptyPageDragHeight;
    if (at.x() > 0 && at.x() < width && at.y() > 0 && at.y() < height) {
        m_dragging = true;
        m_movingByHand = false;
        m_dragOrigin = at;
    }
}

void VoxBench::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    const QPoint offset = event->pos() - m_dragOrigin;
    if (!m_movingByHand) {
        // A press that stays put is a click, not a drag.
        if (offset.manhattanLength() < QApplication::startDragDistance())
            return;
        // Wayland compositors (and GNOME for X clients) ignore a window that
        // moves itself; the window system moves it, and owns the pointer until
        // the button is released.
        if (windowHandle() && windowHandle()->startSystemMove()) {
            m_dragging = false;
            return;
        }
        m_movingByHand = true;
    }
    move(pos() + offset);
}

void VoxBench::mouseReleaseEvent(QMouseEvent *)
{
    m_dragging = false;
}
