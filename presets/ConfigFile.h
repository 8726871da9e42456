#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// config.json on disk: saved whole or not at all, and read without blocking on
// whatever its name points to.
class ConfigFile
{
public:
    struct Result
    {
        bool ok = false;
        QString path;   // the file written or read: the name with its links followed
        QString reason; // why not, when not ok
    };

    // Writes a temporary file beside the target, checks every write, the flush and the
    // sync, then renames it over the target and syncs the folder. A link to a regular file is followed and
    // that file replaced in its own folder; what is not a regular file is never replaced.
    // On failure the old file stays as it was.
    static Result save(const QString &path, const QByteArray &bytes);

    // Reads a regular file, following links; anything else (a FIFO) is not opened.
    static Result read(const QString &path, QByteArray *bytes);

    // `path` with its symbolic links followed; empty for a loop of links.
    static QString target(const QString &path);

    // Removes the temporary files (".config.json.voxbench-save-XXXXXX") that an
    // interrupted save left beside the target; returns their paths. Nothing else is
    // touched: a name of that shape is ours, and only one instance runs, so none of
    // them is being written.
    static QStringList removeLeftovers(const QString &path);

    // The start of the temporary file's name while `fileName` is being saved.
    static QString temporaryPrefix(const QString &fileName);

    // Off only for the fuzz harness, which saves thousands of times a second to a
    // memory file system.
    static void setSyncToDisk(bool sync);
};
