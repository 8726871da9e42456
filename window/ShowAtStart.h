#pragma once

// Whether the main window is shown at start: written once by the window's
// initialisation, read once by start-up after the window is built.
void setShowAtStart(bool show);
bool showAtStart();
