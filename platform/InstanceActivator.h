#pragma once

#include <QByteArray>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

class QLocalServer;

// The running instance's socket, for a second start and for the command line.
// Linux: the first instance listens on a local socket in the user's own private
// folder (InstanceKeys). A connection carries one request line, "<verb> <argument>",
// and gets one answer line: "activate <title>" answers "1" when the window was
// shown, "0" when not; "handover" answers "1" when the running instance agrees
// to end so that the asking start takes its place (it has no display), "0"
// when not; an unknown verb answers "error unknown request".
// "command <accept-by> <answer-by> <argument>" goes to the request handler (the
// command line): the socket answers kAccepted at once when it hands the request
// on, and the handler answers once, now or later. The two deadlines are times of
// the monotonic clock (milliseconds, now()): a request read after its accept-by
// time is dropped, its client has given up already.
// A request line is at most kMaxRequest bytes and must arrive within
// kRequestTimeoutMs of the connection; a longer or late one gets an error line and
// the connection ends, so no client holds up another or the window. At most
// kMaxConnections are open at once: beyond, the oldest connection that has not
// sent its line yet gets kBusy and is closed (if all have, the new one is).
// A request the handler answers with a stream (the command line's "watch")
// keeps its connection: Reply::stream sends a line at a time, and a client that
// lets more than kMaxStreamBacklog bytes pile up unread is cut off.
// Windows: the same protocol over a named pipe that only this user can open; a
// second start also brings the window forward itself, by its title.
class InstanceActivator : public QObject
{
    Q_OBJECT

public:
    explicit InstanceActivator(QObject *parent = nullptr);
    ~InstanceActivator() override;

    // The answer to one request, handed to the request handler; cheap to copy.
    class Reply
    {
    public:
        Reply() = default;
        // Sends one answer line (without its line end) to the client that asked,
        // then ends the connection. Does nothing when that client has gone.
        void operator()(const QByteArray &answer) const;
        // Whether anyone still waits for the answer: the client is connected and
        // the request's deadline has not passed. A request not wanted is not run.
        bool wanted() const;
        // One line of a stream; the connection stays. False, and the connection
        // is ended, when the client has gone or reads too slowly.
        bool stream(const QByteArray &line) const;
        // Ends a stream once what was written has gone out.
        void close() const;
        // Calls `gone` (in `context`'s thread, while it lives) once the client
        // has gone or was cut off; at once when it is gone already.
        void whenGone(QObject *context, const std::function<void()> &gone) const;

    private:
        friend class InstanceActivator;
        Reply(QLocalSocket *socket, qint64 answerBy) : m_socket(socket), m_answerBy(answerBy) {}
        static void endOnceWritten(QLocalSocket *socket);

        QPointer<QLocalSocket> m_socket;
        qint64 m_answerBy = 0; // 0: no deadline
    };
    using RequestHandler = std::function<void(const QByteArray &argument, const Reply &reply)>;
    // Shows the top-level window titled `title`; false when there is none.
    using ActivationHandler = std::function<bool(const QString &title)>;
    // True when this instance ends for the asking start; it ends after answering.
    using HandoverHandler = std::function<bool()>;

    static constexpr int kMaxRequest = 4096;
    static constexpr int kRequestTimeoutMs = 2000;
    // Room for the command line's watchers and, beside them, for commands.
    static constexpr int kMaxConnections = 128;
    // About 600 lines of "watch": a reader that far behind is gone or stuck.
    static constexpr qint64 kMaxStreamBacklog = 256 * 1024;
    static constexpr int kRelistenMs = 500;
    static constexpr const char *kAccepted = "accepted";
    static constexpr const char *kBusy = "error busy";

    // In the first instance, before others can take the second-instance path.
    bool listen();
    // Where it listens; empty when it does not.
    QString serverName() const { return m_name; }
    void setRequestHandler(RequestHandler handler) { m_handler = std::move(handler); }
    void setActivationHandler(ActivationHandler handler) { m_activation = std::move(handler); }
    void setHandoverHandler(HandoverHandler handler) { m_handover = std::move(handler); }

    // How one command of a client went.
    enum class Exchange {
        Answered,     // `answer` holds the answer line, without its line end
        NoInstance,   // nothing listens
        NotAnswering, // connected, but the request was not taken in time
        NoAnswer,     // taken, but no answer line in time
    };
    // In a client: sends the command `argument` to the running instance, which must
    // take it within `acceptMs` and answer within `answerMs`.
    static Exchange sendCommand(const QByteArray &argument, int acceptMs, int answerMs, QByteArray *answer);
    // In a client: sends the command `argument` and hands each line of the
    // stream that answers it to `line` (without its line end) until the
    // running instance ends the stream or `line` returns false. Answered once
    // the command was taken.
    static Exchange followCommand(const QByteArray &argument, int acceptMs,
                                  const std::function<bool(const QByteArray &line)> &line);

    // In a second instance: shows the running instance's top-level window titled
    // `title`. False if that instance or window cannot be reached.
    static bool activateRunning(const QString &title, int timeoutMs = 5000);

    // In a second instance: asks the running instance to end so that this start
    // takes its place; true when it agreed (it ends right after answering).
    static bool askToHandOver(int timeoutMs);

    // Whether the running instance of this user accepts connections.
    static bool isRunning(int timeoutMs);
    // The socket of the running instance of this user; empty when none is found.
    static QString runningServerName();

    // The monotonic clock of the deadlines, the same in every process.
    static qint64 now();

signals:
    void activated();

private:
    static constexpr const char *kActivate = "activate";
    static constexpr const char *kCommand = "command";
    static constexpr const char *kHandover = "handover";

    // Asks the running instance over its socket to show its window titled `title`.
    static bool askToActivate(const QString &title, int timeoutMs);
    // Sends one request line and tells whether the answer was "1".
    static bool askYes(const QByteArray &request, int timeoutMs);
    void answer();
    void serve(QLocalSocket *socket);
    void dispatch(const QByteArray &request, QLocalSocket *socket);
    bool stopped() const;
    void checkListening();
    bool makeRoom();

    std::unique_ptr<QLocalServer> m_server;
    QString m_name;
    int m_open = 0;
    std::deque<QPointer<QLocalSocket>> m_waiting; // oldest first, still without a line
    QTimer m_relisten;
    RequestHandler m_handler;
    ActivationHandler m_activation;
    HandoverHandler m_handover;
};
