#pragma once

#include "model/ReceiverModel.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <functional>
#include <vector>

// The command line's `watch`: each watcher gets the state once, then one line
// per change the model announces (a JSON object of the state with "changed"),
// until the program ends. Driven by the model's signals alone: with nothing
// changing, watchers cost nothing. A watcher that goes frees its place at
// once; one that reads too slowly is cut off at the next line.
class CommandWatchers : public QObject
{
    Q_OBJECT
public:
    struct Watcher
    {
        // Sends one line; false when the watcher is gone.
        std::function<bool(const QByteArray &line)> send;
        // Ends its stream.
        std::function<void()> close;
        quint64 id = 0; // given by add()
    };
    using State = std::function<QJsonObject()>;

    static constexpr int kMaxWatchers = 64;

    CommandWatchers(ReceiverModel &model, State state, QObject *parent = nullptr);

    // Sends the state at once and returns the watcher's number (for remove());
    // 0 when kMaxWatchers watch already.
    quint64 add(Watcher watcher);
    // The watcher has gone: its place is free.
    void remove(quint64 id);
    int count() const { return int(m_watchers.size()); }
    // The rules were edited, or another rule took over: a line even when the
    // state looks the same (the rules are not part of it).
    void noteRules();
    // The program ends: what is pending, a last line, then every stream ends.
    void farewell();

private:
    void note(QLatin1String what);
    void flush();
    void send(const QJsonObject &state, const QStringList &changed);

    ReceiverModel &m_model;
    State m_state;
    std::vector<Watcher> m_watchers;
    // The changes of this turn of the event loop, sent as one line after it;
    // the same change twice sends the first one's line before the second.
    QStringList m_pending;
    QJsonObject m_pendingState;
    QJsonObject m_lastState;
    bool m_flushQueued = false;
    quint64 m_lastId = 0;
};
