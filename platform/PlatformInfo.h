#pragma once

#include <QString>

// Names the platform the program was built for, for the debug output.
QString platformName();
