#include "platform/InstanceActivator.h"

#include <QFileInfo>
#include <QLocalServer>

// QLocalServer closes for good when accept() fails (out of file descriptors): it
// still says it listens, but it has noted the error and removed its socket.
bool InstanceActivator::stopped() const
{
    return m_server &&
           (!m_server->isListening() || !m_server->errorString().isEmpty() || !QFileInfo::exists(m_name));
}

// The running instance shows its window when asked over its socket.
bool InstanceActivator::activateRunning(const QString &title, int timeoutMs)
{
    return askToActivate(title, timeoutMs);
}
