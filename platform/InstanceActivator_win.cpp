#include "platform/InstanceActivator.h"

#include <QLocalServer>

#include <windows.h>

// A named pipe has no file that could vanish; a server that failed says so.
bool InstanceActivator::stopped() const
{
    return m_server && (!m_server->isListening() || !m_server->errorString().isEmpty());
}

// The running instance shows its window when asked over the pipe; the window is
// then brought to the front from here, where the person just started a program:
// Windows lets the foreground process hand the foreground on, not a background one.
bool InstanceActivator::activateRunning(const QString &title, int timeoutMs)
{
    const bool shown = askToActivate(title, timeoutMs);
    const HWND window = FindWindowW(nullptr, reinterpret_cast<LPCWSTR>(title.utf16()));
    if (!window)
        return shown;
    SetActiveWindow(window);
    SetForegroundWindow(window);
    return true;
}
