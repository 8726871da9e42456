#pragma once

#include <QByteArray>
#include <QJsonObject>

// The text form of the store's JSON files. Written: four-space indentation, keys in
// ascending code-unit order, integers, CR LF, UTF-8 without byte-order mark, closing
// line break. Read: UTF-8, or GBK when the bytes are not UTF-8 but are clean GBK, or
// else UTF-8 with every bad byte replaced, so that one stray byte hides nothing else.
class JsonText
{
public:
    enum class Status { Ok, Unreadable, NotAnObject };

    struct Parsed
    {
        Status status = Status::Unreadable;
        QJsonObject object;
        bool fromGbk = false;
        // Bytes that are neither UTF-8 nor GBK were replaced by U+FFFD.
        bool replaced = false;
    };

    static QByteArray serialize(const QJsonObject &object);
    static Parsed parse(const QByteArray &bytes);
};
