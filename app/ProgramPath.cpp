#include "app/ProgramPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString guiProgramPath()
{
    const QDir here(QCoreApplication::applicationDirPath());
    const QString beside = here.filePath(QStringLiteral(VOXBENCH_GUI_NAME));
    if (QFileInfo(beside).isExecutable())
        return beside;
    const QString installed =
        QDir::cleanPath(here.filePath(QStringLiteral(VOXBENCH_GUI_FROM_CLIENT "/" VOXBENCH_GUI_NAME)));
    return QFileInfo(installed).isExecutable() ? installed : beside;
}
