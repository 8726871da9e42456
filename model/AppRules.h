#pragma once

#include "presets/ModeType.h"

#include <QObject>
#include <QString>
#include <vector>

// "While APPLICATION runs, use MODE on TAB": the user's rules, kept in
// VoxBench's own settings file (config.json stays as other tools read it),
// for whichever receiver is attached.
class AppRules : public QObject
{
    Q_OBJECT
public:
    struct Rule
    {
        QString application; // as the user wrote it, without folders
        QString mode;
        ModeType tab = Stereo;
    };

    // A person writes a few dozen; more would cost every poll and the start.
    static constexpr int kMaxRules = 200;

    // The rules file in the user's configuration folder.
    static QString defaultPath();
    // How an application name is compared: without case, without ".exe".
    static QString key(const QString &application);

    explicit AppRules(QString path = defaultPath(), QObject *parent = nullptr);

    const std::vector<Rule> &rules() const { return m_rules; }
    // The rule for that application, or nullptr.
    const Rule *find(const QString &application) const;
    bool paused() const { return m_paused; }

    // Whether add() would take a rule for `application` (not more than kMaxRules).
    bool hasRoomFor(const QString &application) const;
    // Adds the rule, or replaces the one for the same application. False
    // when the file could not be written (the change is kept for this run).
    bool add(const Rule &rule);
    // False when there was no rule for the application.
    bool remove(const QString &application);
    bool setPaused(bool paused);
    // Whether the last write reached the file, and why not.
    bool saved() const { return m_saved; }
    const QString &saveProblem() const { return m_saveProblem; }

signals:
    void changed();

private:
    void load();
    bool save();

    const QString m_path;
    std::vector<Rule> m_rules;
    bool m_paused = false;
    bool m_saved = true;
    QString m_saveProblem;
};
