#include "window/FirstShowWarmup.h"

#include <QTimer>
#include <qcustomplot.h>

FirstShowWarmup::FirstShowWarmup(QObject *parent) : QObject(parent) {}

void FirstShowWarmup::start(QWidget *root)
{
    const bool idle = m_pending.empty();
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisible() && !widget->isWindow())
            m_pending.emplace_back(widget);
    }
    if (idle && !m_pending.empty())
        QTimer::singleShot(0, this, &FirstShowWarmup::step);
}

void FirstShowWarmup::step()
{
    while (!m_pending.empty()) {
        const QPointer<QWidget> widget = m_pending.front();
        m_pending.pop_front();
        // Shown meanwhile: its first show has done the work already.
        if (!widget || widget->isVisible())
            continue;
        widget->ensurePolished();
        if (auto *plot = qobject_cast<QCustomPlot *>(widget.data())) {
            // What the plot's first resize event would do; the one it gets when
            // shown then finds the scaled background and the layout ready.
            plot->setViewport(plot->rect());
            plot->replot();
        }
        break;
    }
    if (!m_pending.empty())
        QTimer::singleShot(0, this, &FirstShowWarmup::step);
}
