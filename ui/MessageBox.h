#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every modal box of the program goes through here, so that tests can see what
// would have been shown and answer it without a blocking event loop.
class MessageBox
{
public:
    enum class Kind { Information, Warning };

    struct Shown
    {
        Kind kind;
        QString title;
        QString text;
    };

    using Handler = std::function<void(const Shown &)>;

    static void information(QWidget *parent, const QString &title, const QString &text);
    static void warning(QWidget *parent, const QString &title, const QString &text);

    // With a handler set, no box is shown: the handler gets what would have been shown.
    static void setHandler(Handler handler);
    static void clearHandler();

private:
    static void show(QWidget *parent, Kind kind, const QString &title, const QString &text);
};
