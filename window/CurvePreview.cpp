#include "window/CurvePreview.h"

#include "model/ReceiverLimits.h"
#include "presets/BandFit.h"
#include "ui/VoxBenchStyle.h"
#include "window/EqualizerPlotStyle.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <qcustomplot.h>

namespace {
const QColor kViolet(108, 0, 255);
const QColor kCurveColour(255, 200, 61); // the focus frame's amber: apart from the violet bands
const QColor kNavy(10, 6, 30);
constexpr int kPlotWidth = 640;
constexpr int kPlotHeight = 300;
// The plot shows at least the receiver's range, and more where the curve goes beyond it.
constexpr double kRangeDb = 12.5;
constexpr double kMaxRangeDb = 30.0;

QString signedDb(double db)
{
    return (db >= 0.05 ? QStringLiteral("+") : QString()) + QString::number(db, 'f', 1);
}
} // namespace

CurvePreview::CurvePreview(const ModeFile::Reading &reading, const QString &fileName, QWidget *parent)
    : QDialog(parent), m_reading(reading)
{
    setObjectName(QStringLiteral("curvePreview"));
    setWindowTitle(tr("Add %1?").arg(fileName));
    setStyleSheet(QStringLiteral("QDialog { background-color: rgb(10, 6, 30); }"
                                 "QLabel { color: white; font: 14px; }") +
                  QLatin1String(VoxBenchStyle::textButton));

    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(tr("%1, read as %2").arg(fileName, ModeFile::formatName(reading.format)), this);
    title->setStyleSheet(QStringLiteral("font: 18px;"));
    layout->addWidget(title);

    auto *chart = new QCustomPlot(this);
    chart->setObjectName(QStringLiteral("curvePreviewPlot"));
    chart->setMinimumSize(kPlotWidth, kPlotHeight);
    plot(chart);
    layout->addWidget(chart);

    m_summary = describe();
    auto *figures = new QLabel(m_summary, this);
    figures->setObjectName(QStringLiteral("curvePreviewFigures"));
    figures->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(figures);

    auto *buttons = new QDialogButtonBox(this);
    m_add = buttons->addButton(tr("Add"), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    for (QPushButton *button : {m_add, m_cancel})
        button->setMinimumSize(100, 32);
    m_add->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString CurvePreview::describe() const
{
    QStringList gains;
    for (const int gain : m_reading.gains)
        gains << QString::number(gain);
    QStringList lines{tr("Gains from 30 Hz to 16 kHz: %1 dB").arg(gains.join(QLatin1Char(' ')))};
    if (m_reading.format == ModeFile::Format::VoxBench) {
        if (m_reading.largestDeviationDb > 0)
            lines << tr("Up to %1 dB from the file's gains").arg(m_reading.largestDeviationDb, 0, 'f', 1);
    } else {
        lines << tr("The curve moved by %1 dB, so that its mean over 20 Hz-20 kHz is 0 dB")
                     .arg(signedDb(m_reading.shiftDb));
        lines << tr("The bands differ from it by %1 dB RMS, %2 dB at most, over 20 Hz-20 kHz")
                     .arg(m_reading.rmsDeviationDb, 0, 'f', 1)
                     .arg(m_reading.largestDeviationDb, 0, 'f', 1);
    }
    if (m_reading.clampedBands > 0)
        lines << (m_reading.clampedBands == 1
                      ? tr("The receiver takes -12 to 12 dB: 1 band was cut, by up to %1 dB.")
                            .arg(m_reading.largestClampDb, 0, 'f', 1)
                      : tr("The receiver takes -12 to 12 dB: %1 bands were cut, by up to %2 dB.")
                            .arg(m_reading.clampedBands)
                            .arg(m_reading.largestClampDb, 0, 'f', 1));
    if (m_reading.perChannel)
        lines << tr("Left and right differ by up to %1 dB: both sides averaged")
                     .arg(m_reading.sideDifferenceDb, 0, 'f', 1);
    return lines.join(QLatin1Char('\n'));
}

void CurvePreview::plot(QCustomPlot *chart) const
{
    styleEqualizerPlot(chart);
    QCPAxis *bottom = chart->xAxis;
    bottom->setScaleType(QCPAxis::stLogarithmic);
    bottom->setRange(BandFit::kLowestHz, BandFit::kHighestHz);
    QSharedPointer<QCPAxisTickerText> ticks(new QCPAxisTickerText);
    for (int band = 0; band < ReceiverLimits::kBands; ++band)
        ticks->addTick(kBandHz[band], kBandHz[band] >= 1000 ? QStringLiteral("%1k").arg(kBandHz[band] / 1000)
                                                            : QString::number(kBandHz[band]));
    bottom->setTicker(ticks);
    bottom->setTicks(true);
    bottom->setSubTicks(false);
    bottom->setTickLabelColor(Qt::white);
    bottom->setPadding(5);

    const std::vector<double> &grid = BandFit::grid();
    QVector<double> hz(grid.begin(), grid.end());
    QVector<double> bands;
    double extent = kRangeDb;
    for (const double each : grid)
        bands << BandFit::bandsDb(m_reading.gains, each);
    for (const double db : m_reading.aimDb)
        extent = std::max(extent, std::min(kMaxRangeDb, std::abs(db) + 1));
    chart->yAxis->setRange(-extent, extent);

    if (!m_reading.aimDb.empty()) {
        QCPGraph *curve = chart->addGraph();
        curve->setName(tr("The file's curve"));
        curve->setPen(QPen(kCurveColour, 2));
        curve->setData(hz, QVector<double>(m_reading.aimDb.begin(), m_reading.aimDb.end()), true);
    }
    QCPGraph *response = chart->addGraph();
    response->setName(tr("The receiver's ten bands"));
    response->setPen(QPen(kViolet.lighter(140), 3));
    response->setData(hz, bands, true);

    QCPGraph *points = chart->addGraph();
    points->removeFromLegend();
    points->setLineStyle(QCPGraph::lsNone);
    points->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, Qt::white, kViolet, 8));
    QVector<double> centres;
    QVector<double> gains;
    for (int band = 0; band < ReceiverLimits::kBands; ++band) {
        centres << kBandHz[band];
        gains << m_reading.gains[band];
    }
    points->setData(centres, gains, true);

    chart->legend->setVisible(true);
    chart->legend->setTextColor(Qt::white);
    chart->legend->setBorderPen(Qt::NoPen);
    chart->legend->setBrush(QBrush(QColor(kNavy.red(), kNavy.green(), kNavy.blue(), 200)));
    chart->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignBottom | Qt::AlignLeft);
}
