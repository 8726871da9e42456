#include "presets/JsonText.h"

#include "presets/JsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextCodec>
#include <algorithm>
#include <cmath>

namespace {

void writeValue(JsonWriter &writer, const QJsonValue &value);

void writeObject(JsonWriter &writer, const QJsonObject &object)
{
    // QJsonObject iterates in key order already, but that order is its own detail; sort here.
    QStringList keys = object.keys();
    std::sort(keys.begin(), keys.end());
    writer.beginObject();
    for (const QString &key : qAsConst(keys)) {
        writer.key(key);
        writeValue(writer, object.value(key));
    }
    writer.endObject();
}

void writeValue(JsonWriter &writer, const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        writer.value(value.toBool());
        break;
    case QJsonValue::Double: {
        // Every number the store keeps is an integer; one beyond qint64 (1e300)
        // would be undefined as a cast, and is no value of ours either.
        constexpr double kLimit = 9.0e18;
        const double d = value.toDouble();
        writer.value(d > -kLimit && d < kLimit ? qint64(d) : qint64(0));
        break;
    }
    case QJsonValue::String:
        writer.value(value.toString());
        break;
    case QJsonValue::Array:
        writer.beginArray();
        for (const QJsonValue &element : value.toArray())
            writeValue(writer, element);
        writer.endArray();
        break;
    case QJsonValue::Object:
        writeObject(writer, value.toObject());
        break;
    default:
        writer.null();
    }
}

// Well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF, no
// sequence cut off at the end), checked without decoding.
bool isUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80, high = 0xBF; // range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0;
            else if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        p += length;
    }
    return true;
}

// Qt's GBK decoder counts no invalid bytes (it maps them to U+FFFD or to private-use
// characters), so the byte structure is checked here: single bytes below 0x80, or a lead
// byte 0x81..0xFE with a trail byte 0x40..0xFE other than 0x7F.
bool decodeGbk(const QByteArray &bytes, QString *text)
{
    for (int i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes.at(i));
        if (lead < 0x80)
            continue;
        if (lead == 0x80 || lead == 0xFF || i + 1 == bytes.size())
            return false;
        const auto trail = static_cast<unsigned char>(bytes.at(++i));
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF)
            return false;
    }
    QTextCodec *codec = QTextCodec::codecForName("GBK");
    if (!codec)
        return false;
    *text = codec->toUnicode(bytes);
    // Well-formed pairs without a character.
    return !text->contains(QChar::ReplacementCharacter);
}

} // namespace

QByteArray JsonText::serialize(const QJsonObject &object)
{
    JsonWriter writer;
    writeObject(writer, object);
    return writer.finish();
}

JsonText::Parsed JsonText::parse(const QByteArray &bytes)
{
    Parsed parsed;
    QString text;
    QByteArray utf8;
    if (isUtf8(bytes)) {
        utf8 = bytes;
    } else if (decodeGbk(bytes, &text)) {
        utf8 = text.toUtf8();
        parsed.fromGbk = true;
    } else {
        utf8 = QString::fromUtf8(bytes).toUtf8();
        parsed.replaced = true;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(utf8, &error);
    if (error.error != QJsonParseError::NoError)
        return parsed;
    if (!document.isObject()) {
        parsed.status = Status::NotAnObject;
        return parsed;
    }
    parsed.status = Status::Ok;
    parsed.object = document.object();
    return parsed;
}
