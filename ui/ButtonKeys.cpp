#include "ui/ButtonKeys.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QKeyEvent>
#include <algorithm>

bool ButtonKeys::eventFilter(QObject *watched, QEvent *event)
{
    auto *button = qobject_cast<QAbstractButton *>(watched);
    if (!button || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return QObject::eventFilter(watched, event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (button->isEnabled())
            button->click();
        return true;
    case Qt::Key_Right:
    case Qt::Key_Down:
        return moveInGroup(button, 1);
    case Qt::Key_Left:
    case Qt::Key_Up:
        return moveInGroup(button, -1);
    default:
        return QObject::eventFilter(watched, event);
    }
}

bool ButtonKeys::moveInGroup(QAbstractButton *from, int step)
{
    const QButtonGroup *group = from->group();
    if (!group)
        return false;
    // In reading order: rows top to bottom, each from the left.
    QList<QAbstractButton *> buttons = group->buttons();
    const auto place = [](const QAbstractButton *b) {
        const QPoint p = b->mapTo(b->window(), QPoint(0, 0));
        return qMakePair(p.y(), p.x());
    };
    std::stable_sort(buttons.begin(), buttons.end(),
                     [&](const QAbstractButton *a, const QAbstractButton *b) { return place(a) < place(b); });
    const int count = buttons.size();
    const int at = buttons.indexOf(from);
    for (int i = 1; i < count; ++i) {
        QAbstractButton *const next = buttons[((at + step * i) % count + count) % count];
        if (next->isVisible() && next->isEnabled()) {
            next->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            next->click();
            return true;
        }
    }
    return true;
}
