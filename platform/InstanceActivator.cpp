#include "platform/InstanceActivator.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>

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
    m_socket->flush();
    m_socket->disconnectFromServer();
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
    m_socket->flush();
    m_socket->disconnectFromServer();
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
