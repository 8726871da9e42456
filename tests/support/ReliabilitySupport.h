#pragma once

// Measurements shared by the reliability tests: event-loop stalls, the
// process's threads and resident memory, and checks of config.json.

#include "DiskSyncMeter.h"
#include "TestFiles.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QObject>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QtGlobal>

namespace reliability {

// The longest gap between two runs of a 1-ms timer on the GUI thread, less the
// millisecond itself: how long the event loop was kept from its events. Left
// out, and shown apart: the time the thread was ready to run while other
// processes had the cores (its run-queue wait in /proc/thread-self/schedstat),
// and the time the disk took to sync config.json, which other processes'
// writes to the same disk stretch.
class StallMonitor : public QObject
{
public:
    StallMonitor()
    {
        m_schedstat.setFileName(QStringLiteral("/proc/thread-self/schedstat"));
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            const qint64 waited = runQueueWaitNs() + guiThreadDiskSyncNs();
            if (m_last >= 0) {
                m_longestWall = qMax(m_longestWall, now - m_last);
                m_longest = qMax(m_longest, now - m_last - (waited - m_lastWaited));
            }
            m_last = now;
            m_lastWaited = waited;
        });
    }
    void start()
    {
        m_syncedFrom = guiThreadDiskSyncNs();
        m_longest = 0;
        m_longestWall = 0;
        m_last = -1;
        if (!m_schedstat.isOpen())
            m_schedstat.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        m_clock.start();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    double longestStallMs() const { return qMax<qint64>(0, m_longest - 1000000) / 1e6; }
    double longestWallStallMs() const { return qMax<qint64>(0, m_longestWall - 1000000) / 1e6; }
    double diskSyncMs() const { return (guiThreadDiskSyncNs() - m_syncedFrom) / 1e6; }

private:
    qint64 runQueueWaitNs()
    {
        if (!m_schedstat.isOpen() || !m_schedstat.seek(0))
            return 0;
        return m_schedstat.read(64).split(' ').value(1).toLongLong();
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    QFile m_schedstat;
    qint64 m_last = -1;
    qint64 m_lastWaited = 0;
    qint64 m_longest = 0;
    qint64 m_longestWall = 0;
    qint64 m_syncedFrom = 0;
};

// The program has no designed wait on the GUI thread: the settle after a
// spectrum switch (10 ms) and the pause for a new identity (50 ms) are timer
// steps of the receiver session, so any such wait coming back fails here. The
// first show of the device page and of each tab stays within one frame
// because their widgets and plots are made ready while the program is idle
// (FirstShowWarmup).
// Sanitizer builds run several times slower, so the limit can be raised from outside.
inline double stallLimitMs()
{
    const int limit = qEnvironmentVariableIntValue("VOXBENCH_STALL_LIMIT_MS");
    return limit > 0 ? limit : 16;
}

// Whole hot-plug cycles also join the read thread at each removal (at most one
// 50-ms read time-out) and include the test's own waits.
inline double cycleStallLimitMs()
{
    return qMax(stallLimitMs(), 150.0);
}

inline int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// A joined QThread has finished, but its kernel task may take a moment longer to go.
inline int settledThreadCount(int atMost, int timeoutMs = 500)
{
    QElapsedTimer clock;
    clock.start();
    int count = threadCount();
    while (count > atMost && clock.elapsed() < timeoutMs) {
        QThread::msleep(2);
        count = threadCount();
    }
    return count;
}

inline QString threadNames()
{
    QStringList names;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly))
            names.append(QString::fromUtf8(comm.readAll().trimmed()));
    }
    return names.join(QStringLiteral(", "));
}

// Resident set size and its peak, in kB, from /proc/self/status.
inline qint64 statusKb(const char *field)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

inline qint64 rssKb()
{
    return statusKb("VmRSS:");
}

inline qint64 peakRssKb()
{
    return statusKb("VmHWM:");
}

// config.json as the store writes it: one object with the two arrays.
struct ConfigCheck
{
    bool valid = false;
    int currentModes = 0;
    int customRecords = 0;
    int customModes = 0;
};

inline ConfigCheck checkConfig(const QByteArray &bytes)
{
    ConfigCheck check;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return check;
    const QJsonObject root = document.object();
    if (!root.value("currentMode").isArray() || !root.value("customizeMode").isArray())
        return check;
    check.valid = bytes.endsWith("\r\n") && !bytes.contains("\n\n");
    check.currentModes = root.value("currentMode").toArray().size();
    const QJsonArray records = root.value("customizeMode").toArray();
    check.customRecords = records.size();
    for (const QJsonValue &record : records)
        check.customModes += record.toObject().value("modes").toArray().size();
    return check;
}

} // namespace reliability
