#include "window/ModeNameElider.h"

#include <QAbstractButton>
#include <QEvent>
#include <QStyle>
#include <QStyleOptionButton>

namespace {
const char *const kNameProperty = "modeName";
// Kept free after a name, so that it does not run into the next indicator.
constexpr int kGap = 8;
} // namespace

ModeNameElider::ModeNameElider(QObject *parent) : QObject(parent) {}

void ModeNameElider::watch(QAbstractButton *button)
{
    QSizePolicy policy = button->sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::Ignored);
    button->setSizePolicy(policy);
    button->installEventFilter(this);
}

void ModeNameElider::setName(QAbstractButton *button, const QString &name)
{
    button->setProperty(kNameProperty, name);
    elide(button);
}

QString ModeNameElider::name(const QAbstractButton *button)
{
    const QVariant name = button->property(kNameProperty);
    return name.isValid() ? name.toString() : button->text();
}

bool ModeNameElider::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize)
        elide(static_cast<QAbstractButton *>(watched));
    return QObject::eventFilter(watched, event);
}

void ModeNameElider::elide(QAbstractButton *button)
{
    const QString whole = name(button);
    button->ensurePolished();
    QStyleOptionButton option;
    option.initFrom(button);
    const int room =
        button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button).width() - kGap;
    const QString shown = button->fontMetrics().elidedText(whole, Qt::ElideRight, room);
    button->setText(shown);
    button->setToolTip(shown == whole ? QString() : whole);
}
