#pragma once

#include <QString>
#include <QStringList>

// Turns this process into `program` with `arguments` (program name not
// included), so that a start through the command-line client is the program's
// own start: same process, same output, same exit status. Returns only when
// `program` could not be run (Windows: when it has ended, with its exit code).
int handOverTo(const QString &program, const QStringList &arguments);

// Exit code when the program could not be run at all, as shells report it.
constexpr int kHandoverFailed = 127;
