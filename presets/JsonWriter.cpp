#include "presets/JsonWriter.h"

#include <algorithm>

void JsonWriter::beginObject()
{
    open('{');
}

void JsonWriter::endObject()
{
    close('}');
}

void JsonWriter::beginArray()
{
    open('[');
}

void JsonWriter::endArray()
{
    close(']');
}

void JsonWriter::key(const QString &name)
{
    if (m_counts.back()++ > 0)
        m_out.append(',');
    newLine();
    appendString(name);
    m_out.append(": ");
    m_afterKey = true;
}

void JsonWriter::value(qint64 number)
{
    beforeValue();
    m_out.append(QByteArray::number(number));
}

void JsonWriter::value(bool flag)
{
    beforeValue();
    m_out.append(flag ? "true" : "false");
}

void JsonWriter::value(const QString &text)
{
    beforeValue();
    appendString(text);
}

void JsonWriter::null()
{
    beforeValue();
    m_out.append("null");
}

QByteArray JsonWriter::finish()
{
    m_out.append("\r\n");
    QByteArray out;
    out.swap(m_out);
    m_counts.clear();
    m_afterKey = false;
    return out;
}

void JsonWriter::beforeValue()
{
    if (m_afterKey || m_counts.empty()) {
        m_afterKey = false;
        return;
    }
    if (m_counts.back()++ > 0)
        m_out.append(',');
    newLine();
}

void JsonWriter::open(char bracket)
{
    beforeValue();
    m_out.append(bracket);
    m_counts.push_back(0);
}

void JsonWriter::close(char bracket)
{
    const int count = m_counts.back();
    m_counts.pop_back();
    if (count > 0)
        newLine();
    m_out.append(bracket);
}

void JsonWriter::newLine()
{
    m_out.append("\r\n");
    m_out.append(int(m_counts.size()) * 4, ' ');
}

void JsonWriter::appendString(const QString &text)
{
    m_out.append('"');
    const QByteArray utf8 = text.toUtf8();
    const bool plain = std::none_of(utf8.begin(), utf8.end(),
                                    [](char c) { return c == '"' || c == '\\' || (c >= 0 && c < 0x20); });
    if (plain) {
        m_out.append(utf8);
        m_out.append('"');
        return;
    }
    for (const char c : utf8) {
        switch (c) {
        case '"':
            m_out.append("\\\"");
            break;
        case '\\':
            m_out.append("\\\\");
            break;
        case '\b':
            m_out.append("\\b");
            break;
        case '\f':
            m_out.append("\\f");
            break;
        case '\n':
            m_out.append("\\n");
            break;
        case '\r':
            m_out.append("\\r");
            break;
        case '\t':
            m_out.append("\\t");
            break;
        default:
            if (c >= 0 && c < 0x20) {
                char escaped[8];
                qsnprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
                m_out.append(escaped);
            } else {
                m_out.append(c);
            }
        }
    }
    m_out.append('"');
}
