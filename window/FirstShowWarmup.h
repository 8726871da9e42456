#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <deque>
#include <functional>

// Does the first-show work of what is not on screen yet while the program has
// nothing else to do: work handed over by the window (the device page's style
// sheets and pictures, which the no-receiver page covers), then style polish
// of every hidden widget. One piece per turn of the event loop, so no turn is
// long, and the device page or a tab shown later comes up within a frame
// instead of doing it all at once. A hidden plot is not drawn: its pixels wait
// for its first show.
class FirstShowWarmup : public QObject
{
public:
    explicit FirstShowWarmup(QObject *parent = nullptr);

    // Work to do before any polish, in the order given.
    void addStep(std::function<void()> step);
    // Does the work handed over and not done yet at once: what it prepares is
    // about to be shown.
    void finishSteps();

    // Work for a hidden widget that waits for its first show instead (what it
    // keeps, nobody needs before); done once, before that show's paint.
    static void atFirstShow(QWidget *widget, std::function<void()> work);

    // Queues every hidden widget under root, parents first, and starts after
    // the events already posted (the window's first paint among them).
    void start(QWidget *root);
    bool done() const { return m_steps.empty() && m_pending.empty(); }

private:
    void step();
    void scheduleStep();

    std::deque<std::function<void()>> m_steps;
    std::deque<QPointer<QWidget>> m_pending;
    bool m_scheduled = false;
};
