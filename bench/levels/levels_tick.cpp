// CPU time of one spectrum animation tick of the main window (frame drawn on
// the comb and painted) against a tick while the window is hidden, where the
// smoother moves on but nothing is drawn. Runs offscreen with no receiver.
//
// Usage: voxbench_bench_levels_tick [ticks]

#include "app/VoxBenchInstance.h"
#include "tools/emulator/EmulatorControl.h"
#include "window/VoxBench.h"

#include <QApplication>
#include <QTextStream>
#include <array>
#include <cmath>
#include <ctime>
#include <qcustomplot.h>

namespace {
double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A moving music-like comb, so every tick changes the picture.
void fillFrame(std::array<quint8, 115> &frame, int tick)
{
    for (int j = 0; j < 114; ++j) {
        const double wave = std::sin(0.11 * j + 0.3 * tick) * 0.5 + 0.5;
        frame[size_t(j)] = quint8(100.0 * wave * (1.0 - j / 140.0));
    }
    frame[114] = 0;
}

double secondsPerTick(VoxBench &window, int ticks)
{
    std::array<quint8, 115> frame{};
    const double start = cpuSeconds();
    for (int tick = 0; tick < ticks; ++tick) {
        fillFrame(frame, tick);
        window.drawSpectrum(frame.data());
        // Runs the queued replot, as the event loop would between two ticks.
        QCoreApplication::processEvents();
    }
    return (cpuSeconds() - start) / ticks;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int ticks = argc > 1 ? qMax(10, QString::fromLocal8Bit(argv[1]).toInt()) : 500;

    EmulatorControl::Config config;
    config.absent = true;
    EmulatorControl::configure(config);

    VoxBenchInstance instance;

    VoxBench window(instance.model(), instance.ruleEngine());
    window.show();
    VoxBenchForm &ui = window.form();
    ui.groupBox_Stereo_Spectrum->show();
    ui.groupBox_Stereo_Spectrum->raise();
    ui.widget_Spectrum->show();
    QCoreApplication::processEvents();

    secondsPerTick(window, 20); // warm-up
    const double drawn = secondsPerTick(window, ticks);
    window.hide();
    QCoreApplication::processEvents();
    const double hidden = secondsPerTick(window, ticks);

    QTextStream(stdout) << QString::asprintf(
        "spectrum tick: drawn %.1f us, hidden %.2f us (%d ticks): %.2fx\n", drawn * 1e6, hidden * 1e6, ticks,
        drawn / qMax(hidden, 1e-9));
    return 0;
}
