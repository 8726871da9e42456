#include "log/DebugLog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString &logPath()
{
    static QString path;
    return path;
}

QString baseName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

// The records hold ASCII; anything else becomes '?'.
QByteArray eightBit(const QString &text)
{
    return text.toLatin1();
}

void writeHeader(QFile &file, const char *marker)
{
    file.write("\t" + eightBit(baseName()) + " Log Text:\r\n\n");
    file.write(marker);
}
} // namespace

QString debugLogPath()
{
    return logPath();
}

void initDebugLog()
{
    QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/" + baseName();
    QDir().mkpath(path);
    path += "/debug.log";
    logPath() = path;

    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        qDebug().noquote() << "log文件创建失败!";
        return;
    }
    writeHeader(file, "**First Data!\r\n");
}

void writeDebugLog(const QString &tag, const QString &message, const QString &sourceFile,
                   const QString &function, int line)
{
    QFile file(logPath());
    if (logPath().isEmpty() || !file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        qDebug().noquote() << "log文件创建失败!";
        return;
    }
    const QByteArray record = eightBit(tag) + " : " + eightBit(message) + "\t\t(" + eightBit(sourceFile) +
                              " - " + eightBit(function) + " ... " + QByteArray::number(line) + ");\n";
    file.write(record);
    if (file.pos() >= kDebugLogLimit) {
        file.close();
        if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate))
            return;
        writeHeader(file, "**Next Data!\r\n");
    }
}
