#pragma once

#include "presets/ModeType.h"

#include <QObject>

class QWidget;

// Lets a tab's custom-mode strip take one dropped file: a mode file or a
// published curve, imported there as a new custom mode.
class ModeFileDrop : public QObject
{
    Q_OBJECT
public:
    ModeFileDrop(QWidget *strip, ModeType type, QObject *parent = nullptr);

signals:
    void dropped(ModeType type, const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const ModeType m_type;
};
