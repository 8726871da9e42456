#include "window/SpectrumCombGraph.h"

SpectrumCombGraph::SpectrumCombGraph(QCPAxis *keyAxis, QCPAxis *valueAxis) : QCPGraph(keyAxis, valueAxis) {}

void SpectrumCombGraph::draw(QCPPainter *painter)
{
    if (!mKeyAxis || !mValueAxis || mDataContainer->isEmpty())
        return;

    m_points.resize(mDataContainer->size());
    int count = 0;
    for (auto it = mDataContainer->constBegin(); it != mDataContainer->constEnd(); ++it)
        m_points[count++] = coordsToPixels(it->key, it->value);

    // The fill reaches down to value 0, or to the edge of the axis range.
    const QCPRange range = mValueAxis->range();
    const double baseValue = qBound(range.lower, 0.0, range.upper);
    const bool horizontal = mKeyAxis->orientation() == Qt::Horizontal;
    auto onBase = [&](const QPointF &p) {
        const QPointF base = coordsToPixels(0, baseValue);
        return horizontal ? QPointF(p.x(), base.y()) : QPointF(base.x(), p.y());
    };

    if (mBrush.style() != Qt::NoBrush && mBrush.color().alpha() != 0) {
        applyFillAntialiasingHint(painter);
        painter->setPen(Qt::NoPen);
        painter->setBrush(mBrush);
        for (int i = 0; i + 1 < count; ++i) {
            const QPointF piece[4] = {onBase(m_points[i]), m_points[i], m_points[i + 1],
                                      onBase(m_points[i + 1])};
            painter->drawConvexPolygon(piece, 4);
        }
    }
    if (mPen.style() != Qt::NoPen && mPen.color().alpha() != 0) {
        applyDefaultAntialiasingHint(painter);
        painter->setPen(mPen);
        painter->setBrush(Qt::NoBrush);
        painter->drawPolyline(m_points.constData(), count);
    }
}
