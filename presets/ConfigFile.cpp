#include "presets/ConfigFile.h"

#include "platform/FileSync.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace {
constexpr int kMaxLinks = 40; // as the kernel's own limit

bool &syncToDisk()
{
    static bool sync = true;
    return sync;
}

ConfigFile::Result failed(const QString &path, const QString &reason)
{
    return ConfigFile::Result{false, path, reason};
}
} // namespace

void ConfigFile::setSyncToDisk(bool sync)
{
    syncToDisk() = sync;
}

QString ConfigFile::target(const QString &path)
{
    QString current = path;
    for (int depth = 0; depth <= kMaxLinks; ++depth) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        current = info.symLinkTarget();
    }
    return QString();
}

ConfigFile::Result ConfigFile::save(const QString &path, const QByteArray &bytes)
{
    const QString file = target(path);
    if (file.isEmpty())
        return failed(path, QStringLiteral("too many symbolic links"));
    const QFileInfo info(file);
    if (info.exists() && !info.isFile())
        return failed(file, QStringLiteral("not a regular file, left as it is"));

    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return failed(file, out.errorString());
    // A small text stays in Qt's buffer until the flush, and QSaveFile::commit ignores a
    // flush that fails: a full disk must be caught here, before the rename.
    if (out.write(bytes) != bytes.size() || !out.flush() || out.error() != QFileDevice::NoError) {
        const QString reason = out.errorString();
        out.cancelWriting();
        return failed(file, reason);
    }
    if (syncToDisk() && !syncFileToDisk(out)) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        out.cancelWriting();
        return failed(file, reason);
    }
    if (!out.commit())
        return failed(file, out.errorString());
    return Result{true, file, QString()};
}

ConfigFile::Result ConfigFile::read(const QString &path, QByteArray *bytes)
{
    const QFileInfo info(path);
    if (!info.exists())
        return failed(path, QStringLiteral("missing"));
    if (!info.isFile())
        return failed(path, QStringLiteral("not a regular file"));
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return failed(path, in.errorString());
    *bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return failed(path, in.errorString());
    return Result{true, path, QString()};
}

QStringList ConfigFile::removeLeftovers(const QString &path)
{
    const QString file = target(path);
    if (file.isEmpty())
        return {};
    const QFileInfo info(file);
    // QSaveFile's temporary names: the file name, a dot and six letters or digits.
    const QRegularExpression ours('^' + QRegularExpression::escape(info.fileName()) + "\\.[A-Za-z0-9]{6}$");
    QStringList removed;
    const QDir folder = info.dir();
    for (const QFileInfo &entry :
         folder.entryInfoList({info.fileName() + ".*"}, QDir::Files | QDir::Hidden)) {
        if (!entry.isSymLink() && ours.match(entry.fileName()).hasMatch() && QFile::remove(entry.filePath()))
            removed << entry.filePath();
    }
    return removed;
}
