#pragma once

#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// One of VoxBench's small settings files beside config.json (rules.conf,
// receivers.conf), handled as config.json is: read only when it is a regular
// file of a sensible size (a FIFO would hold the program for good), and saved
// whole through ConfigFile::save, which never writes into what is not a
// regular file. QSettings reads and writes a private copy.
class SettingsFile
{
public:
    // Far more than any settings file of ours holds.
    static constexpr qint64 kMaxBytes = 1 << 20;

    explicit SettingsFile(QString path);

    QSettings &values() { return *m_values; }
    // Why the file was not read; empty when it was, or is not there yet.
    const QString &readProblem() const { return m_readProblem; }
    // Writes the values to the file; false, with the reason, when they did not
    // get there (also when the file could not be read: it is left as it is).
    bool save(QString *reason = nullptr);

private:
    const QString m_path;
    QTemporaryDir m_copyFolder;
    std::unique_ptr<QSettings> m_values;
    QString m_readProblem;
};
