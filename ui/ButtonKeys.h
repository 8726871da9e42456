#pragma once

#include <QObject>

class QAbstractButton;

// Keys on the window's buttons, watched as an event filter: Return and Enter
// press the focused button, as Space does; the arrows move along the button's
// group (the presets of a tab, its custom modes) in reading order, wrapping at
// the ends and skipping hidden ones, and choose the button they land on.
class ButtonKeys : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static bool moveInGroup(QAbstractButton *from, int step);
};
