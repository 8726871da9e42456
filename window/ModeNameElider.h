#pragma once

#include <QObject>
#include <QString>

class QAbstractButton;

// Custom-mode names on their buttons: a name wider than its button is cut
// with "…" and shown whole as the tool tip, again whenever the strip gives
// the button another width. The whole name stays what the window reads back.
class ModeNameElider : public QObject
{
public:
    explicit ModeNameElider(QObject *parent = nullptr);

    // The strip's buttons share its width equally, whatever their names.
    void watch(QAbstractButton *button);

    static void setName(QAbstractButton *button, const QString &name);
    static QString name(const QAbstractButton *button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static void elide(QAbstractButton *button);
};
