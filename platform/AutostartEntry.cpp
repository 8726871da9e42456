#include "platform/AutostartEntry.h"

// Escapes of a desktop entry string value.
QString AutostartEntry::desktopString(const QString &value)
{
    QString out;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

namespace {
// One Exec argument in double quotes; inside them ", `, $ and \ take a backslash,
// and % is doubled so that it is not read as a field code.
QString quoteExecArgument(const QString &argument)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        if (c == '%')
            out += '%';
        out += c;
    }
    return out + '"';
}
} // namespace

QString AutostartEntry::desktopExec(const QString &program, const QString &arguments)
{
    QString args = arguments;
    args.replace('%', QLatin1String("%%"));
    return desktopString(quoteExecArgument(program) + args);
}
