#include "platform/TerminationWatcher.h"

#include <QCoreApplication>
#include <QEvent>

bool TerminationWatcher::eventFilter(QObject *watched, QEvent *event)
{
    // The session manager asks the application to quit when the session ends.
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
        emit terminationRequested();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
