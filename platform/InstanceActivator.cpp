#include "platform/InstanceActivator.h"

#include "platform/InstanceKeys.h"
#include "platform/InstanceLock.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>

#include <algorithm>

namespace {
// Time left of `timeoutMs` on `clock`, at least 1 ms.
int left(const QElapsedTimer &clock, int timeoutMs)
{
    return qMax(1, timeoutMs - int(clock.elapsed()));
}

// Reads one line within the time left; empty when none came.
QByteArray readLine(QLocalSocket &socket, const QElapsedTimer &clock, int timeoutMs)
{
    while (!socket.canReadLine()) {
        if (clock.elapsed() >= timeoutMs || !socket.waitForReadyRead(left(clock, timeoutMs)))
            break;
    }
    return socket.canReadLine() ? socket.readLine() : QByteArray();
}

// Connects to the running instance: the socket it recorded, then where it would be.
bool connectToRunning(QLocalSocket &socket, int timeoutMs)
{
    for (const QString &name : InstanceKeys::serverNames(InstanceLock::recordedServer())) {
        socket.connectToServer(name);
        // Where another account could have made a server of that name, its owner is checked.
        if (socket.waitForConnected(timeoutMs) && InstanceKeys::isOwnServer(socket))
            return true;
        socket.abort();
    }
    return false;
}
} // namespace

InstanceActivator::InstanceActivator(QObject *parent) : QObject(parent)
{
    m_relisten.setInterval(kRelistenMs);
    connect(&m_relisten, &QTimer::timeout, this, &InstanceActivator::checkListening);
}

// The sockets tell when they go: not to an object half destroyed.
InstanceActivator::~InstanceActivator()
{
    for (QLocalSocket *socket : findChildren<QLocalSocket *>())
        socket->disconnect(this);
    m_server.reset();
}

qint64 InstanceActivator::now()
{
    QElapsedTimer clock;
    clock.start();
    return clock.msecsSinceReference();
}

void InstanceActivator::Reply::operator()(const QByteArray &answer) const
{
    if (!m_socket || m_socket->state() != QLocalSocket::ConnectedState)
        return;
    m_socket->write(answer + '\n');
    endOnceWritten(m_socket);
}

// A named pipe writes in the background: the connection ends once the answer
// is out, not while Windows is still writing it.
void InstanceActivator::Reply::endOnceWritten(QLocalSocket *socket)
{
    socket->flush();
    if (socket->bytesToWrite() == 0) {
        socket->disconnectFromServer();
        return;
    }
    connect(socket, &QLocalSocket::bytesWritten, socket, [socket] {
        if (socket->bytesToWrite() == 0 && socket->state() == QLocalSocket::ConnectedState)
            socket->disconnectFromServer();
    });
}

bool InstanceActivator::Reply::stream(const QByteArray &line) const
{
    if (!m_socket || m_socket->state() != QLocalSocket::ConnectedState)
        return false;
    // What the client has not read yet stays in this process: bounded.
    if (m_socket->bytesToWrite() > kMaxStreamBacklog) {
        m_socket->abort();
        return false;
    }
    m_socket->write(line + '\n');
    return true;
}

void InstanceActivator::Reply::close() const
{
    if (!m_socket || m_socket->state() != QLocalSocket::ConnectedState)
        return;
    endOnceWritten(m_socket);
}

void InstanceActivator::Reply::whenGone(QObject *context, const std::function<void()> &gone) const
{
    if (!m_socket || m_socket->state() != QLocalSocket::ConnectedState) {
        QMetaObject::invokeMethod(context, gone, Qt::QueuedConnection);
        return;
    }
    // Queued: a stream cut off inside a send must not change the list being sent to.
    QObject::connect(m_socket, &QLocalSocket::disconnected, context, gone, Qt::QueuedConnection);
}

bool InstanceActivator::Reply::wanted() const
{
    return m_socket && m_socket->state() == QLocalSocket::ConnectedState &&
           (m_answerBy == 0 || now() <= m_answerBy);
}

// "<verb> <argument>"; a command's argument starts with its two deadlines when the
// client sent them (a JSON argument starts with "{").
void InstanceActivator::dispatch(const QByteArray &request, QLocalSocket *socket)
{
    const int blank = request.indexOf(' ');
    const QByteArray verb = blank < 0 ? request : request.left(blank);
    QByteArray argument = blank < 0 ? QByteArray() : request.mid(blank + 1);
    if (verb == kActivate) {
        const bool shown = m_activation && m_activation(QString::fromUtf8(argument));
        if (shown)
            emit activated();
        Reply(socket, 0)(shown ? "1" : "0");
        return;
    }
    if (verb == kHandover) {
        Reply(socket, 0)(m_handover && m_handover() ? "1" : "0");
        return;
    }
    if (verb != kCommand || !m_handler) {
        Reply(socket, 0)("error unknown request");
        return;
    }
    qint64 answerBy = 0;
    const QList<QByteArray> fields = argument.split(' ');
    bool timed = fields.size() > 2;
    const qint64 acceptBy = timed ? fields.at(0).toLongLong(&timed) : 0;
    if (timed)
        answerBy = fields.at(1).toLongLong(&timed);
    if (timed) {
        // The client has given up already: never run what nobody waits for.
        if (now() > acceptBy) {
            socket->abort();
            return;
        }
        argument = argument.mid(fields.at(0).size() + fields.at(1).size() + 2);
    }
    socket->write(QByteArray(kAccepted) + '\n');
    socket->flush();
    m_handler(argument, Reply(socket, timed ? answerBy : 0));
}

bool InstanceActivator::listen()
{
    m_name = InstanceKeys::serverName();
    if (m_name.isEmpty()) {
        qWarning("Cannot listen for a second start or commands: no private runtime folder");
        return false;
    }
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Called while holding the guard, so a socket left there belongs to a dead instance.
    QLocalServer::removeServer(m_name);
    if (!m_server->listen(m_name)) {
        qWarning("Cannot listen for a second start on %s: %s", qPrintable(m_name),
                 qPrintable(m_server->errorString()));
        m_server.reset();
        m_name.clear();
        return false;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &InstanceActivator::answer);
    return true;
}

// Listens again on a new server once there is room.
void InstanceActivator::checkListening()
{
    if (!stopped()) {
        m_relisten.stop();
        return;
    }
    qWarning("The instance socket stopped (%s); listening again", qPrintable(m_server->errorString()));
    // Closed first: closing later would remove the new server's socket of the same name.
    // Its connections go with it; their clients were cut off by the failure anyway.
    m_server->close();
    m_server.release()->deleteLater();
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_name);
    if (m_server->listen(m_name)) {
        connect(m_server.get(), &QLocalServer::newConnection, this, &InstanceActivator::answer);
        m_relisten.stop();
    } else {
        m_relisten.start();
    }
}

// Closes the oldest connection still without its line; false when there is none.
bool InstanceActivator::makeRoom()
{
    while (!m_waiting.empty() &&
           (!m_waiting.front() || m_waiting.front()->state() != QLocalSocket::ConnectedState))
        m_waiting.pop_front();
    if (m_waiting.empty())
        return false;
    QLocalSocket *oldest = m_waiting.front();
    m_waiting.pop_front();
    oldest->disconnect(this); // counted out now, not when it is deleted
    --m_open;
    Reply(oldest, 0)(kBusy);
    oldest->abort();
    oldest->deleteLater();
    return true;
}

void InstanceActivator::answer()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (m_open >= kMaxConnections && !makeRoom()) {
            Reply(socket, 0)(kBusy);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        serve(socket);
    }
}

// One request line in, one answer line out, then the connection ends.
void InstanceActivator::serve(QLocalSocket *socket)
{
    ++m_open;
    connect(socket, &QObject::destroyed, this, [this] {
        --m_open;
        if (stopped())
            m_relisten.start();
    });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    socket->setReadBufferSize(kMaxRequest + 1);
    // A client that sends nothing, or half a line, is let go after a while.
    auto *deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, [socket] {
        socket->disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
        Reply(socket, 0)("error request timed out");
    });
    deadline->start(kRequestTimeoutMs);
    m_waiting.emplace_back(socket);
    const auto readRequest = [this, socket, deadline] {
        if (!deadline->isActive()) {
            // After the line: nothing more is kept, and a client that goes on
            // sending is cut off (its request then is no longer wanted).
            if (socket->skip(kMaxRequest + 1) > kMaxRequest || socket->bytesAvailable() > 0)
                socket->abort();
            return;
        }
        const qint64 lineEnd = socket->peek(kMaxRequest + 1).indexOf('\n');
        if (lineEnd < 0 && socket->bytesAvailable() <= kMaxRequest)
            return;
        deadline->stop();
        m_waiting.erase(std::remove(m_waiting.begin(), m_waiting.end(), socket), m_waiting.end());
        if (lineEnd < 0) {
            socket->disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
            Reply(socket, 0)("error request too long");
            return;
        }
        const QByteArray request = socket->read(lineEnd + 1).chopped(1);
        dispatch(request, socket);
    };
    connect(socket, &QLocalSocket::readyRead, this, readRequest);
    // What came with the connection itself; dropped with the socket if it goes first.
    if (socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(socket, readRequest, Qt::QueuedConnection);
}

InstanceActivator::Exchange InstanceActivator::sendCommand(const QByteArray &argument, int acceptMs,
                                                           int answerMs, QByteArray *answer)
{
    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    if (!connectToRunning(socket, qMin(acceptMs, 1000)))
        return Exchange::NoInstance;
    const qint64 start = now();
    socket.write(QByteArray(kCommand) + ' ' + QByteArray::number(start + acceptMs) + ' ' +
                 QByteArray::number(start + answerMs) + ' ' + argument + '\n');
    QByteArray line = readLine(socket, clock, acceptMs);
    if (line.isEmpty())
        return Exchange::NotAnswering;
    if (line == QByteArray(kAccepted) + '\n')
        line = readLine(socket, clock, answerMs);
    if (line.isEmpty())
        return Exchange::NoAnswer;
    *answer = line.chopped(1);
    return Exchange::Answered;
}

InstanceActivator::Exchange
InstanceActivator::followCommand(const QByteArray &argument, int acceptMs,
                                 const std::function<bool(const QByteArray &line)> &line)
{
    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    if (!connectToRunning(socket, qMin(acceptMs, 1000)))
        return Exchange::NoInstance;
    // No answer deadline: a stream lasts as long as the program.
    socket.write(QByteArray(kCommand) + ' ' + QByteArray::number(now() + acceptMs) + " 0 " + argument + '\n');
    if (readLine(socket, clock, acceptMs) != QByteArray(kAccepted) + '\n')
        return Exchange::NotAnswering;
    for (;;) {
        while (!socket.canReadLine()) {
            if (socket.state() != QLocalSocket::ConnectedState || !socket.waitForReadyRead(-1)) {
                if (!socket.canReadLine())
                    return Exchange::Answered;
            }
        }
        if (!line(socket.readLine().chopped(1)))
            return Exchange::Answered;
    }
}

bool InstanceActivator::isRunning(int timeoutMs)
{
    QLocalSocket socket;
    return connectToRunning(socket, timeoutMs);
}

QString InstanceActivator::runningServerName()
{
    return InstanceKeys::serverNames(InstanceLock::recordedServer()).value(0);
}
bool InstanceActivator::askToActivate(const QString &title, int timeoutMs)
{
    return askYes(QByteArray(kActivate) + ' ' + title.toUtf8(), timeoutMs);
}

bool InstanceActivator::askToHandOver(int timeoutMs)
{
    return askYes(kHandover, timeoutMs);
}

bool InstanceActivator::askYes(const QByteArray &request, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    if (!connectToRunning(socket, timeoutMs))
        return false;
    socket.write(request + '\n');
    if (!socket.waitForBytesWritten(left(clock, timeoutMs)))
        return false;
    // The running instance answers once its event loop runs, which may be after
    // it has built its window.
    return readLine(socket, clock, timeoutMs) == "1\n";
}
