#include "app/WindowHost.h"

#include "app/VoxBenchInstance.h"
#include "window/TrayParts.h"
#include "window/VoxBench.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

WindowHost::WindowHost(VoxBenchInstance &instance, QObject *parent) : QObject(parent), m_instance(instance)
{
    VoxBenchInstance::FrontEnd frontEnd;
    frontEnd.show = [this] { show(); };
    frontEnd.shown = [this] { return m_window && m_window->isVisible(); };
    frontEnd.quit = [this] {
        if (!m_window)
            return false;
        m_window->on_ExitAppAction();
        return true;
    };
    m_instance.setFrontEnd(frontEnd);
}

WindowHost::~WindowHost()
{
    m_instance.setFrontEnd({});
    m_window.reset();
}

VoxBench &WindowHost::window()
{
    if (m_window)
        return *m_window;
    if (m_tray) {
        // Maybe in the middle of its own click.
        m_tray->hide();
        m_tray->deleteLater();
        m_tray = nullptr;
    }
    m_window = std::make_unique<VoxBench>(m_instance.model(), m_instance.ruleEngine());
    m_window->setCloseChoice(&m_instance.closeChoice());
    return *m_window;
}

void WindowHost::offerTray()
{
    if (m_window || m_tray || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_tray = new QSystemTrayIcon(TrayParts::icon(QIcon(QStringLiteral(":/VoxBench/pic/Icon.ico"))), this);
    TrayParts::followRuleInForce(m_tray, &m_instance.ruleEngine());
    // The window's menu, with the window built at "Main Page".
    auto *menu = new QMenu;
    connect(m_tray, &QObject::destroyed, menu, &QObject::deleteLater);
    connect(menu->addAction(VoxBench::tr("Main Page")), &QAction::triggered, this, &WindowHost::show);
    TrayParts::addLogonStartEntry(menu);
    menu->addSeparator();
    connect(menu->addAction(VoxBench::tr("Quit")), &QAction::triggered, &m_instance, &VoxBenchInstance::quit);
    m_tray->setContextMenu(menu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            show();
    });
    m_tray->show();
}

void WindowHost::show()
{
    VoxBench &shown = window();
    shown.setWindowState(shown.windowState() & ~Qt::WindowMinimized);
    shown.on_ShowMainAction();
    shown.raise();
    shown.activateWindow();
}
