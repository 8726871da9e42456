#include "ui/FocusMark.h"

#include "ui/VoxBenchStyle.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QTabBar>

FocusMark::FocusMark(QWidget *window) : QWidget(window)
{
    setObjectName(QStringLiteral("focusMark"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { follow(now); });
}

QWidget *FocusMark::target() const
{
    return isVisible() ? m_target.data() : nullptr;
}

bool FocusMark::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == window()) {
            m_keyboard = true;
            // After the key has done its work: a tab switched, a box grown.
            QMetaObject::invokeMethod(
                this, [this] { follow(QApplication::focusWidget()); }, Qt::QueuedConnection);
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (m_keyboard) {
            m_keyboard = false;
            follow(nullptr);
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        // The tab bar moves its frame when the current tab changes.
        if (watched == m_target)
            follow(m_target);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void FocusMark::follow(QWidget *focus)
{
    if (focus && (!m_keyboard || focus->window() != window() || !focus->isVisible()))
        focus = nullptr;
    m_target = focus;
    if (!focus) {
        hide();
        return;
    }
    setGeometry(markedArea(focus));
    raise();
    show();
    update();
}

// Around the control, a little outside it; on the tab bar around its current tab.
QRect FocusMark::markedArea(QWidget *focus) const
{
    QRect area = focus->rect();
    if (const auto *bar = qobject_cast<const QTabBar *>(focus)) {
        if (bar->currentIndex() >= 0)
            area = bar->tabRect(bar->currentIndex());
    }
    const int gap = VoxBenchStyle::focusMarkWidth + 1;
    area = QRect(focus->mapTo(window(), area.topLeft()), area.size()).adjusted(-gap, -gap, gap, gap);
    return area.intersected(window()->rect());
}

void FocusMark::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor colour = QColor::fromRgb(VoxBenchStyle::focusMarkRgb);
    const int w = VoxBenchStyle::focusMarkWidth;
    const QRect r = rect();
    painter.fillRect(QRect(r.left(), r.top(), r.width(), w), colour);
    painter.fillRect(QRect(r.left(), r.bottom() - w + 1, r.width(), w), colour);
    painter.fillRect(QRect(r.left(), r.top(), w, r.height()), colour);
    painter.fillRect(QRect(r.right() - w + 1, r.top(), w, r.height()), colour);
}
