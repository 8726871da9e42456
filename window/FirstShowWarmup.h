#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <deque>

// Does the first-show work of the widgets that are not on screen yet while
// the program has nothing else to do: style polish, and a plot's first layout
// and drawing (its background scaled, its labels laid out). One widget per
// turn of the event loop, so no turn is long, and the device page or a tab
// shown later comes up within a frame instead of doing it all at once.
class FirstShowWarmup : public QObject
{
public:
    explicit FirstShowWarmup(QObject *parent = nullptr);

    // Queues every hidden widget under root, parents first, and starts after
    // the events already posted (the window's first paint among them).
    void start(QWidget *root);
    bool done() const { return m_pending.empty(); }

private:
    void step();

    std::deque<QPointer<QWidget>> m_pending;
};
