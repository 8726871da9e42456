// The live spectrum panel: a comb of 115 spikes, one frame per animation tick.
#include "window/VoxBench.h"

#include "window/EqualizerPlotStyle.h"
#include "window/SpectrumCombGraph.h"

#include <qcustomplot.h>

namespace {
constexpr int kCombKeys = 230;
constexpr double kFloor = 1.0;
} // namespace

void VoxBench::initSpectrumPlot()
{
    QCustomPlot *plot = ui.widget_Spectrum;

    QLinearGradient gradient(0, 0, 0, 0);
    gradient.setColorAt(0, QColor(13, 10, 42, 255));
    plot->setBackground(QBrush(gradient));
    dropEmptyOverlayBuffer(plot);
    plot->legend->setBrush(QBrush(QColor(255, 255, 255, 0)));

    QCPAxis *keys = plot->xAxis;
    keys->setRange(0, kCombKeys);
    keys->setTicks(false);
    keys->setBasePen(QPen(QColor(13, 10, 42, 255)));
    keys->setPadding(30);
    keys->setTickLengthIn(0);
    keys->setSubTickLengthIn(0);
    keys->grid()->setVisible(false);

    QCPAxis *levels = plot->yAxis;
    levels->setRange(0, 100);
    levels->grid()->setVisible(false);
    levels->setVisible(false);

    // Registers itself with the plot as graph 0.
    QCPGraph *graph = new SpectrumCombGraph(plot->xAxis, plot->yAxis);
    graph->setPen(QPen(QColor(72, 42, 142, 255)));
    graph->setBrush(QBrush(QColor(11, 213, 234, 255), Qt::SolidPattern));
    graph->setName(QStringLiteral("test1"));
    // Aliased, the comb costs a tenth of its antialiased self, with no visible
    // difference at this size.
    graph->setAntialiasedFill(false);
}

void VoxBench::drawSpectrum(const quint8 *frame)
{
    QCustomPlot *plot = ui.widget_Spectrum;
    // Nobody sees a hidden panel; the smoother has already moved on, which is all
    // a later frame needs.
    if (!plot->isVisible() || isMinimized() || plot->graphCount() == 0)
        return;

    // Key 2j is the floor, key 2j+1 the spike of frame[j]; frame[114] is the
    // zero byte after the frame.
    const QSharedPointer<QCPGraphDataContainer> data = plot->graph(0)->data();
    if (data->size() != kCombKeys) {
        QVector<double> keys(kCombKeys);
        QVector<double> values(kCombKeys);
        for (int k = 0; k < kCombKeys; ++k) {
            keys[k] = k;
            values[k] = (k % 2 == 0) ? kFloor : frame[k / 2];
        }
        plot->graph(0)->setData(keys, values, true);
    } else {
        // Same keys every tick: rewrite the values in place, no allocation.
        int k = 0;
        for (auto it = data->begin(); it != data->end(); ++it, ++k)
            it->value = (k % 2 == 0) ? kFloor : frame[k / 2];
    }
    plot->replot(QCustomPlot::rpQueuedReplot);
}
