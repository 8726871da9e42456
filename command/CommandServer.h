#pragma once

#include "command/CommandProtocol.h"
#include "command/CommandVerbs.h"
#include "command/CommandWatchers.h"
#include "model/AppRules.h"
#include "model/CloseChoice.h"
#include "model/ModeNames.h"
#include "model/ReceiverModel.h"
#include "model/RuleEngine.h"
#include "presets/ModeType.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

// Runs the command line's requests in the running VoxBench, one after the
// other, as calls on the receiver model, the same calls the window makes, so
// that the receiver, config.json and the window end as after the same clicks.
// A request that sends to the receiver is answered once the receiver has
// acknowledged everything sent, or after kAnswerTimeoutMs. What the window
// would say in a box, a command says in its answer; it never waits for a box.
class CommandServer : public QObject
{
    Q_OBJECT
public:
    // The way back to the client of one request.
    struct Reply
    {
        std::function<void(const QByteArray &answer)> send;
        // Whether anyone still waits for the answer; a request nobody waits
        // for any more (the client went, or its deadline passed) is never run.
        std::function<bool()> wanted = [] { return true; };
        // For "watch": one line of a stream (false when the client is gone), and its end.
        std::function<bool(const QByteArray &line)> stream;
        std::function<void()> close;
        // Calls the function once the client has gone (in the context object's thread).
        std::function<void(QObject *context, const std::function<void()> &gone)> whenGone;
    };

    // What only the program around the model can do: show its window, end.
    struct Program
    {
        std::function<void()> show;
        std::function<void()> quit;
        std::function<bool()> shown; // whether the window is on screen
    };

    static constexpr int kAnswerTimeoutMs = 3000;
    // A receiver just opened shows its settings half a second later.
    static constexpr int kAttachWaitMs = 3000;
    // Requests waiting their turn; more are refused rather than piled up.
    // "show" and "quit" never wait: they are run at once.
    static constexpr int kMaxQueued = 16;

    CommandServer(ReceiverModel &model, Program program, QObject *parent = nullptr);

    // The rules for applications that "rule" edits and "status" names.
    void setRules(AppRules *rules, RuleEngine *engine);
    // What closing the window does without a tray, that "background" reads and switches.
    void setCloseChoice(CloseChoice *choice) { m_closeChoice = choice; }

    // `request` is the JSON object of one "command" line; `reply` gets the answer.
    void handle(const QByteArray &request, const Reply &reply);
    // The program ends: every watcher gets a last line.
    void farewell();

private:
    struct Request
    {
        QJsonObject body;
        Reply reply;
    };
    // A mode the command line can name: a built-in preset or a custom mode in its slot.
    using Mode = ModeNames::Entry;
    enum class Waiting { Nothing, DevicePage, Receiver };

    void runNext();
    void run(const QJsonObject &body);
    bool runAtOnce(const QJsonObject &body, const Reply &reply);
    static const CommandVerbs::Verb *verbOf(const QJsonObject &body);
    void runOnReceiver(const QJsonObject &body, CommandVerbs::Command command);
    void check();
    void answer(const QJsonObject &answer);
    void fail(const ModelOutcome &refusal);
    void waitForReceiver(QJsonObject success, const ModelOutcome &outcome = {});
    void noteSaveFailed(const QString &path, const QString &reason);

    QJsonObject status() const;
    void runRule(const QJsonObject &body, CommandVerbs::Command command);
    void runBackground(const QJsonObject &body);
    QJsonObject ruleList() const;
    QJsonObject listModes() const;
    std::vector<Mode> offeredModes(ModeType type) const;
    ModelOutcome findMode(const QString &name, const QString &tab, Mode *mode) const;
    ModelOutcome chooseMode(const QString &name, const QString &tab);
    void exportMode(const QJsonObject &body);
    QJsonValue modeGains(const Mode &mode) const;
    void choose(const Mode &mode);
    bool bringUpTab(ModeType type);
    void editMode(const QJsonObject &body, CommandVerbs::Command command);
    void stepMode(ModeType type, int step);
    void setModeGains(ModeType type, const QJsonValue &values);
    ModeType tabOf(const QJsonObject &body) const;
    // The custom mode named `name`; an error when there is none or several.
    ModelOutcome findCustom(const QString &name, const QString &tab, ModeType *type, int *slot) const;
    ModelOutcome explainUnreachable(const QString &name, const QString &tab) const;
    QJsonObject currentMode(ModeType type) const;

    ReceiverModel &m_model;
    AppRules *m_rules = nullptr;
    RuleEngine *m_engine = nullptr;
    CloseChoice *m_closeChoice = nullptr;
    Program m_program;
    std::deque<Request> m_queue;
    bool m_running = false;
    Waiting m_waiting = Waiting::Nothing;
    QJsonObject m_pendingBody;
    QJsonObject m_success;
    ModelOutcome m_refusal;
    // A save of config.json that failed while the request ran.
    ModelOutcome m_saveFailure;
    quint64 m_attachment = 0;
    quint64 m_failedWrites = 0;
    QElapsedTimer m_clock;
    QTimer m_check;
    CommandWatchers m_watchers;
};
