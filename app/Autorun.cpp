#include "app/Autorun.h"

#include "platform/AutostartEntry.h"

#include <QFileInfo>

void registerAutorun(const QString &executablePath)
{
    AutostartEntry::write(QFileInfo(executablePath).completeBaseName(), executablePath,
                          QStringLiteral(" -autorun"));
}
