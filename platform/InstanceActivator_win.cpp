#include "platform/InstanceActivator.h"

#include <qt_windows.h>

bool InstanceActivator::listen()
{
    return true;
}

bool InstanceActivator::activateRunning(const QString &title, int)
{
    HWND window = FindWindowW(nullptr, reinterpret_cast<LPCWSTR>(title.utf16()));
    if (!window)
        return false;
    SetActiveWindow(window);
    SetForegroundWindow(window);
    return true;
}

bool InstanceActivator::stopped() const
{
    return false;
}

void InstanceActivator::checkListening() {}

void InstanceActivator::answer() {}

void InstanceActivator::serve(QLocalSocket *) {}

// Commands need the running instance's socket, which Windows builds do not open yet.
InstanceActivator::Exchange InstanceActivator::sendCommand(const QByteArray &, int, int, QByteArray *)
{
    return Exchange::NoInstance;
}

InstanceActivator::Exchange InstanceActivator::followCommand(const QByteArray &, int,
                                                             const std::function<bool(const QByteArray &)> &)
{
    return Exchange::NoInstance;
}

bool InstanceActivator::isRunning(int)
{
    return false;
}

QString InstanceActivator::runningServerName()
{
    return QString();
}
