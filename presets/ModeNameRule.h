#pragma once

#include <QString>

// The one rule for a custom mode's name, whatever it comes from (the window's
// field, the command line, a mode file, a config.json written elsewhere), and
// how text that did not pass it is shown: a name ends up in status bars and
// terminals, where a line break splits it and an escape sequence is obeyed.
namespace ModeNameRule {

// As many characters as the window's name field takes.
constexpr int kMaxLength = 20;
// Quoted text from a file is cut to this many characters in a message.
constexpr int kMaxQuoted = 40;

// C0, DEL, C1 and the line and paragraph separators.
bool isControl(QChar character);
bool hasControl(const QString &text);

enum class Problem { None, Empty, TooLong, Control };
Problem check(const QString &name);

// The refusal of a problem as a sentence to translate (context "ReceiverModel"),
// with %1 where its number goes; empty for Problem::None.
const char *text(Problem problem);
// The number text(problem) carries, or kNoNumber.
constexpr int kNoNumber = -1;
int number(Problem problem);
// The refusal in English, as a clause: "a name has at most 20 characters".
QString message(Problem problem);

// The text on one line, each control character written as an escape
// (\n, \t, \e, \xHH, \uHHHH); other text as it is.
QString escaped(const QString &text);
// Text from a file, for a message: escaped and cut to kMaxQuoted with "…".
QString quoted(const QString &text);

} // namespace ModeNameRule
