// Windows: the GUI thread's Sleep() calls are not interposed, so the designed
// waits are not measured there; -1 says so to whoever reads the figure.
#include "GuiSleepMeter.h"

long long guiThreadSleptNs()
{
    return -1;
}
