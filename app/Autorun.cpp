#include "app/Autorun.h"

#include "platform/AutostartEntry.h"
#include "platform/ProcessCommandLine.h"

#include <QFileInfo>

bool isAutorunLaunch()
{
    QStringList arguments;
    if (!ProcessCommandLine::read(&arguments))
        return false;
    return arguments.contains(QStringLiteral("-autorun"), Qt::CaseSensitive);
}

void registerAutorun(const QString &executablePath)
{
    AutostartEntry::write(QFileInfo(executablePath).completeBaseName(), executablePath,
                          QStringLiteral(" -autorun"));
}
