#pragma once

#include "presets/ModeType.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

class VoxBench;

// Runs the command line's requests in the running VoxBench, one after the
// other, through the window's own slots: a mode is chosen by clicking its
// button, a tab by choosing it, Mic ENC by its check box, so that the receiver,
// config.json and the window end as after the same clicks. A request that
// sends to the receiver is answered once the receiver has acknowledged
// everything sent, or after kAnswerTimeoutMs.
class CommandServer : public QObject
{
    Q_OBJECT
public:
    using Reply = std::function<void(const QByteArray &answer)>;

    static constexpr int kAnswerTimeoutMs = 3000;
    // A receiver just opened shows its device page half a second later.
    static constexpr int kAttachWaitMs = 3000;
    // Requests waiting their turn; more are refused rather than piled up.
    static constexpr int kMaxQueued = 16;

    explicit CommandServer(VoxBench &window);

    // `request` is the JSON object of one "command" line; `reply` gets the answer.
    void handle(const QByteArray &request, const Reply &reply);

private:
    struct Request
    {
        QJsonObject body;
        Reply reply;
    };
    // A mode the command line can name: a built-in preset on its button, or a custom mode.
    struct Mode
    {
        ModeType type;
        bool builtIn;
        int button; // preset button number, or -1 for a custom mode
        QString name;
        QString alias; // the preset's name in the preset files, if it differs
    };
    enum class Waiting { Nothing, DevicePage, Receiver };

    void runNext();
    void run(const QJsonObject &body);
    void runOnReceiver(const QJsonObject &body);
    void check();
    void answer(const QJsonObject &answer);
    void fail(const QString &error);
    void waitForReceiver(QJsonObject success, QString refusal = QString());

    QJsonObject status() const;
    QJsonObject listModes() const;
    std::vector<Mode> offeredModes(ModeType type) const;
    QString chooseMode(const QString &name, const QString &tab);
    void selectMode(const Mode &mode);
    QString selectTab(ModeType type);
    bool refusesSurround() const;
    QJsonObject currentMode(ModeType type) const;

    VoxBench &m_window;
    std::deque<Request> m_queue;
    bool m_running = false;
    Waiting m_waiting = Waiting::Nothing;
    QJsonObject m_pendingBody;
    QJsonObject m_success;
    QString m_refusal;
    quint64 m_attachment = 0;
    quint64 m_failedWrites = 0;
    QElapsedTimer m_clock;
    QTimer m_check;
};
