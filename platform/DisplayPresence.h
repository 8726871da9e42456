#pragma once

// Whether this start can show a window at all. Linux: an X11 or Wayland display
// is named (DISPLAY, WAYLAND_DISPLAY), or QT_QPA_PLATFORM names a platform that
// draws without one (offscreen, minimal). Started from ssh, cron or a user
// service there is none, and VoxBench runs without widgets. Windows: always.
bool displayAvailable();
