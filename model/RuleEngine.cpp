#include "model/RuleEngine.h"

#include "model/ModeNames.h"

#include <QDebug>
#include <algorithm>

RuleEngine::RuleEngine(ReceiverModel &model, AppRules &rules, QObject *parent)
    : QObject(parent), m_model(model), m_rules(rules)
{
    m_poll.setInterval(kPollMs);
    // Whole seconds are precise enough, and let the system batch the wake-ups.
    m_poll.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_poll, &QTimer::timeout, this, &RuleEngine::poll);
    connect(&m_rules, &AppRules::changed, this, &RuleEngine::rulesChanged);
    connect(&m_model, &ReceiverModel::selectionChanged, this, &RuleEngine::selectionChanged);
    connect(&m_model, &ReceiverModel::pageStateChanged, this, [this](PageState state) {
        if (state != PageState::Device)
            return;
        // The model restores the receiver's remembered modes first; the rule
        // comes after that, once the attachment's own choices are made.
        m_attaching = true;
        m_missingLogged.clear();
        QMetaObject::invokeMethod(this, &RuleEngine::attached, Qt::QueuedConnection);
    });
    rulesChanged();
}

const AppRules::Rule *RuleEngine::inForce() const
{
    return m_inForce.isEmpty() ? nullptr : m_rules.find(m_inForce);
}

void RuleEngine::rulesChanged()
{
    // Which processes match may have changed with the rules: all are looked at again.
    m_seen.clear();
    m_running.clear();
    if (m_rules.rules().empty() || m_rules.paused()) {
        m_poll.stop();
        settle();
        return;
    }
    if (!m_poll.isActive()) {
        qInfo() << "following applications for" << m_rules.rules().size() << "rules";
        m_poll.start();
    }
    poll();
}

void RuleEngine::poll()
{
    if (!m_poll.isActive())
        return;
    std::vector<ProcessTable::Listed> listed;
    ProcessTable::list(&listed);
    ++m_generation;
    for (const ProcessTable::Listed &process : listed) {
        const qint64 pid = process.pid;
        auto [entry, isNew] = m_seen.try_emplace(pid);
        Seen &seen = entry->second;
        // The id of a process that ended, now another's: every entry is compared,
        // not only those that matched a rule.
        if (!isNew && seen.instance != process.instance) {
            seen = Seen();
            isNew = true;
            m_running.erase(std::remove_if(m_running.begin(), m_running.end(),
                                           [pid](const Running &running) { return running.pid == pid; }),
                            m_running.end());
        }
        seen.instance = process.instance;
        seen.generation = m_generation;
        if (isNew || (seen.young && ProcessTable::ageMs(seen.started) < kYoungMs)) {
            look(pid, seen);
            continue;
        }
        seen.young = false;
        // A launcher that exec()s the game later than young: its executable changed.
        if (!seen.executable.isEmpty() && pid % kExecCheckPolls == qint64(m_generation % kExecCheckPolls) &&
            ProcessTable::executable(pid) != seen.executable)
            look(pid, seen);
    }
    // Gone since: forgotten, so that a later process with the same id is looked at.
    for (auto it = m_seen.begin(); it != m_seen.end();)
        it = it->second.generation == m_generation ? std::next(it) : m_seen.erase(it);
    // Ended, or its id now belongs to a later process.
    m_running.erase(std::remove_if(m_running.begin(), m_running.end(),
                                   [this](const Running &running) {
                                       return !m_seen.count(running.pid) ||
                                              ProcessTable::started(running.pid) != running.started;
                                   }),
                    m_running.end());
    settle();
}

void RuleEngine::look(qint64 pid, Seen &seen)
{
    seen.young = false;
    seen.executable.clear();
    const std::optional<ProcessTable::Process> process = ProcessTable::read(pid);
    if (!process)
        return;
    for (const AppRules::Rule &rule : m_rules.rules()) {
        const QString wanted = AppRules::key(rule.application);
        for (const QString &name : process->names) {
            if (AppRules::key(name) == wanted) {
                m_running.push_back({pid, process->started, wanted});
                return;
            }
        }
    }
    seen.started = process->started;
    seen.young = ProcessTable::ageMs(process->started) < kYoungMs;
    seen.executable = process->executable;
}

void RuleEngine::settle()
{
    // The process started last first; a rule whose mode this receiver lacks is passed over.
    std::vector<const Running *> candidates;
    for (const Running &running : m_running)
        candidates.push_back(&running);
    std::sort(candidates.begin(), candidates.end(), [](const Running *a, const Running *b) {
        return std::make_pair(a->started, a->pid) > std::make_pair(b->started, b->pid);
    });
    const AppRules::Rule *next = nullptr;
    const Running *nextRunning = nullptr;
    for (const Running *running : candidates) {
        const AppRules::Rule *rule = m_rules.find(running->application);
        if (!rule)
            continue;
        if (m_model.attached() && ModeNames::find(m_model, rule->tab, rule->mode).empty()) {
            if (!m_missingLogged.contains(running->application)) {
                m_missingLogged << running->application;
                qInfo().noquote() << "rule for" << rule->application << "skipped: this receiver has no mode"
                                  << rule->mode << "on the" << (rule->tab == Surround ? "surround" : "stereo")
                                  << "tab";
            }
            continue;
        }
        next = rule;
        nextRunning = running;
        break;
    }

    if (!next) {
        if (m_inForce.isEmpty())
            return;
        if (const AppRules::Rule *rule = inForce())
            qInfo().noquote() << "rule for" << rule->application << "lets go";
        letGo();
        m_inForce.clear();
        m_topStarted = 0;
        emit inForceChanged();
        return;
    }
    const QString key = AppRules::key(next->application);
    // A later start than the one in force is a new take-over; an earlier one
    // applies again because the later one ended.
    const bool newStart = nextRunning->started > m_topStarted || m_inForce.isEmpty();
    if (key == m_inForce && !m_reapply)
        return;
    if (m_inForce.isEmpty()) {
        m_before.reset();
        m_changedTab = {};
    }
    if (newStart)
        m_userWon = false;
    m_topStarted = nextRunning->started;
    const bool changed = key != m_inForce;
    m_inForce = key;
    if (!m_userWon)
        apply(*next);
    if (changed) {
        qInfo().noquote() << "rule for" << next->application << "takes over:" << next->mode;
        emit inForceChanged();
    }
}

void RuleEngine::apply(const AppRules::Rule &rule)
{
    if (!m_model.attached())
        return;
    const std::vector<ModeNames::Entry> found = ModeNames::find(m_model, rule.tab, rule.mode);
    if (found.empty())
        return;
    const ModeNames::Entry &mode = found.front();
    // What comes back at the end: the receiver's choices before the first
    // take-over it saw (a game already running when it is plugged in finds
    // the receiver's own remembered modes).
    if (!m_before)
        m_before = Before{m_model.page(), {m_model.selection(Surround), m_model.selection(Stereo)}};
    m_applying = true;
    const Page page = Pages::pageOf(rule.tab);
    bool onPage = m_model.page() == page;
    if (!onPage) {
        const ReceiverModel::Outcome outcome = m_model.selectPage(page);
        onPage = outcome.ok();
        if (!onPage)
            qInfo().noquote() << "rule for" << rule.application << "not applied:" << outcome.message;
    }
    if (onPage && !ModeNames::isSelected(m_model, mode))
        ModeNames::select(m_model, mode);
    m_changedTab[rule.tab] = m_changedTab[rule.tab] || onPage;
    m_applying = false;
}

void RuleEngine::letGo()
{
    const std::optional<Before> before = std::exchange(m_before, std::nullopt);
    if (m_userWon || !before || !m_model.attached())
        return;
    m_applying = true;
    for (const ModeType type : {Surround, Stereo}) {
        const ReceiverModel::Selection &selection = before->selections[type];
        if (!m_changedTab[type] || !selection.chosen)
            continue;
        const bool builtIn = selection.origin == ModeOrigin::BuiltIn;
        const ModeNames::Entry entry{type, builtIn, builtIn ? selection.preset : selection.slot, {}, {}};
        // A custom mode deleted meanwhile is not brought back.
        const std::vector<ModeNames::Entry> offered = ModeNames::offered(m_model, type);
        const bool stillThere =
            std::any_of(offered.begin(), offered.end(), [&entry](const ModeNames::Entry &each) {
                return each.builtIn == entry.builtIn && each.number == entry.number;
            });
        if (!stillThere || ModeNames::isSelected(m_model, entry))
            continue;
        if (m_model.page() != Pages::pageOf(type))
            m_model.selectPage(Pages::pageOf(type));
        ModeNames::select(m_model, entry);
    }
    if (m_model.page() != before->page)
        m_model.selectPage(before->page);
    m_applying = false;
}

void RuleEngine::selectionChanged(ModeType type)
{
    // A choice the model made by itself (an attachment's restore, a removal's
    // forgetting) is not the user's.
    if (m_inForce.isEmpty() || m_applying || m_attaching || !m_model.attached() ||
        !m_model.selection(type).chosen)
        return;
    m_userWon = true;
}

void RuleEngine::attached()
{
    m_attaching = false;
    m_reapply = true;
    settle();
    m_reapply = false;
}
