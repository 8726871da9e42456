#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

// Brings the running instance's window to the front on behalf of a second start.
// Linux: the first instance listens on a local socket in the user's own instance
// folder (InstanceKeys), and shows the window itself, also when it is hidden (many
// desktops have no tray). A connection carries one request line, "<verb> <argument>",
// and gets one answer line: "activate <title>" answers "1" when shown, "0" when not;
// an unknown verb answers "error unknown request".
// Windows: the second start finds the window by its title.
class InstanceActivator : public QObject
{
    Q_OBJECT

public:
    explicit InstanceActivator(QObject *parent = nullptr);
    ~InstanceActivator() override;

    // In the first instance, before others can take the second-instance path.
    bool listen();

    // In a second instance: shows the running instance's top-level window titled
    // `title`. False if that instance or window cannot be reached.
    static bool activateRunning(const QString &title, int timeoutMs = 5000);

    // Shows, un-minimises, raises and activates the top-level window titled `title`.
    static bool activateWindow(const QString &title);

signals:
    void activated();

private:
    static constexpr const char *kActivate = "activate";
    static constexpr int kMaxRequest = 1024;

    void answer();
    QByteArray reply(const QByteArray &request);

    std::unique_ptr<QLocalServer> m_server;
};
