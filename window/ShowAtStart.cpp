#include "window/ShowAtStart.h"

namespace {
bool g_showAtStart = true;
}

void setShowAtStart(bool show)
{
    g_showAtStart = show;
}

bool showAtStart()
{
    return g_showAtStart;
}
