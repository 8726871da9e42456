#pragma once

#include "command/CommandServer.h"
#include "device/UsbHidOperation.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class AppRules;
class CloseChoice;
class DeviceMonitor;
class ReceiverModel;
class ReceiverSession;
class RuleEngine;
class SleepWatcher;
class WriteReadJson;

// The running program without its window: the store, the receiver's session and
// model, the application rules, the device and sleep watchers and the command
// line's server and the session bus's object, for as long as VoxBench runs. Qt Core only, so that it serves
// commands, rules and resume where no display is; a window is given its model.
class VoxBenchInstance : public QObject
{
    Q_OBJECT

public:
    // What only a window can do. Without one the instance has nothing to show,
    // and Quit is its own.
    struct FrontEnd
    {
        std::function<void()> show;
        // False when there is no window yet to end the program with.
        std::function<bool()> quit;
        std::function<bool()> shown;
    };

    explicit VoxBenchInstance(QObject *parent = nullptr);
    ~VoxBenchInstance() override;

    WriteReadJson &store() const { return *m_store; }
    ReceiverSession &session() const { return *m_session; }
    ReceiverModel &model() const { return *m_model; }
    AppRules &rules() const { return *m_rules; }
    RuleEngine &ruleEngine() const { return *m_ruleEngine; }
    CommandServer &commandServer() const { return *m_server; }
    CloseChoice &closeChoice() const { return *m_closeChoice; }

    void setFrontEnd(FrontEnd frontEnd) { m_frontEnd = std::move(frontEnd); }
    // Ends the program as the tray's Quit does: the receiver's farewell, then the event loop.
    void quit();

    // Device notifications, whichever platform delivered them.
    void handleHidArrival();
    void handleHidRemoval(quint16 vendorId, quint16 productId, const QString &node = QString());
    void handleVolumeArrival();

private:
    void watchDevices();
    void logConfigKeptAside(const QString &keptPath, const QString &reason);

    // Declared in the order they depend on each other; destroyed the other way round.
    std::unique_ptr<WriteReadJson> m_store;
    std::unique_ptr<ReceiverSession> m_session;
    std::unique_ptr<ReceiverModel> m_model;
    std::unique_ptr<AppRules> m_rules;
    std::unique_ptr<RuleEngine> m_ruleEngine;
    std::unique_ptr<CloseChoice> m_closeChoice;
    std::unique_ptr<DeviceMonitor> m_deviceMonitor;
    std::unique_ptr<SleepWatcher> m_sleepWatcher;
    std::unique_ptr<CommandServer> m_server;
    // On the session bus, where there is one; the name goes with it.
    std::unique_ptr<QObject> m_bus;
    // Asks the desktop's background portal, while the user keeps VoxBench running without its window.
    std::unique_ptr<QObject> m_backgroundPortal;
    FrontEnd m_frontEnd;
    bool m_quitting = false;
};
