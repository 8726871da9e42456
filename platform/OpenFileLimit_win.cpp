#include "platform/OpenFileLimit.h"

// Handles have no per-process soft limit to raise.
bool OpenFileLimit::raiseToHardLimit()
{
    return true;
}
