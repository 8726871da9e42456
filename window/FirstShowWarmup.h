#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <deque>
#include <functional>

// Does the first-show work of what is not on screen yet while the program has
// nothing else to do: work handed over by the window (the device page's
// pictures, which the no-receiver page covers), then style polish of every
// hidden widget and a plot's first layout and drawing (its background scaled,
// its labels laid out). One piece per turn of the event loop, so no turn is
// long, and the device page or a tab shown later comes up within a frame
// instead of doing it all at once.
class FirstShowWarmup : public QObject
{
public:
    explicit FirstShowWarmup(QObject *parent = nullptr);

    // Work to do before any polish, in the order given.
    void addStep(std::function<void()> step);
    // Does the work handed over and not done yet at once: what it prepares is
    // about to be shown.
    void finishSteps();

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
