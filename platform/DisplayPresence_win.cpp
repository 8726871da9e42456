#include "platform/DisplayPresence.h"

bool displayAvailable()
{
    return true;
}
