#pragma once

#include <QString>

// The VoxBench program (the window) that a command starts and that log-on
// starts: beside the running executable (the program itself, or the client in
// the build tree), else where the package puts it relative to the client.
// Needs a QCoreApplication.
QString guiProgramPath();
