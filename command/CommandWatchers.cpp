#include "command/CommandWatchers.h"

#include "command/CommandProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

namespace {
using namespace CommandProtocol;
} // namespace

CommandWatchers::CommandWatchers(ReceiverModel &model, State state, QObject *parent)
    : QObject(parent), m_model(model), m_state(std::move(state))
{
    connect(&m_model, &ReceiverModel::pageStateChanged, this, [this] { note(kChangedReceiver); });
    connect(&m_model, &ReceiverModel::pageChanged, this, [this] { note(kChangedTab); });
    connect(&m_model, &ReceiverModel::selectionChanged, this, [this] { note(kChangedMode); });
    connect(&m_model, &ReceiverModel::gainsChanged, this, [this] { note(kChangedGains); });
    connect(&m_model, &ReceiverModel::customModesChanged, this, [this] { note(kChangedModes); });
    connect(&m_model, &ReceiverModel::micEncChanged, this, [this] { note(kChangedMicEnc); });
}

quint64 CommandWatchers::add(Watcher watcher)
{
    // Lines still pending go to those who watched before them only.
    flush();
    if (count() >= kMaxWatchers)
        return 0;
    watcher.id = ++m_lastId;
    QJsonObject line = m_state();
    line.insert(kApi, kApiVersion);
    line.insert(kChanged, QJsonArray{QString(kChangedState)});
    if (!watcher.send(QJsonDocument(line).toJson(QJsonDocument::Compact)))
        return watcher.id; // gone already
    m_watchers.push_back(watcher);
    m_lastState = m_state();
    return watcher.id;
}

void CommandWatchers::remove(quint64 id)
{
    m_watchers.erase(std::remove_if(m_watchers.begin(), m_watchers.end(),
                                    [id](const Watcher &watcher) { return watcher.id == id; }),
                     m_watchers.end());
}

void CommandWatchers::note(QLatin1String what)
{
    if (m_watchers.empty())
        return;
    if (m_pending.contains(what))
        flush();
    m_pending << what;
    m_pendingState = m_state();
    if (!m_flushQueued) {
        m_flushQueued = true;
        QMetaObject::invokeMethod(this, &CommandWatchers::flush, Qt::QueuedConnection);
    }
}

void CommandWatchers::noteRules()
{
    note(kChangedRule);
}

void CommandWatchers::flush()
{
    m_flushQueued = false;
    if (m_pending.isEmpty())
        return;
    const QStringList changed = m_pending;
    m_pending.clear();
    // A signal that changed nothing shown (the same mode chosen again) is no
    // change; custom modes are not part of the state, so they always count.
    if (m_pendingState == m_lastState && !changed.contains(kChangedModes) && !changed.contains(kChangedRule))
        return;
    m_lastState = m_pendingState;
    send(m_pendingState, changed);
}

void CommandWatchers::send(const QJsonObject &state, const QStringList &changed)
{
    QJsonObject line = state;
    line.insert(kApi, kApiVersion);
    line.insert(kChanged, QJsonArray::fromStringList(changed));
    const QByteArray bytes = QJsonDocument(line).toJson(QJsonDocument::Compact);
    m_watchers.erase(std::remove_if(m_watchers.begin(), m_watchers.end(),
                                    [&bytes](const Watcher &watcher) { return !watcher.send(bytes); }),
                     m_watchers.end());
}

void CommandWatchers::farewell()
{
    flush();
    send(m_state(), {kChangedQuit});
    for (const Watcher &watcher : m_watchers)
        watcher.close();
    m_watchers.clear();
}
