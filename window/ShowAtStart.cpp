#include "window/ShowAtStart.h"

namespace {
bool g_showAtStart = true;
bool g_hiddenUntilShown = false;
} // namespace

void setHiddenUntilShown(bool hidden)
{
    g_hiddenUntilShown = hidden;
}

bool hiddenUntilShown()
{
    return g_hiddenUntilShown;
}

void setShowAtStart(bool show)
{
    g_showAtStart = show;
}

bool showAtStart()
{
    return g_showAtStart;
}
