#pragma once

#include "app/CommandLine.h"

#include <QString>

// Called at every start: the first start registers the program to start at
// log-on with " -autorun"; later starts refresh only an entry that is still
// there. Failures are ignored.
void registerAutorun(const QString &executablePath);

// `voxbench autostart [on|off]`: prints "on" or "off", or switches log-on start,
// directly on the entry (no running VoxBench needed). Returns the exit code.
int runAutostartCommand(int argc, char *argv[], const CommandLine::Autostart &command);
