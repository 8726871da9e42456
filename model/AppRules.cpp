#include "model/AppRules.h"

#include "model/SettingsFile.h"

#include <QDebug>
#include <QSet>
#include <QStandardPaths>

namespace {
constexpr char kRulesArray[] = "rules";
constexpr char kApplicationKey[] = "application";
constexpr char kModeKey[] = "mode";
constexpr char kTabKey[] = "tab";
constexpr char kPausedKey[] = "paused";
constexpr char kSurroundTab[] = "surround";
constexpr char kStereoTab[] = "stereo";
constexpr char kExe[] = ".exe";

// The file name of a path, whether Unix or Windows wrote it.
QString bareName(const QString &application)
{
    const QString name = application.trimmed();
    return name.mid(std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1);
}
} // namespace

QString AppRules::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/VoxBench/rules.conf");
}

QString AppRules::key(const QString &application)
{
    QString name = bareName(application).toCaseFolded();
    if (name.endsWith(QLatin1String(kExe)))
        name.chop(int(qstrlen(kExe)));
    return name;
}

AppRules::AppRules(QString path, QObject *parent) : QObject(parent), m_path(std::move(path))
{
    load();
}

const AppRules::Rule *AppRules::find(const QString &application) const
{
    const QString wanted = key(application);
    for (const Rule &rule : m_rules) {
        if (key(rule.application) == wanted)
            return &rule;
    }
    return nullptr;
}

bool AppRules::hasRoomFor(const QString &application) const
{
    return find(application) || int(m_rules.size()) < kMaxRules;
}

bool AppRules::add(const Rule &rule)
{
    Rule kept = rule;
    kept.application = bareName(kept.application);
    const QString wanted = key(kept.application);
    const auto same = std::find_if(m_rules.begin(), m_rules.end(),
                                   [&wanted](const Rule &each) { return key(each.application) == wanted; });
    if (same != m_rules.end())
        *same = kept;
    else
        m_rules.push_back(kept);
    return save();
}

bool AppRules::remove(const QString &application)
{
    const QString wanted = key(application);
    const auto gone = std::remove_if(m_rules.begin(), m_rules.end(),
                                     [&wanted](const Rule &rule) { return key(rule.application) == wanted; });
    if (gone == m_rules.end())
        return false;
    m_rules.erase(gone, m_rules.end());
    save();
    return true;
}

bool AppRules::setPaused(bool paused)
{
    if (paused == m_paused)
        return true;
    m_paused = paused;
    return save();
}

void AppRules::load()
{
    SettingsFile settings(m_path);
    if (!settings.readProblem().isEmpty())
        qWarning().noquote() << "rules not read from" << m_path << ":" << settings.readProblem();
    QSettings &file = settings.values();
    m_paused = file.value(kPausedKey, false).toBool();
    const int count = file.beginReadArray(kRulesArray);
    if (count > kMaxRules)
        qWarning().noquote() << m_path << "holds" << count << "rules; the first" << kMaxRules
                             << "are followed, and only they are kept at the next change";
    QSet<QString> keys;
    for (int n = 0; n < count && int(m_rules.size()) < kMaxRules; ++n) {
        file.setArrayIndex(n);
        Rule rule;
        rule.application = file.value(kApplicationKey).toString();
        rule.mode = file.value(kModeKey).toString();
        const QString tab = file.value(kTabKey).toString();
        rule.tab = tab == QLatin1String(kSurroundTab) ? Surround : Stereo;
        // A line edited into nonsense is left out rather than matched.
        if (key(rule.application).isEmpty() || rule.mode.isEmpty() ||
            (tab != QLatin1String(kSurroundTab) && tab != QLatin1String(kStereoTab)) ||
            keys.contains(key(rule.application)))
            continue;
        keys.insert(key(rule.application));
        m_rules.push_back(rule);
    }
    file.endArray();
}

bool AppRules::save()
{
    SettingsFile settings(m_path);
    QSettings &file = settings.values();
    file.clear();
    file.setValue(kPausedKey, m_paused);
    file.beginWriteArray(kRulesArray, int(m_rules.size()));
    for (int n = 0; n < int(m_rules.size()); ++n) {
        file.setArrayIndex(n);
        file.setValue(kApplicationKey, m_rules[n].application);
        file.setValue(kModeKey, m_rules[n].mode);
        file.setValue(kTabKey, QLatin1String(m_rules[n].tab == Surround ? kSurroundTab : kStereoTab));
    }
    file.endArray();
    m_saved = settings.save(&m_saveProblem);
    if (!m_saved)
        qWarning().noquote() << "rules not saved to" << m_path << ":" << m_saveProblem;
    emit changed();
    return m_saved;
}
