#pragma once

#include "model/AppRules.h"
#include "model/Pages.h"
#include "model/ReceiverModel.h"
#include "platform/ProcessTable.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <optional>
#include <unordered_map>
#include <vector>

// Puts the rules to work: while an application of a rule runs, the rule's mode
// is chosen on its tab; when the last such process ends, what was chosen
// before comes back, unless the user chose a mode by hand meanwhile. The
// process started last wins. No rules, or paused: nothing is watched at all.
class RuleEngine : public QObject
{
    Q_OBJECT
public:
    // New processes are looked for this often; a start or an end is seen
    // within two of these at most.
    static constexpr int kPollMs = 1000;
    // A process is looked at again while it is this young: a launcher often
    // becomes the game by exec() a moment after it started.
    static constexpr qint64 kYoungMs = 5000;
    // An older process of the user is asked for its executable once in this
    // many polls (staggered by id), so that a launcher that becomes the game
    // by a late exec() is seen: with 2,000 processes, 500 reads a second.
    static constexpr int kExecCheckPolls = 4;

    RuleEngine(ReceiverModel &model, AppRules &rules, QObject *parent = nullptr);

    // The rule in force, if any.
    const AppRules::Rule *inForce() const;
    // Whether processes are being followed now.
    bool watching() const { return m_poll.isActive(); }

signals:
    // The rule in force changed (took over, let go, or another one won).
    void inForceChanged();

public slots:
    // Looks at the processes now rather than at the next poll.
    void poll();

private:
    struct Running
    {
        qint64 pid;
        quint64 started;
        QString application; // the rule's key
    };
    struct Seen
    {
        quint64 generation = 0; // the poll that last listed it
        // One of the user's processes that matched no rule, started this
        // long ago: looked at again while young.
        bool young = false;
        quint64 started = 0;
        quint64 instance = 0; // ProcessTable::Listed::instance: a new value is a new process
        QString executable;   // for the user's processes that matched no rule
    };
    struct Before
    {
        Page page;
        std::array<ReceiverModel::Selection, 2> selections;
    };

    void rulesChanged();
    void look(qint64 pid, Seen &seen);
    void settle();
    void apply(const AppRules::Rule &rule);
    void letGo();
    void selectionChanged(ModeType type);
    void attached();

    ReceiverModel &m_model;
    AppRules &m_rules;
    QTimer m_poll;
    quint64 m_generation = 0;
    std::unordered_map<qint64, Seen> m_seen;
    std::vector<Running> m_running;
    QString m_inForce; // the key of the rule in force
    std::optional<Before> m_before;
    std::array<bool, 2> m_changedTab{};
    bool m_userWon = false;
    bool m_applying = false;
    bool m_attaching = false;
    bool m_reapply = false;
    // When the process of the rule in force started.
    quint64 m_topStarted = 0;
    // The rules whose missing mode was logged, for the current attachment.
    QStringList m_missingLogged;
};
