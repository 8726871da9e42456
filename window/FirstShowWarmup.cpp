#include "window/FirstShowWarmup.h"

#include <QTimer>
#include <qcustomplot.h>

FirstShowWarmup::FirstShowWarmup(QObject *parent) : QObject(parent) {}

void FirstShowWarmup::addStep(std::function<void()> step)
{
    m_steps.push_back(std::move(step));
}

void FirstShowWarmup::finishSteps()
{
    while (!m_steps.empty()) {
        const std::function<void()> work = std::move(m_steps.front());
        m_steps.pop_front();
        work();
    }
}

void FirstShowWarmup::start(QWidget *root)
{
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisible() && !widget->isWindow())
            m_pending.emplace_back(widget);
    }
    scheduleStep();
}

void FirstShowWarmup::scheduleStep()
{
    if (m_scheduled || done())
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, &FirstShowWarmup::step);
}

void FirstShowWarmup::step()
{
    m_scheduled = false;
    if (!m_steps.empty()) {
        const std::function<void()> work = std::move(m_steps.front());
        m_steps.pop_front();
        work();
    } else {
        while (!m_pending.empty()) {
            const QPointer<QWidget> widget = m_pending.front();
            m_pending.pop_front();
            // Shown meanwhile: its first show has done the work already.
            if (!widget || widget->isVisible())
                continue;
            widget->ensurePolished();
            if (auto *plot = qobject_cast<QCustomPlot *>(widget.data())) {
                // What the plot's first resize event would do; the one it gets
                // when shown then finds the scaled background and the layout ready.
                plot->setViewport(plot->rect());
                plot->replot();
            }
            break;
        }
    }
    scheduleStep();
}
