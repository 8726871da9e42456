#include "platform/SleepWatcher.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDebug>

namespace {
const QString kLogin1 = QStringLiteral("org.freedesktop.login1");
const QString kLogin1Path = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kPrepareForSleep = QStringLiteral("PrepareForSleep");
} // namespace

SleepWatcher::SleepWatcher(QObject *parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qInfo().noquote() << "No system bus: settings are not sent again after a resume";
        return;
    }
    // The match stays even while logind is away: it may start later.
    const bool watching =
        bus.connect(kLogin1, kLogin1Path, kManager, kPrepareForSleep, this, SLOT(prepareForSleep(bool)));
    if (!watching || !bus.interface()->isServiceRegistered(kLogin1))
        qInfo().noquote() << "No logind on the system bus: settings are not sent again after a resume";
}

SleepWatcher::~SleepWatcher() = default;
