#include "platform/SleepWatcher.h"

#include <QDebug>
#include <QPointer>

#include <windows.h>

namespace {
// Broadcasts reach top-level windows only (not message-only ones), hidden or not.
LRESULT CALLBACK powerMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_POWERBROADCAST) {
        auto *watcher = reinterpret_cast<SleepWatcher *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        // Windows sends PBT_APMRESUMESUSPEND as well when a person woke the machine,
        // but PBT_APMRESUMEAUTOMATIC at every resume: one re-apply, not two.
        if (watcher && (wParam == PBT_APMSUSPEND || wParam == PBT_APMRESUMEAUTOMATIC))
            QMetaObject::invokeMethod(watcher, "prepareForSleep", Qt::DirectConnection,
                                      Q_ARG(bool, wParam == PBT_APMSUSPEND));
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

SleepWatcher::SleepWatcher(QObject *parent) : QObject(parent)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = powerMessages;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass); // fails harmlessly when a second watcher registers it again
    const HWND window = CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                        instance, nullptr);
    if (!window) {
        qInfo().noquote() << "No power messages (error" << GetLastError()
                          << "): settings are not sent again after a resume";
        return;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_window = reinterpret_cast<quintptr>(window);
}

SleepWatcher::~SleepWatcher()
{
    if (m_window)
        DestroyWindow(reinterpret_cast<HWND>(m_window));
}
