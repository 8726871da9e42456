#include "platform/ProcessTable.h"

// Not followed on Windows yet: rules never take over there.
bool ProcessTable::list(std::vector<Listed> *processes)
{
    processes->clear();
    return false;
}

QString ProcessTable::executable(qint64)
{
    return QString();
}

std::optional<ProcessTable::Process> ProcessTable::read(qint64)
{
    return std::nullopt;
}

std::optional<quint64> ProcessTable::started(qint64)
{
    return std::nullopt;
}

qint64 ProcessTable::ageMs(quint64)
{
    return 0;
}
