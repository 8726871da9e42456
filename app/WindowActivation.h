#pragma once

#include <QString>

// Shows, un-minimises, raises and activates the top-level window titled `title`,
// for a second start that asked the running instance. False when there is none.
bool activateTopLevelWindow(const QString &title);
