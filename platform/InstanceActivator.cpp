#include "platform/InstanceActivator.h"

#include "platform/InstanceKeys.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
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

void InstanceActivator::serve(QLocalSocket *) {}

void InstanceActivator::dispatch(const QByteArray &, const Reply &) {}

// Commands need the running instance's socket, which Windows builds do not open yet.
InstanceActivator::Exchange InstanceActivator::exchange(const QByteArray &, int, QByteArray *)
{
    return Exchange::NoInstance;
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

void InstanceActivator::dispatch(const QByteArray &request, const Reply &reply)
{
    const int blank = request.indexOf(' ');
    const QByteArray verb = blank < 0 ? request : request.left(blank);
    const QByteArray argument = blank < 0 ? QByteArray() : request.mid(blank + 1);
    if (verb == kActivate) {
        const bool shown = activateWindow(QString::fromUtf8(argument));
        if (shown)
            emit activated();
        reply(shown ? "1" : "0");
        return;
    }
    if (verb == kCommand && m_handler) {
        m_handler(argument, reply);
        return;
    }
    reply("error unknown request");
}

void InstanceActivator::answer()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection())
        serve(socket);
}

// One request line in, one answer line out, then the connection ends.
void InstanceActivator::serve(QLocalSocket *socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    const QPointer<QLocalSocket> guard(socket);
    const Reply reply = [guard](const QByteArray &answer) {
        if (!guard || guard->state() != QLocalSocket::ConnectedState)
            return;
        guard->write(answer + '\n');
        guard->flush();
        guard->disconnectFromServer();
    };
    // A client that sends nothing, or half a line, is let go after a while.
    auto *deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, [socket, reply] {
        socket->disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
        reply("error request timed out");
    });
    deadline->start(kRequestTimeoutMs);
    const auto readRequest = [this, socket, deadline, reply] {
        if (!deadline->isActive())
            return;
        const qint64 lineEnd = socket->peek(kMaxRequest + 1).indexOf('\n');
        if (lineEnd < 0 && socket->bytesAvailable() <= kMaxRequest)
            return;
        deadline->stop();
        // One request per connection: whatever else comes is not read.
        socket->disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
        if (lineEnd < 0) {
            reply("error request too long");
            return;
        }
        const QByteArray request = socket->read(lineEnd + 1).chopped(1);
        dispatch(request, reply);
    };
    connect(socket, &QLocalSocket::readyRead, this, readRequest);
    // What came with the connection itself; dropped with the socket if it goes first.
    if (socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(socket, readRequest, Qt::QueuedConnection);
}

InstanceActivator::Exchange InstanceActivator::exchange(const QByteArray &request, int timeoutMs,
                                                        QByteArray *answer)
{
    QElapsedTimer clock;
    clock.start();
    const auto left = [&] { return qMax(1, timeoutMs - int(clock.elapsed())); };
    const QString name = InstanceKeys::activationServerName();
    if (name.isEmpty())
        return Exchange::NoInstance;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(qMin(timeoutMs, 1000)))
        return Exchange::NoInstance;
    socket.write(request + '\n');
    if (!socket.waitForBytesWritten(left()))
        return Exchange::NoAnswer;
    while (!socket.canReadLine()) {
        if (clock.elapsed() >= timeoutMs || !socket.waitForReadyRead(left()))
            break;
    }
    if (!socket.canReadLine())
        return Exchange::NoAnswer;
    *answer = socket.readLine().chopped(1);
    return Exchange::Answered;
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
