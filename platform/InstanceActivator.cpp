#include "platform/InstanceActivator.h"

#include "platform/InstanceKeys.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

InstanceActivator::InstanceActivator(QObject *parent) : QObject(parent) {}

InstanceActivator::~InstanceActivator() = default;

bool InstanceActivator::activateWindow(const QString &title)
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets) {
        if (widget->isWindow() && widget->windowTitle() == title) {
            widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
            widget->show();
            widget->raise();
            widget->activateWindow();
            return true;
        }
    }
    return false;
}

#ifdef Q_OS_WIN
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

void InstanceActivator::answer() {}

QByteArray InstanceActivator::reply(const QByteArray &)
{
    return QByteArray();
}
#else
bool InstanceActivator::listen()
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = InstanceKeys::activationServerName();
    // Called while holding the guard, so a socket left there belongs to a dead instance.
    QLocalServer::removeServer(name);
    if (!m_server->listen(name)) {
        qWarning("Cannot listen for a second start on %s: %s", qPrintable(name),
                 qPrintable(m_server->errorString()));
        m_server.reset();
        return false;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &InstanceActivator::answer);
    return true;
}

// One request line in, one answer line out, then the connection ends.
QByteArray InstanceActivator::reply(const QByteArray &request)
{
    const int blank = request.indexOf(' ');
    const QByteArray verb = blank < 0 ? request : request.left(blank);
    const QByteArray argument = blank < 0 ? QByteArray() : request.mid(blank + 1);
    if (verb == kActivate) {
        const bool shown = activateWindow(QString::fromUtf8(argument));
        if (shown)
            emit activated();
        return shown ? "1" : "0";
    }
    return "error unknown request";
}

void InstanceActivator::answer()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequest)
                    socket->abort();
                return;
            }
            const QByteArray request = socket->readLine().chopped(1);
            socket->write(reply(request) + '\n');
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

bool InstanceActivator::activateRunning(const QString &title, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    const auto left = [&] { return qMax(1, timeoutMs - int(clock.elapsed())); };

    QLocalSocket socket;
    socket.connectToServer(InstanceKeys::activationServerName());
    if (!socket.waitForConnected(left()))
        return false;
    socket.write(QByteArray(kActivate) + ' ' + title.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(left()))
        return false;
    // The running instance answers once its event loop runs, which may be after
    // it has built its window.
    while (!socket.canReadLine()) {
        if (clock.elapsed() >= timeoutMs || !socket.waitForReadyRead(left()))
            break;
    }
    return socket.canReadLine() && socket.readLine() == "1\n";
}
#endif
