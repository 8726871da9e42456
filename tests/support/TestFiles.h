#pragma once

// Files of the tests, read and written without the store: config.json has one writer here.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

inline QString documents()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

inline QString configPath()
{
    return documents() + QStringLiteral("/VoxBench/config.json");
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline bool writeConfig(const QByteArray &bytes)
{
    return writeFile(configPath(), bytes);
}
