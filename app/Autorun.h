#pragma once

#include <QString>

// True if any argument of the whole process command line is exactly "-autorun".
bool isAutorunLaunch();

// Registers the program to start at log-on with " -autorun"; failures are ignored.
void registerAutorun(const QString &executablePath);
