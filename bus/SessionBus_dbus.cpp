#include "bus/BackgroundPortal.h"
#include "bus/BusService.h"
#include "bus/SessionBus.h"

#include <QFileInfo>

namespace {
// The user's session bus as the desktop announces it, or the user's bus socket.
// Never libdbus's fallback, which may launch a bus of its own that outlives us.
bool sessionBusAnnounced()
{
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}
} // namespace

std::unique_ptr<QObject> SessionBus::serve(CommandServer &server, ReceiverModel &model, AppRules &rules,
                                           RuleEngine &engine)
{
    if (!sessionBusAnnounced())
        return nullptr;
    auto service = std::make_unique<BusService>(server, model, rules, engine);
    if (!service->publish(QDBusConnection::sessionBus()))
        return nullptr;
    return service;
}

std::unique_ptr<QObject> SessionBus::followBackgroundChoice(CloseChoice &choice)
{
    if (!sessionBusAnnounced() || !QDBusConnection::sessionBus().isConnected())
        return nullptr;
    return std::make_unique<BackgroundPortal>(choice, QDBusConnection::sessionBus());
}
