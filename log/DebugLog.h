#pragma once

#include <QString>

// The plain-text debug log in <Documents>/<executable base name>/debug.log.
// Recreated at every start of the first instance, cut back to its header at 10 MiB.

constexpr qint64 kDebugLogLimit = 0xA00000;

void initDebugLog();
void writeDebugLog(const QString &tag, const QString &message, const QString &sourceFile,
                   const QString &function, int line);

// Where the log lives; empty until initDebugLog has run.
QString debugLogPath();
