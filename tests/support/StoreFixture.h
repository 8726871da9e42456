#pragma once

#include "TestFiles.h"
#include "presets/JsonText.h"

#include <QJsonArray>
#include <QJsonObject>

// Files for the store's tests, written without the store.
namespace StoreFixture {

inline QJsonObject mode(int type, const QString &name, const QString &uuid, const QJsonArray &gains)
{
    return QJsonObject{{"algorithm", type == 1 ? "Stereo" : "Surround"},
                       {"customizeType", 0},
                       {"name", name},
                       {"parameter", gains},
                       {"type", type},
                       {"uuid", uuid}};
}

// A default preset file with one surround "FPS" and one stereo "Pop" mode.
inline QByteArray defaultFile(const QString &pid, const QString &tag = "x")
{
    const QJsonArray gains{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    return JsonText::serialize(
        QJsonObject{{"vid", "0x5A17"},
                    {"pid", pid},
                    {"defaultMode", QJsonArray{mode(0, "FPS", "{s-" + tag + "}", gains),
                                               mode(1, "Pop", "{t-" + tag + "}", gains)}}});
}

} // namespace StoreFixture

namespace StoreFixture {

// A config.json of many receivers of product 0x4152 with custom modes each.
inline QByteArray manyReceivers(int receivers, int modesEach)
{
    QJsonArray customize;
    QJsonArray current;
    for (int r = 0; r < receivers; ++r) {
        const QString identity = QString::asprintf("%08x", r);
        QJsonArray modes;
        for (int m = 0; m < modesEach; ++m) {
            const int type = m % 2;
            QJsonObject object =
                mode(type, QString::asprintf("Custom %d", m), QString::asprintf("{%08x-%04x}", r, m),
                     QJsonArray{m, -m, 1, 2, 3, 4, 5, 6, 7, -12});
            object.insert("customizeType", 1);
            object.insert("index", m / 2);
            modes.append(object);
        }
        customize.append(
            QJsonObject{{"deviceUuid", identity}, {"modes", modes}, {"pid", "0x4152"}, {"vid", "0x5A17"}});
        current.append(QJsonObject{{"deviceUuid", identity},
                                   {"pid", "0x4152"},
                                   {"uuid", QString::asprintf("{%08x-0000}", r)},
                                   {"vid", "0x5A17"}});
    }
    return JsonText::serialize(QJsonObject{{"currentMode", current}, {"customizeMode", customize}});
}

} // namespace StoreFixture
