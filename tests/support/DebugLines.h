#pragma once

// Collects the debug output of the device link (from any thread) while alive.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <mutex>

class DebugLines
{
public:
    DebugLines()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&DebugLines::handle);
    }
    ~DebugLines()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }

    QStringList lines() const
    {
        std::lock_guard<std::mutex> locker(m_lock);
        return m_lines;
    }
    int count(const QString &line) const { return lines().count(line); }
    int countStartingWith(const QString &prefix) const
    {
        int n = 0;
        for (const QString &line : lines())
            n += line.startsWith(prefix) ? 1 : 0;
        return n;
    }
    void clear()
    {
        std::lock_guard<std::mutex> locker(m_lock);
        m_lines.clear();
    }

private:
    static void handle(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        if (DebugLines *self = s_current) {
            std::lock_guard<std::mutex> locker(self->m_lock);
            self->m_lines.append(message);
        }
    }

    static inline DebugLines *s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
    mutable std::mutex m_lock; // not QMutex: ThreadSanitizer must see it
    QStringList m_lines;
};
