#include "model/CloseChoice.h"

#include "model/SettingsFile.h"

#include <QDebug>
#include <QStandardPaths>

namespace {
// Absent until the user has answered: its absence is what asks.
constexpr char kBackgroundKey[] = "window/keep-running-in-background";
} // namespace

QString CloseChoice::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/VoxBench/program.conf");
}

CloseChoice::CloseChoice(QString path, QObject *parent) : QObject(parent), m_path(std::move(path))
{
    SettingsFile settings(m_path);
    if (!settings.readProblem().isEmpty())
        qWarning().noquote() << "close choice not read from" << m_path << ":" << settings.readProblem();
    const QVariant kept = settings.values().value(kBackgroundKey);
    if (kept.isValid())
        m_choice = kept.toBool() ? Choice::KeepRunning : Choice::Quit;
}

bool CloseChoice::set(bool keepRunning)
{
    const Choice wanted = keepRunning ? Choice::KeepRunning : Choice::Quit;
    const bool changes = wanted != m_choice;
    m_choice = wanted;
    // Other keys of the file, written by later versions, stay as they are.
    SettingsFile settings(m_path);
    settings.values().setValue(kBackgroundKey, keepRunning);
    m_saveProblem.clear();
    const bool saved = settings.save(&m_saveProblem);
    if (!saved)
        qWarning().noquote() << "Cannot keep the close choice in" << m_path << ":" << m_saveProblem;
    if (changes)
        emit changed(keepRunning);
    return saved;
}
