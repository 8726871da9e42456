#include "ui/CustomTabStyle.h"

#include <QPainter>

// No base style: the proxy wraps the application's style of the moment.
CustomTabStyle::CustomTabStyle() = default;

CustomTabStyle::~CustomTabStyle() = default;

void CustomTabStyle::drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &pal,
                                  bool enabled, const QString &text, QPalette::ColorRole textRole) const
{
    Q_UNUSED(flags);
    painter->save();
    painter->translate(10, 0);
    QStyle::drawItemText(painter, rect, Qt::AlignLeft | Qt::AlignVCenter, pal, enabled, text, textRole);
    painter->restore();
}
