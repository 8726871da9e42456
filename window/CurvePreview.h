#pragma once

#include "presets/ModeFile.h"

#include <QDialog>

class QCustomPlot;
class QPushButton;

// What a dropped file would add, before it is added: the file's curve and the
// receiver's ten-band response on the equalizer's plot, the gains, the level
// shift and how far the bands are from the curve; Add or Cancel.
class CurvePreview : public QDialog
{
    Q_OBJECT
public:
    CurvePreview(const ModeFile::Reading &reading, const QString &fileName, QWidget *parent = nullptr);

    const ModeFile::Reading &reading() const { return m_reading; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *cancelButton() const { return m_cancel; }
    // The figures shown, one line each.
    QString summary() const { return m_summary; }

private:
    void plot(QCustomPlot *plot) const;
    QString describe() const;

    const ModeFile::Reading m_reading;
    QString m_summary;
    QPushButton *m_add = nullptr;
    QPushButton *m_cancel = nullptr;
};
