#include "window/UserFolder.h"

#include "ui/MessageBox.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

bool checkUserFolder(int productId)
{
    qDebug().noquote() << QString::asprintf("pid 0x%x", unsigned(productId));
    const QString baseName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/" + baseName + "/UserFile";
    QDir().mkpath(folder);
    const QFileInfo info(folder);
    if (info.isDir() && info.isReadable() && info.isWritable())
        return true;
    qDebug() << "没有执行权限!";
    MessageBox::warning(nullptr, QCoreApplication::translate("UserFolder", "warning"),
                        QCoreApplication::translate("UserFolder", "No Execution Permission!"));
    return false;
}
