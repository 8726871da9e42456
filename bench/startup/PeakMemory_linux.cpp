#include "PeakMemory.h"

#include <QFile>

long long peakResidentKb()
{
    // For finding what costs: where the pages are at that moment.
    const QByteArray keep = qgetenv("VOXBENCH_BENCH_SMAPS");
    if (!keep.isEmpty()) {
        QFile smaps(QStringLiteral("/proc/self/smaps"));
        QFile copy(QString::fromLocal8Bit(keep));
        if (smaps.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly))
            copy.write(smaps.readAll());
    }
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}
