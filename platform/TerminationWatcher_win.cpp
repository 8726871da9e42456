#include "platform/TerminationWatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>

TerminationWatcher::TerminationWatcher(QObject *parent) : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

// Windows has no termination signals to watch: the session's end comes as Quit.
TerminationWatcher::~TerminationWatcher() = default;

void TerminationWatcher::drainSignals() {}
