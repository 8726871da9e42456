#include "window/SpectrumCombGraph.h"

#include <cmath>

SpectrumCombGraph::SpectrumCombGraph(QCPAxis *keyAxis, QCPAxis *valueAxis) : QCPGraph(keyAxis, valueAxis) {}

void SpectrumCombGraph::draw(QCPPainter *painter)
{
    if (!mKeyAxis || !mValueAxis || mDataContainer->size() < 2)
        return;
    // The column fill covers the common case of the panel; anything else is
    // left to the plain graph.
    const bool solid = mBrush.style() == Qt::SolidPattern;
    if (mKeyAxis->orientation() != Qt::Horizontal || (!solid && mBrush.style() != Qt::NoBrush) ||
        mLineStyle != lsLine) {
        QCPGraph::draw(painter);
        return;
    }

    m_points.resize(mDataContainer->size());
    int count = 0;
    for (auto it = mDataContainer->constBegin(); it != mDataContainer->constEnd(); ++it)
        m_points[count++] = coordsToPixels(it->key, it->value);
    if (mKeyAxis->rangeReversed())
        std::reverse(m_points.begin(), m_points.begin() + count);

    if (solid && mBrush.color().alpha() != 0) {
        // The area down to value 0, or to the edge of the value range, one
        // pixel column at a time, each as high as the curve gets inside it, so
        // that spikes narrower than a pixel keep their peaks.
        const QCPRange range = mValueAxis->range();
        const double baseY = mValueAxis->coordToPixel(qBound(range.lower, 0.0, range.upper));
        int segment = 0;
        auto curveAt = [&](double x) {
            while (segment + 2 < count && m_points[segment + 1].x() < x)
                ++segment;
            const QPointF &p = m_points[segment];
            const QPointF &q = m_points[segment + 1];
            const double span = q.x() - p.x();
            const double t = span > 0 ? qBound(0.0, (x - p.x()) / span, 1.0) : 0.0;
            return p.y() + t * (q.y() - p.y());
        };
        m_columns.clear();
        int next = 0; // first point not yet inside a column
        const double last = m_points[count - 1].x();
        for (double left = std::floor(m_points[0].x()); left < last; left += 1.0) {
            const double right = qMin(left + 1.0, last);
            double top = qMin(curveAt(qMax(left, m_points[0].x())), curveAt(right));
            while (next < count && m_points[next].x() <= right) {
                top = qMin(top, m_points[next].y());
                ++next;
            }
            m_columns.append(QLineF(left + 0.5, baseY, left + 0.5, top));
        }
        painter->setAntialiasing(false);
        QPen column(mBrush.color(), 1.0);
        column.setCapStyle(Qt::FlatCap);
        painter->setPen(column);
        painter->drawLines(m_columns);
    }
    if (mPen.style() != Qt::NoPen && mPen.color().alpha() != 0) {
        applyDefaultAntialiasingHint(painter);
        painter->setPen(mPen);
        painter->setBrush(Qt::NoBrush);
        painter->drawPolyline(m_points.constData(), count);
    }
}
