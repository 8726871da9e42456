#include "app/WindowActivation.h"

#include <QApplication>
#include <QWidget>

bool activateTopLevelWindow(const QString &title)
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets) {
        if (widget->isWindow() && widget->windowTitle() == title) {
            widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
            widget->show();
            widget->raise();
            widget->activateWindow();
            return true;
        }
    }
    return false;
}
