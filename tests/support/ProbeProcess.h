#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <memory>

// One started program whose stdout is read line by line.
class ProbeProcess
{
public:
    explicit ProbeProcess(const QString &program, const QStringList &arguments = {},
                          const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
        : m_process(std::make_unique<QProcess>())
    {
        m_process->setProcessEnvironment(environment);
        m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process->start(program, arguments);
    }

    ~ProbeProcess()
    {
        if (m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }

    QProcess &process() { return *m_process; }
    qint64 pid() const { return m_process->processId(); }

    // Waits for a line that starts with `prefix`; returns it, or an empty string.
    QString waitForLine(const QString &prefix, int timeoutMs = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            while (m_process->canReadLine()) {
                const QString line = QString::fromUtf8(m_process->readLine()).trimmed();
                m_lines << line;
                if (line.startsWith(prefix))
                    return line;
            }
            const int left = timeoutMs - int(clock.elapsed());
            if (left <= 0)
                return QString();
            if (!m_process->waitForReadyRead(left) && m_process->state() == QProcess::NotRunning &&
                !m_process->canReadLine())
                return QString();
        }
    }

    // Every line read so far and whatever is left.
    QStringList lines()
    {
        while (m_process->canReadLine())
            m_lines << QString::fromUtf8(m_process->readLine()).trimmed();
        return m_lines;
    }

    bool finished(int timeoutMs = 10000)
    {
        return m_process->state() == QProcess::NotRunning || m_process->waitForFinished(timeoutMs);
    }

    // The exit code as the program returned it (-1 arrives as 255).
    int exitCode() const { return qint8(m_process->exitCode()); }
    bool exitedNormally() const { return m_process->exitStatus() == QProcess::NormalExit; }

private:
    std::unique_ptr<QProcess> m_process;
    QStringList m_lines;
};
