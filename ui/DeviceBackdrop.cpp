#include "ui/DeviceBackdrop.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QTimer>
#include <QWidget>

namespace {

const QColor kNavy(10, 6, 30);

// Rows painted at a time into a scratch picture: small enough to stay in the
// heap (not a fresh mapping per band), large enough to keep the calls few.
constexpr int kBandRows = 24;

struct Glow
{
    QPointF centre;
    qreal radius;
    int alpha;
};

// The lower-left glow first: the picture was drawn in this order.
const Glow kGlows[] = {
    {QPointF(120, 720), 520, 46},
    {QPointF(1176, 80), 420, 30},
};

// A part repainted again and again (under the spectrum, 30 times a second, or
// under the speaker test's animations) is kept as drawn while that goes on,
// and let go once it has not been asked for a while.
constexpr int kKeepRepeatedMs = 2000;

class BackdropPainter : public QObject
{
public:
    explicit BackdropPainter(QWidget *widget) : QObject(widget)
    {
        widget->installEventFilter(this);
        m_release.setSingleShot(true);
        m_release.setInterval(kKeepRepeatedMs);
        connect(&m_release, &QTimer::timeout, this, [this] {
            m_kept = QImage();
            m_keptRect = QRect();
        });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        const QRect exposed = static_cast<QPaintEvent *>(event)->rect() &
                              QRect(0, 0, DeviceBackdrop::kWidth, DeviceBackdrop::kHeight);
        if (exposed.isEmpty())
            return true;
        QPainter screen(static_cast<QWidget *>(watched));
        if (exposed == m_keptRect) {
            screen.drawImage(exposed.topLeft(), m_kept);
            m_release.start();
            return true;
        }
        // The second time in a row for the same part: keep what is drawn.
        const bool keep = exposed == m_lastRect;
        m_lastRect = exposed;
        QImage piece;
        if (keep)
            piece = QImage(exposed.size(), QImage::Format_ARGB32_Premultiplied);
        // Rows from the left edge into the scratch picture, then only the
        // exposed part of them to the screen (the widget's painter is clipped to it).
        QImage band(DeviceBackdrop::kWidth, kBandRows, QImage::Format_ARGB32_Premultiplied);
        for (int top = exposed.top(); top <= exposed.bottom(); top += kBandRows) {
            const int rows = qMin(kBandRows, exposed.bottom() + 1 - top);
            {
                QPainter scratch(&band);
                scratch.translate(0, -top);
                DeviceBackdrop::paint(scratch, top, rows, exposed.right() + 1);
            }
            screen.drawImage(QPoint(0, top), band, QRect(0, 0, exposed.right() + 1, rows));
            if (keep) {
                QPainter copy(&piece);
                copy.setCompositionMode(QPainter::CompositionMode_Source);
                copy.drawImage(QPoint(0, top - exposed.top()), band,
                               QRect(exposed.left(), 0, exposed.width(), rows));
            }
        }
        if (keep) {
            m_kept = piece;
            m_keptRect = exposed;
            m_release.start();
        }
        return true;
    }

private:
    QRect m_lastRect;
    QRect m_keptRect;
    QImage m_kept;
    QTimer m_release;
};

} // namespace

void DeviceBackdrop::paint(QPainter &painter, int firstRow, int rows, int width)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area(0, firstRow, width, rows);
    painter.fillRect(area, kNavy);
    for (const Glow &glow : kGlows) {
        // Rows the glow does not reach stay navy: its outer stop is transparent.
        if (firstRow + rows <= glow.centre.y() - glow.radius || firstRow >= glow.centre.y() + glow.radius)
            continue;
        QRadialGradient gradient(glow.centre, glow.radius);
        gradient.setColorAt(0, QColor(108, 0, 255, glow.alpha));
        gradient.setColorAt(1, QColor(108, 0, 255, 0));
        painter.fillRect(area, gradient);
    }
}

void DeviceBackdrop::paintOnto(QWidget *widget)
{
    new BackdropPainter(widget);
    // Opaque: nothing under it needs drawing.
    widget->setAttribute(Qt::WA_OpaquePaintEvent);
}
