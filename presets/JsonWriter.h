#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Writes JSON text as the store's files hold it, straight from the caller's data: four
// spaces per level, one member or element per line, CR LF, UTF-8. The caller gives
// object keys in ascending order.
class JsonWriter
{
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(const QString &name);
    void value(qint64 number);
    void value(int number) { value(qint64(number)); }
    void value(bool flag);
    void value(const QString &text);
    void null();

    // The text with its closing line break.
    QByteArray finish();

private:
    void beforeValue();
    void open(char bracket);
    void close(char bracket);
    void newLine();
    void appendString(const QString &text);

    QByteArray m_out;
    std::vector<int> m_counts; // members or elements so far, per open level
    bool m_afterKey = false;
};
