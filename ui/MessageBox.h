#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Every box of the program goes through here, so that tests can see what
// would have been shown. A box is shown and left: the caller goes on at once,
// and nothing waits for the user to close it.
class MessageBox
{
public:
    enum class Kind { Information, Warning, Question };

    struct Shown
    {
        Kind kind;
        QString title;
        QString text;
        // A question's buttons, and how one is pressed (its index).
        QStringList choices = {};
        std::function<void(int)> answer = nullptr;
    };

    using Handler = std::function<void(const Shown &)>;

    static void information(QWidget *parent, const QString &title, const QString &text);
    static void warning(QWidget *parent, const QString &title, const QString &text);
    // Waits until the box is closed: only for a process that has nothing else
    // to do (a second start saying that VoxBench runs already).
    static void informationAndWait(QWidget *parent, const QString &title, const QString &text);
    static void warningAndWait(QWidget *parent, const QString &title, const QString &text);

    // A question with a button per choice: `answered` gets the index of the one
    // pressed, later; -1 when the box is closed another way.
    static void ask(QWidget *parent, const QString &title, const QString &text, const QStringList &choices,
                    std::function<void(int)> answered);

    // With a handler set, no box is shown: the handler gets what would have been shown.
    static void setHandler(Handler handler);
    static void clearHandler();

private:
    static void show(QWidget *parent, Kind kind, const QString &title, const QString &text,
                     bool wait = false);
};
