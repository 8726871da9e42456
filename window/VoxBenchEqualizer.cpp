// The two equalizer panels, their sliders, and the PEQ sends with their gate.
#include "window/VoxBench.h"

#include "log/DebugLog.h"
#include "window/TabControls.h"

#include <QDebug>
#include <QMutexLocker>
#include <QSignalBlocker>
#include <qcustomplot.h>

namespace {
constexpr int kGateTicks = 500;
const QColor kAxisGrey(120, 120, 120, 255);

void setupEqualizerPanel(QCustomPlot *plot, const QBrush &background)
{
    plot->setBackground(background);
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
} // namespace

void VoxBench::initCustomPlot()
{
    qDebug() << "***** Init QCustomPlot! *****";
    for (QCustomPlot *plot : {ui.widget_Param_Stereo, ui.widget_Param_Surround}) {
        connect(plot, &QCustomPlot::mouseMove, this, &VoxBench::myCustomPlotMouseMoveEvent);
        connect(plot, &QCustomPlot::mousePress, this, &VoxBench::myCustomPlotMousePressEvent);
        connect(plot, &QCustomPlot::mouseRelease, this, &VoxBench::myCustomPlotMouseReleaseEvent);
    }
    QLinearGradient gradient(0, 0, 0, 0);
    gradient.setColorAt(0, QColor(13, 10, 42, 255));
    const QBrush background(gradient);
    setupEqualizerPanel(ui.widget_Param_Stereo, background);
    setupEqualizerPanel(ui.widget_Param_Surround, background);
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

int VoxBench::customModeCode(ModeType type, int slot) const
{
    return modeCode(tab(type).peqKind(), ModeSource::Custom, slot, m_headsetModel);
}

void VoxBench::sendCheckedCustomMode(ModeType type)
{
    for (int slot = 0; slot < kCustomSlots; ++slot) {
        if (customButton(type, slot)->isChecked())
            sendPEQParameter(int(tab(type).peqKind()), customModeCode(type, slot));
    }
}

// The gate counts ticks of a 1-ms timer only while it is armed; an idle
// window then wakes for nothing (a timer left running costs about 2% of a core).
void VoxBench::armPeqGate()
{
    m_peqGateArmed = 1;
    if (m_gateTimerId == 0)
        m_gateTimerId = startTimer(1, Qt::CoarseTimer);
}

void VoxBench::on_VerticalSlider_Stereo_ValueChange()
{
    armPeqGate();
    if (m_peqGateOpen == 0)
        return;
    m_peqGateOpen = 0;
    if (ui.tabWidget->currentIndex() != TabEncoding::kStereoPage)
        return;
    sendCheckedCustomMode(Stereo);
}

void VoxBench::on_VerticalSlider_Surround_ValueChange()
{
    armPeqGate();
    if (m_peqGateOpen == 0)
        return;
    m_peqGateOpen = 0;
    if (ui.tabWidget->currentIndex() != TabEncoding::kSurroundPage)
        return;
    qDebug() << "Surround slider change sent";
    sendCheckedCustomMode(Surround);
}

void VoxBench::gateTick()
{
    if (m_peqGateArmed != 1)
        return;
    if (++m_peqGateTicks < kGateTicks)
        return;
    m_peqGateArmed = 0;
    m_peqGateTicks = 0;
    m_peqGateOpen = 1;
    killTimer(m_gateTimerId);
    m_gateTimerId = 0;
    sendHeldBackEdits();
}

// Edits made while the gate was closed reach the receiver when it opens; the
// gate stays open, so the next edit is sent at once as before.
void VoxBench::sendHeldBackEdits()
{
    const int page = ui.tabWidget->currentIndex();
    if (!TabEncoding::isModePage(page))
        return;
    const ModeType type = TabEncoding::typeOfPage(page);
    if (!tab(type).customize->isChecked())
        return;
    const Gains &sent = *tab(type).sentGains;
    const std::vector<int> shown = getSliderValue(type);
    if (std::equal(sent.begin(), sent.end(), shown.begin(), shown.end()))
        return;
    qDebug() << "Sending held-back equalizer edits";
    sendCheckedCustomMode(type);
}

int VoxBench::sendPEQParameter(int kind, int modeCode)
{
    writeDebugLog(QStringLiteral("send PEQ Param"), QStringLiteral("start"), QStringLiteral("VoxBench"),
                  QStringLiteral("sendPEQParameter"), 804);
    if (kind != int(PeqKind::Stereo) && kind != int(PeqKind::Surround))
        return 0;
    const ModeType type = TabEncoding::typeOfPeqKind(PeqKind(kind));
    Gains &gains = *tab(type).sentGains;
    const std::vector<int> values = getSliderValue(type);
    std::copy(values.begin(), values.end(), gains.begin());
    m_session->uploadPeq(PeqKind(kind), modeCode, gains);
    return 0;
}

void VoxBench::setSliderValue(std::vector<int> datas, ModeType type)
{
    // A mode read from a file may hold fewer than ten gains: the rest are flat.
    datas.resize(kBands, 0);
    QMutexLocker locker(&m_sliderMutex);
    for (int band = 0; band < kBands - 1; ++band) {
        QSlider *slider = ui.bandSlider(tab(type).sliderPage(), band);
        const QSignalBlocker blocker(slider);
        slider->setValue(datas[band]);
    }
    // Only the last band signals, so a whole mode costs at most one send.
    ui.bandSlider(tab(type).sliderPage(), kBands - 1)->setValue(datas[kBands - 1]);
}

void VoxBench::resetSliderValue(ModeType type)
{
    setSliderValue(std::vector<int>(kBands, 0), type);
    if (type == Stereo)
        on_VerticalSlider_Stereo_ValueChange();
    else
        on_VerticalSlider_Surround_ValueChange();
}

void VoxBench::setSliderEnable(bool enabled, ModeType type)
{
    for (int band = 0; band < kBands; ++band)
        ui.bandSlider(tab(type).sliderPage(), band)->setEnabled(enabled);
}

std::vector<int> VoxBench::getSliderValue(ModeType type)
{
    std::vector<int> values;
    values.reserve(kBands);
    for (int band = 0; band < kBands; ++band)
        values.push_back(ui.bandSlider(tab(type).sliderPage(), band)->value());
    return values;
}
