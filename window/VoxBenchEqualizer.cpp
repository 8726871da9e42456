// The two equalizer panels and their sliders; the model paces the sends.
#include "window/VoxBench.h"

#include "window/EqualizerPlotStyle.h"
#include "window/TabControls.h"

#include <QDebug>
#include <QMutexLocker>
#include <QSignalBlocker>
#include <qcustomplot.h>

void VoxBench::initCustomPlot()
{
    qDebug() << "***** Init QCustomPlot! *****";
    for (QCustomPlot *plot : {ui.widget_Param_Stereo, ui.widget_Param_Surround}) {
        connect(plot, &QCustomPlot::mouseMove, this, &VoxBench::myCustomPlotMouseMoveEvent);
        connect(plot, &QCustomPlot::mousePress, this, &VoxBench::myCustomPlotMousePressEvent);
        connect(plot, &QCustomPlot::mouseRelease, this, &VoxBench::myCustomPlotMouseReleaseEvent);
    }
    styleEqualizerPlot(ui.widget_Param_Stereo);
    styleEqualizerPlot(ui.widget_Param_Surround);
    initSpectrumPlot();
}

void VoxBench::myCustomPlotMousePressEvent(QMouseEvent *event)
{
    qDebug() << "Equalizer panel press" << event->pos();
}

void VoxBench::myCustomPlotMouseReleaseEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
}

void VoxBench::myCustomPlotMouseMoveEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
}

void VoxBench::on_SLOTSetSliderValue(int value)
{
    Q_UNUSED(value);
    qDebug() << "SLOT Slider Value Change!";
}

void VoxBench::on_VerticalSlider_30_ActionTriggered_T(int value)
{
    qDebug() << "Slider 30 action" << value;
}

// A person moved a slider: the model takes the tab's gains and paces the sends.
void VoxBench::sliderEdited(ModeType type)
{
    const std::vector<int> values = getSliderValue(type);
    Gains gains{};
    std::copy(values.begin(), values.end(), gains.begin());
    m_model->setGains(type, gains);
}

void VoxBench::on_VerticalSlider_Stereo_ValueChange()
{
    sliderEdited(Stereo);
}

void VoxBench::on_VerticalSlider_Surround_ValueChange()
{
    sliderEdited(Surround);
}

void VoxBench::setSliderValue(std::vector<int> datas, ModeType type)
{
    // A mode read from a file may hold fewer than ten gains: the rest are flat.
    datas.resize(ReceiverLimits::kBands, 0);
    QMutexLocker locker(&m_sliderMutex);
    // Shown, not edited: no slider tells the model what it already holds.
    for (int band = 0; band < ReceiverLimits::kBands; ++band)
        ui.showBandGain(tab(type).sliderPage(), band, datas[band]);
}

void VoxBench::resetSliderValue(ModeType type)
{
    m_model->resetGains(type);
}

void VoxBench::setSliderEnable(bool enabled, ModeType type)
{
    for (int band = 0; band < ReceiverLimits::kBands; ++band)
        ui.bandSlider(tab(type).sliderPage(), band)->setEnabled(enabled);
}

std::vector<int> VoxBench::getSliderValue(ModeType type)
{
    std::vector<int> values;
    values.reserve(ReceiverLimits::kBands);
    for (int band = 0; band < ReceiverLimits::kBands; ++band)
        values.push_back(ui.bandSlider(tab(type).sliderPage(), band)->value());
    return values;
}
