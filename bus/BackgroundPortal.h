#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

class CloseChoice;

// While the user keeps VoxBench running without its window, asks the desktop's
// background portal (org.freedesktop.portal.Background) to let it, so that the
// desktop lists it among background apps rather than ending it. Never waits:
// the call and the portal's Response both arrive later; a desktop without the
// portal answers with an error, which is only logged.
class BackgroundPortal : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *kService = "org.freedesktop.portal.Desktop";
    static constexpr const char *kPath = "/org/freedesktop/portal/desktop";
    static constexpr const char *kInterface = "org.freedesktop.portal.Background";

    BackgroundPortal(CloseChoice &choice, QDBusConnection bus, QObject *parent = nullptr);

    // Asks the portal now (done by itself at start and when the choice turns on).
    void request();

signals:
    // The portal's answer: whether VoxBench may run in the background.
    void answered(bool allowed);
    // No portal, or it refused the call.
    void unavailable(const QString &error);

private slots:
    void onResponse(uint response, const QVariantMap &results);

private:
    QDBusConnection m_bus;
    QString m_requestPath;
    int m_requests = 0;
};
