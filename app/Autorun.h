#pragma once

#include <QString>

// Registers the program to start at log-on with " -autorun"; failures are ignored.
void registerAutorun(const QString &executablePath);
