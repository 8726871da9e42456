#pragma once

// Before the application object: how the window follows the screen's scale.
// Windows: Qt scales by each monitor's DPI (the manifest declares per-monitor
// awareness v2), 150 % as 1.5, not rounded to 2. Linux: as the desktop says
// through QT_SCALE_FACTOR and the compositor; Qt's own guess from an X
// server's DPI would move the window off its pixel grid.
void prepareHighDpi();
