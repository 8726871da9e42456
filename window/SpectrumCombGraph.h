#pragma once

#include <QLineF>
#include <QPointF>
#include <QVector>
#include <qcustomplot.h>

// The spectrum panel's graph: the same data, pen and brush as a plain graph
// with its area filled down to the key axis. A software rasteriser needs over
// ten milliseconds for the one polygon of 115 thin spikes that a plain graph
// fills; this graph fills the same area one pixel column at a time, as one
// batch of vertical lines, which costs a small fraction of that.
class SpectrumCombGraph : public QCPGraph
{
public:
    SpectrumCombGraph(QCPAxis *keyAxis, QCPAxis *valueAxis);

protected:
    void draw(QCPPainter *painter) override;

private:
    // Kept between frames: no allocation per frame.
    QVector<QPointF> m_points;
    QVector<QLineF> m_columns;
};
