#include "platform/SleepWatcher.h"

void SleepWatcher::prepareForSleep(bool sleeping)
{
    if (sleeping)
        emit aboutToSleep();
    else
        emit resumed();
}
