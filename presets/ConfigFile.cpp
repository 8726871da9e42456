#include "presets/ConfigFile.h"

#include "platform/FileSync.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {
constexpr int kMaxLinks = 40; // as the kernel's own limit
// Marks a save's temporary file: a hidden name nobody gives a copy by hand.
constexpr char kTemporaryMark[] = ".voxbench-save-";
constexpr int kTemporaryLetters = 6; // what QTemporaryFile puts in place of "XXXXXX"

// A temporary file of a save of `fileName` or of a copy kept aside beside it
// (config.json.bad-…): "." + fileName + optionally "." and more + the mark +
// six letters or digits. Compared by hand rather than with a regular
// expression: this runs at every start, and the library that matches them
// would be loaded for this alone.
bool isLeftoverOf(const QString &name, const QString &fileName)
{
    const QString head = QLatin1Char('.') + fileName;
    const QLatin1String mark(kTemporaryMark);
    const int markAt = name.size() - kTemporaryLetters - mark.size();
    if (markAt < head.size() || !name.startsWith(head) || name.midRef(markAt, mark.size()) != mark)
        return false;
    for (const QChar c : name.rightRef(kTemporaryLetters)) {
        const char16_t u = c.unicode();
        if (!((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')))
            return false;
    }
    const QStringRef middle = name.midRef(head.size(), markAt - head.size());
    return middle.isEmpty() || (middle.size() > 1 && middle.startsWith(QLatin1Char('.')));
}

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
    // A file the user made read-only stays as it is, though its folder would let
    // a rename replace it.
    if (info.exists() && !info.isWritable())
        return failed(file, QStringLiteral("Existing file %1 is not writable").arg(file));

    // A name of our own, so that the leftover of a kill can be told from a copy the
    // user made (config.json.backup, config.json.orig01 …).
    const QString folder = info.absolutePath();
    QString written;
    {
        QTemporaryFile out(folder + '/' + temporaryPrefix(info.fileName()) + QStringLiteral("XXXXXX"));
        if (!out.open())
            return failed(file, out.errorString());
        const bool moded = info.exists() ? out.setPermissions(info.permissions()) : giveNewFileMode(out);
        // A small text stays in Qt's buffer until the flush: a full disk must be caught
        // here, before the rename.
        if (!moded || out.write(bytes) != bytes.size() || !out.flush() || out.error() != QFileDevice::NoError)
            return failed(file, out.errorString());
        if (syncToDisk() && !syncFileToDisk(out))
            return failed(file, lastFileError());
        out.setAutoRemove(false);
        written = out.fileName();
    } // Only its end lets go of the file: on Windows close() keeps it open, and locked.
    if (!replaceFile(written, file)) {
        const QString why = lastFileError();
        QFile::remove(written);
        return failed(file, why);
    }
    // The rename is on disk only once the folder is: without this a power cut can
    // bring back the old file, or none.
    if (syncToDisk())
        syncFolderToDisk(folder);
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

QString ConfigFile::temporaryPrefix(const QString &fileName)
{
    return '.' + fileName + QLatin1String(kTemporaryMark);
}

QStringList ConfigFile::removeLeftovers(const QString &path)
{
    const QString file = target(path);
    if (file.isEmpty())
        return {};
    const QFileInfo info(file);
    QStringList removed;
    const QDir folder = info.dir();
    for (const QFileInfo &entry : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!entry.isSymLink() && isLeftoverOf(entry.fileName(), info.fileName()) &&
            QFile::remove(entry.filePath()))
            removed << entry.filePath();
    }
    return removed;
}
