#pragma once

#include <QPointer>
#include <QWidget>

// The keyboard focus made plain: a frame drawn around the control that has the
// focus while the person works with the keys. The first mouse press takes it
// away again, so that whoever uses the mouse sees the window as without it.
// Lies over its window's widgets and takes no input of its own.
class FocusMark : public QWidget
{
public:
    explicit FocusMark(QWidget *window);

    // The control the frame is drawn around, or null while none is shown.
    QWidget *target() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void follow(QWidget *focus);
    QRect markedArea(QWidget *focus) const;

    bool m_keyboard = false;
    QPointer<QWidget> m_target;
};
