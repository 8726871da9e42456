#pragma once

#include "app/VoxBenchInstance.h"
#include "app/WindowHost.h"

#include <QObject>

// The instance with its window host, as a start on a display runs them (the
// program, and the start-up bench measuring it): the host, and the window
// with it, goes first.
class HostedProgram : public QObject
{
public:
    HostedProgram() : host(instance) {}
    VoxBenchInstance instance;
    WindowHost host;
};
