#include "bus/BackgroundPortal.h"

#include "model/CloseChoice.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>

namespace {
constexpr char kRequestInterface[] = "org.freedesktop.portal.Request";
constexpr char kRequestPathStart[] = "/org/freedesktop/portal/desktop/request/";
// The portal's Response codes: 0 granted, 1 cancelled by the user, 2 ended otherwise.
constexpr uint kResponseSuccess = 0;
} // namespace

BackgroundPortal::BackgroundPortal(CloseChoice &choice, QDBusConnection bus, QObject *parent)
    : QObject(parent), m_bus(std::move(bus))
{
    connect(&choice, &CloseChoice::changed, this, [this](bool keepRunning) {
        if (keepRunning)
            request();
    });
    if (choice.keepsRunning())
        request();
}

void BackgroundPortal::request()
{
    // The Request object's path is known before the call (the sender's name and
    // our token), so its Response is followed before it can be sent.
    const QString token = QStringLiteral("voxbench%1").arg(++m_requests);
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    if (!m_requestPath.isEmpty())
        m_bus.disconnect(QLatin1String(kService), m_requestPath, QLatin1String(kRequestInterface),
                         QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    m_requestPath = QLatin1String(kRequestPathStart) + sender + QLatin1Char('/') + token;
    m_bus.connect(QLatin1String(kService), m_requestPath, QLatin1String(kRequestInterface),
                  QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));

    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                       QLatin1String(kInterface), QStringLiteral("RequestBackground"));
    const QVariantMap options{
        {QStringLiteral("handle_token"), token},
        {QStringLiteral("reason"), tr("Keeps applying your rules and the receiver's settings after sleep "
                                      "while its window is closed.")},
        {QStringLiteral("autostart"), false},
    };
    call << QString() << options;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *done;
        if (reply.isError()) {
            qInfo().noquote() << "No background portal:" << reply.error().name() << reply.error().message();
            emit unavailable(reply.error().name());
        }
    });
}

void BackgroundPortal::onResponse(uint response, const QVariantMap &results)
{
    const bool allowed = response == kResponseSuccess && results.value(QStringLiteral("background")).toBool();
    qInfo() << "Background portal answered" << response << "; running in the background allowed:" << allowed;
    emit answered(allowed);
}
