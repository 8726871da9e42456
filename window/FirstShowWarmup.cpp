#include "window/FirstShowWarmup.h"

#include <QEvent>
#include <QTimer>
#include <qcustomplot.h>

FirstShowWarmup::FirstShowWarmup(QObject *parent) : QObject(parent) {}

namespace {
class ShowWatch : public QObject
{
public:
    ShowWatch(QWidget *widget, std::function<void()> work) : QObject(widget), m_work(std::move(work))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show && m_work) {
            const std::function<void()> work = std::move(m_work);
            m_work = nullptr;
            work();
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_work;
};
} // namespace

void FirstShowWarmup::atFirstShow(QWidget *widget, std::function<void()> work)
{
    if (widget->isVisible())
        work();
    else
        new ShowWatch(widget, std::move(work));
}

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
            // A plot only learns its size: its paint buffer (half a megabyte and
            // more) is made when it is first drawn, on its tab's first show.
            if (auto *plot = qobject_cast<QCustomPlot *>(widget.data()))
                plot->setViewport(plot->rect());
            break;
        }
    }
    scheduleStep();
}
