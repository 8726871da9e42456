#include "window/EqualizerPlotStyle.h"

#include <qcustomplot.h>

namespace {
const QColor kAxisGrey(120, 120, 120, 255);
const QColor kGround(13, 10, 42, 255);
const QString kGroundPicture = QStringLiteral(":/controls/pic/control/Background3.png");
constexpr Qt::AspectRatioMode kGroundScaling = Qt::KeepAspectRatioByExpanding;

// The ground picture scaled to an axis rect's size, as the plot would scale
// it, held once per window for every panel of that size. Each plot would
// otherwise keep its own scaled copy next to the decoded picture (1.3 MB for
// the two tabs). Read past the pixmap cache, so the unscaled picture goes once
// scaled. Owned by the window, so no pixmap outlives the application.
class ScaledGround : public QObject
{
public:
    explicit ScaledGround(QObject *window) : QObject(window)
    {
        setObjectName(QStringLiteral("scaledGround"));
    }

    static ScaledGround *of(QWidget *plot)
    {
        QWidget *const window = plot->window();
        auto *held = dynamic_cast<ScaledGround *>(
            window->findChild<QObject *>(QStringLiteral("scaledGround"), Qt::FindDirectChildrenOnly));
        return held ? held : new ScaledGround(window);
    }

    QPixmap forAxisRect(const QSize &size)
    {
        if (m_scaled.isNull() || m_for != size) {
            const QPixmap picture = QPixmap::fromImage(QImage(kGroundPicture));
            m_scaled = picture.scaled(size, kGroundScaling, Qt::SmoothTransformation);
            m_for = size;
        }
        return m_scaled;
    }

private:
    QSize m_for;
    QPixmap m_scaled;
};
// A style sheet's polish (the page's sheets come after the plots are styled)
// clears the opaque mark; it is set again after each.
class KeepOpaque : public QObject
{
public:
    explicit KeepOpaque(QWidget *widget) : QObject(widget)
    {
        widget->setAttribute(Qt::WA_OpaquePaintEvent);
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Polish || event->type() == QEvent::StyleChange)
            static_cast<QWidget *>(watched)->setAttribute(Qt::WA_OpaquePaintEvent);
        return false;
    }
};
} // namespace

void dropEmptyOverlayBuffer(QCustomPlot *plot)
{
    // Nothing is drawn on the overlay layer, yet as a buffered layer it has a
    // paint buffer the size of the plot; drawn with the others it costs nothing.
    if (QCPLayer *overlay = plot->layer(QStringLiteral("overlay")))
        overlay->setMode(QCPLayer::lmLogical);
    // Its ground is an opaque colour over the whole plot: saying so spares
    // drawing the page's pictures under it at each of the spectrum's frames.
    new KeepOpaque(plot);
}

void styleEqualizerPlot(QCustomPlot *plot)
{
    QLinearGradient gradient(0, 0, 0, 0);
    gradient.setColorAt(0, kGround);
    plot->setBackground(QBrush(gradient));
    plot->legend->setBrush(QBrush(QColor(255, 255, 255, 0), Qt::SolidPattern));
    dropEmptyOverlayBuffer(plot);
    // Given its picture once laid out, already at the axis rect's size: the
    // plot then finds nothing to scale and draws the shared copy.
    QCPAxisRect *const rect = plot->axisRect(0);
    QObject::connect(plot, &QCustomPlot::afterLayout, rect, [plot, rect] {
        const QSize size = rect->rect().size();
        if (size.isEmpty())
            return;
        const QPixmap ground = ScaledGround::of(plot)->forAxisRect(size);
        if (rect->background().cacheKey() != ground.cacheKey())
            rect->setBackground(ground, true, kGroundScaling);
    });

    QCPAxis *bottom = plot->xAxis;
    bottom->setRange(0, 10);
    bottom->setTicks(false);
    bottom->grid()->setVisible(false);
    bottom->setBasePen(QPen(kAxisGrey));
    bottom->setTickPen(QPen(kAxisGrey));
    bottom->setSubTickPen(QPen(kAxisGrey));
    bottom->setPadding(30);

    QCPAxis *left = plot->yAxis;
    left->setRange(-12.7, 12.5);
    left->setTickLabelSide(QCPAxis::lsOutside);
    left->setTickLength(0, 5);
    left->setSubTickLength(0, 2);
    left->setTickLabelPadding(5);
    left->setPadding(20);
    left->setTickLabelColor(Qt::white);
    left->setBasePen(QPen(kAxisGrey));
    left->setTickPen(QPen(kAxisGrey));
    left->setSubTickPen(QPen(kAxisGrey));
    left->grid()->setPen(
        QPen(QBrush(kAxisGrey, Qt::SolidPattern), 1.0, Qt::DotLine, Qt::SquareCap, Qt::BevelJoin));
}
