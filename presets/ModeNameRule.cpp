#include "presets/ModeNameRule.h"

#include <algorithm>

namespace ModeNameRule {

bool isControl(QChar character)
{
    const ushort code = character.unicode();
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029;
}

bool hasControl(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), isControl);
}

Problem check(const QString &name)
{
    if (name.trimmed().isEmpty())
        return Problem::Empty;
    if (hasControl(name))
        return Problem::Control;
    if (name.size() > kMaxLength)
        return Problem::TooLong;
    return Problem::None;
}

const char *text(Problem problem)
{
    switch (problem) {
    case Problem::None:
        break;
    case Problem::Empty:
        return QT_TRANSLATE_NOOP("ReceiverModel", "A mode needs a name");
    case Problem::TooLong:
        return QT_TRANSLATE_NOOP("ReceiverModel", "A name has at most %1 characters");
    case Problem::Control:
        return QT_TRANSLATE_NOOP("ReceiverModel",
                                 "A name cannot hold line breaks, tabs or other control characters");
    }
    return "";
}

int number(Problem problem)
{
    return problem == Problem::TooLong ? kMaxLength : kNoNumber;
}

QString message(Problem problem)
{
    QString clause = QString::fromUtf8(text(problem));
    if (number(problem) != kNoNumber)
        clause = clause.arg(number(problem));
    if (!clause.isEmpty())
        clause[0] = clause[0].toLower();
    return clause;
}

QString escaped(const QString &text)
{
    if (!hasControl(text))
        return text;
    QString shown;
    shown.reserve(text.size() + 8);
    for (const QChar character : text) {
        const ushort code = character.unicode();
        if (!isControl(character))
            shown += character;
        else if (code == '\n')
            shown += QLatin1String("\\n");
        else if (code == '\r')
            shown += QLatin1String("\\r");
        else if (code == '\t')
            shown += QLatin1String("\\t");
        else if (code == 0x1B)
            shown += QLatin1String("\\e");
        else if (code <= 0xFF)
            shown += QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
        else
            shown += QStringLiteral("\\u%1").arg(code, 4, 16, QLatin1Char('0'));
    }
    return shown;
}

QString quoted(const QString &text)
{
    const QString shown = escaped(text);
    return shown.size() <= kMaxQuoted ? shown : shown.left(kMaxQuoted) + QChar(0x2026);
}

} // namespace ModeNameRule
