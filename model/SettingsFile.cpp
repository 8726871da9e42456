#include "model/SettingsFile.h"

#include "presets/ConfigFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
constexpr char kCopyName[] = "/copy.conf";
} // namespace

SettingsFile::SettingsFile(QString path) : m_path(std::move(path))
{
    const QString copy = m_copyFolder.path() + QLatin1String(kCopyName);
    const QFileInfo info(m_path);
    QByteArray bytes;
    if (!m_copyFolder.isValid()) {
        m_readProblem = QStringLiteral("no private temporary folder: %1").arg(m_copyFolder.errorString());
    } else if (info.exists() && info.isFile() && info.size() > kMaxBytes) {
        m_readProblem = QStringLiteral("larger than %1 bytes").arg(kMaxBytes);
    } else if (info.exists()) {
        const ConfigFile::Result read = ConfigFile::read(m_path, &bytes);
        if (!read.ok)
            m_readProblem = read.reason;
    }
    if (m_readProblem.isEmpty() && !bytes.isEmpty()) {
        QFile out(copy);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush())
            m_readProblem = out.errorString();
    }
    m_values = std::make_unique<QSettings>(copy, QSettings::IniFormat);
}

bool SettingsFile::save(QString *reason)
{
    m_values->sync();
    QFile copy(m_values->fileName());
    QByteArray bytes;
    QString problem;
    // What could not be read is not written over either: it may be more than we saw.
    if (!m_readProblem.isEmpty())
        problem = QStringLiteral("not read (%1), so left as it is").arg(m_readProblem);
    else if (!m_copyFolder.isValid() || m_values->status() != QSettings::NoError)
        problem = QStringLiteral("the settings could not be written out");
    else if (copy.exists() && !copy.open(QIODevice::ReadOnly))
        problem = copy.errorString();
    else if (copy.isOpen())
        bytes = copy.readAll();
    if (problem.isEmpty()) {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        const ConfigFile::Result saved = ConfigFile::save(m_path, bytes);
        if (!saved.ok)
            problem = saved.reason;
    }
    if (reason)
        *reason = problem;
    return problem.isEmpty();
}
