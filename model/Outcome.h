#pragma once

#include <QString>

// How a call on the model went, and so how a request of the command line or
// the bus went: one convention for every refusal. A refusal carries the text a
// person is shown.
enum class ModelResult {
    Ok,
    NoReceiver, // nothing attached to act on
    NotOffered, // the receiver refuses it (7.1 on a stereo-only receiver)
    NoSuchMode, // no mode of that name or slot
    Ambiguous,  // the name fits modes of both tabs, or a built-in and a custom one
    NoSlot,     // a custom mode beyond the five a tab shows
    NotCustom,  // gains and names belong to custom modes only
    NameTaken,  // another mode of the tab has that name
    BadName,    // breaks ModeNameRule: empty, too long, or with control characters
    Full,       // the tab already keeps five custom modes
    NotKept,    // the store keeps no custom modes for this receiver (no identity)
    // Of a request rather than the model:
    NoSuchRule, // no rule for that application
    BadRequest, // not one the program takes: malformed, an unknown tab, gains out of range
    Busy,       // too many requests or watchers at once
    NotTaken,   // the receiver did not take or answer what was sent
    NotSaved,   // done, but the file keeping it could not be written
};

struct ModelOutcome
{
    // An Outcome's argument when its text has no number.
    static constexpr int kNoArgument = -1;

    ModelResult result = ModelResult::Ok;
    QString message; // in English: the command line answers with it
    // The same text before its number, for the window to translate.
    const char *text = "";
    int argument = kNoArgument;
    bool ok() const { return result == ModelResult::Ok; }

    // A refusal composed where it is made, in English only: the command line's answers.
    static ModelOutcome said(ModelResult result, const QString &message)
    {
        return {result, message, "", kNoArgument};
    }

    static ModelOutcome refused(ModelResult result, const char *text, int argument = kNoArgument)
    {
        QString message = QString::fromUtf8(text);
        if (argument != kNoArgument)
            message = message.arg(argument);
        return {result, message, text, argument};
    }
};
