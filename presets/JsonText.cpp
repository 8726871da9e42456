#include "presets/JsonText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextCodec>
#include <algorithm>
#include <cmath>

namespace {

constexpr char kLineEnd[] = "\r\n";

void indent(QByteArray &out, int level)
{
    out.append(level * 4, ' ');
}

void appendString(QByteArray &out, const QString &text)
{
    out.append('"');
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out.append("\\\"");
            break;
        case '\\':
            out.append("\\\\");
            break;
        case '\b':
            out.append("\\b");
            break;
        case '\f':
            out.append("\\f");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        default:
            if (u < 0x20) {
                char escaped[8];
                qsnprintf(escaped, sizeof escaped, "\\u%04x", u);
                out.append(escaped);
            } else {
                out.append(c);
            }
        }
    }
    out.append('"');
}

void appendValue(QByteArray &out, const QJsonValue &value, int level);

void appendObject(QByteArray &out, const QJsonObject &object, int level)
{
    if (object.isEmpty()) {
        out.append("{}");
        return;
    }
    // QJsonObject already iterates in key order, but that order is its own detail; sort here.
    QStringList keys = object.keys();
    std::sort(keys.begin(), keys.end());
    out.append('{').append(kLineEnd);
    for (int i = 0; i < keys.size(); ++i) {
        indent(out, level + 1);
        appendString(out, keys.at(i));
        out.append(": ");
        appendValue(out, object.value(keys.at(i)), level + 1);
        if (i + 1 < keys.size())
            out.append(',');
        out.append(kLineEnd);
    }
    indent(out, level);
    out.append('}');
}

void appendArray(QByteArray &out, const QJsonArray &array, int level)
{
    if (array.isEmpty()) {
        out.append("[]");
        return;
    }
    out.append('[').append(kLineEnd);
    for (int i = 0; i < array.size(); ++i) {
        indent(out, level + 1);
        appendValue(out, array.at(i), level + 1);
        if (i + 1 < array.size())
            out.append(',');
        out.append(kLineEnd);
    }
    indent(out, level);
    out.append(']');
}

void appendValue(QByteArray &out, const QJsonValue &value, int level)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        out.append(value.toBool() ? "true" : "false");
        break;
    case QJsonValue::Double: {
        // Every number the store keeps is an integer.
        const double d = value.toDouble();
        out.append(QByteArray::number(std::isfinite(d) ? qint64(d) : 0));
        break;
    }
    case QJsonValue::String:
        appendString(out, value.toString());
        break;
    case QJsonValue::Array:
        appendArray(out, value.toArray(), level);
        break;
    case QJsonValue::Object:
        appendObject(out, value.toObject(), level);
        break;
    default:
        out.append("null");
    }
}

bool decodeUtf8(const QByteArray &bytes, QString *text)
{
    QTextCodec::ConverterState state;
    *text = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    // A multi-byte sequence cut off at the end is counted apart from the invalid ones.
    return state.invalidChars == 0 && state.remainingChars == 0;
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
    QByteArray out;
    appendObject(out, object, 0);
    out.append(kLineEnd);
    return out;
}

JsonText::Parsed JsonText::parse(const QByteArray &bytes)
{
    Parsed parsed;
    QString text;
    QByteArray utf8;
    if (decodeUtf8(bytes, &text)) {
        utf8 = bytes;
    } else if (decodeGbk(bytes, &text)) {
        utf8 = text.toUtf8();
        parsed.fromGbk = true;
    } else {
        return parsed;
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
