#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

// Brings the running instance's window to the front on behalf of a second start.
// Linux: the first instance listens on a local socket in the user's own instance
// folder (InstanceKeys), and shows the window itself, also when it is hidden (many
// desktops have no tray). A connection carries one request line, "<verb> <argument>",
// and gets one answer line: "activate <title>" answers "1" when shown, "0" when not;
// an unknown verb answers "error unknown request". "command <argument>" goes to
// the request handler (the command line), which answers once, now or later.
// A request line is at most kMaxRequest bytes and must arrive within
// kRequestTimeoutMs of the connection; a longer or late one gets an error line and
// the connection ends, so no client holds up another or the window.
// Windows: the second start finds the window by its title.
class InstanceActivator : public QObject
{
    Q_OBJECT

public:
    explicit InstanceActivator(QObject *parent = nullptr);
    ~InstanceActivator() override;

    // Sends one answer line (without its line end) to the client that asked.
    // Does nothing when that client has gone.
    using Reply = std::function<void(const QByteArray &answer)>;
    using RequestHandler = std::function<void(const QByteArray &argument, const Reply &reply)>;

    static constexpr int kMaxRequest = 4096;
    static constexpr int kRequestTimeoutMs = 2000;

    // In the first instance, before others can take the second-instance path.
    bool listen();
    void setRequestHandler(RequestHandler handler) { m_handler = std::move(handler); }

    // How one request of a client went.
    enum class Exchange {
        Answered,   // `answer` holds the answer line, without its line end
        NoInstance, // nothing listens
        NoAnswer,   // connected, but no answer line in time
    };
    // In a client: sends `request` (one line, without its line end) to the
    // running instance and waits up to `timeoutMs` for its answer.
    static Exchange exchange(const QByteArray &request, int timeoutMs, QByteArray *answer);

    // In a second instance: shows the running instance's top-level window titled
    // `title`. False if that instance or window cannot be reached.
    static bool activateRunning(const QString &title, int timeoutMs = 5000);

    // Shows, un-minimises, raises and activates the top-level window titled `title`.
    static bool activateWindow(const QString &title);

signals:
    void activated();

private:
    static constexpr const char *kActivate = "activate";
    static constexpr const char *kCommand = "command";

    void answer();
    void serve(QLocalSocket *socket);
    void dispatch(const QByteArray &request, const Reply &reply);

    std::unique_ptr<QLocalServer> m_server;
    RequestHandler m_handler;
};
