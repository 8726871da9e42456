#include "window/EqualizerPlotStyle.h"

#include <qcustomplot.h>

namespace {
const QColor kAxisGrey(120, 120, 120, 255);
const QColor kGround(13, 10, 42, 255);
} // namespace

void styleEqualizerPlot(QCustomPlot *plot)
{
    QLinearGradient gradient(0, 0, 0, 0);
    gradient.setColorAt(0, kGround);
    plot->setBackground(QBrush(gradient));
    plot->legend->setBrush(QBrush(QColor(255, 255, 255, 0), Qt::SolidPattern));
    plot->axisRect(0)->setBackgroundScaledMode(Qt::KeepAspectRatioByExpanding);
    plot->axisRect(0)->setBackground(QPixmap(QStringLiteral(":/controls/pic/control/Background3.png")));

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
