#pragma once

#include <QString>

// The receiver the store works for.
struct DeviceKey
{
    static constexpr qint32 kNoProduct = qint32(0xFFE5672E);

    qint32 productId = kNoProduct;
    QString deviceUuid;

    // Modes are stored only for a receiver that told its identity.
    bool hasIdentity() const { return !deviceUuid.isEmpty(); }
};
