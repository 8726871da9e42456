#pragma once

// Whether the main window is shown at start: written once by the window's
// initialisation, read once by start-up after the window is built.
void setShowAtStart(bool show);
bool showAtStart();

// A start by a command: the window stays out of sight, a receiver turning up
// too, until something shows it once ("voxbench show", the tray, a second start).
void setHiddenUntilShown(bool hidden);
bool hiddenUntilShown();
