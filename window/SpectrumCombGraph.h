#pragma once

#include <QVector>
#include <qcustomplot.h>

// The spectrum panel's graph: the same data, pen and brush as a plain graph
// with its area filled down to the key axis, drawn as one small convex piece
// per segment. A software rasteriser fills 229 convex pieces some thirty times
// faster than one polygon with 115 spikes, which is what keeps the animated
// spectrum cheap.
class SpectrumCombGraph : public QCPGraph
{
public:
    SpectrumCombGraph(QCPAxis *keyAxis, QCPAxis *valueAxis);

protected:
    void draw(QCPPainter *painter) override;

private:
    QVector<QPointF> m_points; // kept between frames: no allocation per frame
};
