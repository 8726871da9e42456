#pragma once

#include <QProxyStyle>

// Tab-bar style that draws every tab label left-aligned, 10 px in from the
// tab's left edge, whatever alignment the tab bar asks for.
class CustomTabStyle : public QProxyStyle
{
    Q_OBJECT

public:
    CustomTabStyle();
    ~CustomTabStyle() override;

    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &pal, bool enabled,
                      const QString &text, QPalette::ColorRole textRole = QPalette::NoRole) const override;
};
