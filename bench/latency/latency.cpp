// Latencies of the window against the emulated receiver, offscreen:
//  - from a slider change with the send gate open to the first SetPEQ report at
//    the receiver, next to a bare usbHidSend_SetPEQ call (the device link alone);
//  - from the receiver's acknowledgement of a second PEQ packet (due 3 ms after
//    that packet, the emulator's reply delay) to the SetAlgorithmSwitch the
//    window answers it with.
// Prints: slider <median ns> <p95 ns> bare <median ns> reaction <median ns> <p95 ns> <samples>
//
// Usage: voxbench_bench_latency [samples]

#include "app/VoxBenchInstance.h"
#include "tools/emulator/EmulatorControl.h"
#include "tools/emulator/HidEmulator.h"
#include "window/VoxBench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSlider>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr quint8 kSetPeq = 0x21;
constexpr quint8 kSetAlgorithmSwitch = 0x31;

void quiet(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

// Waits until nothing has been written to the receiver for quietMs. Spins
// without sleeping, unlike the tests' wait: the window's answer to a reply is
// timed while this runs, and a sleeping GUI thread would add to it.
bool waitForQuiet(int quietMs, int timeoutMs)
{
    QElapsedTimer total, quietFor;
    total.start();
    quietFor.start();
    int count = EmulatorControl::writtenReportCount();
    while (total.elapsed() < timeoutMs) {
        settle(2);
        const int now = EmulatorControl::writtenReportCount();
        if (now != count) {
            count = now;
            quietFor.restart();
        } else if (quietFor.elapsed() >= quietMs) {
            return true;
        }
    }
    return false;
}

quint8 command(const EmulatorControl::Report &r)
{
    return r.bytes.size() > 4 ? quint8(r.bytes[4]) : 0;
}

qint64 percentile(std::vector<qint64> values, double p)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quiet);
    QApplication app(argc, argv);
    const int samples = argc > 1 ? qMax(3, QString::fromLocal8Bit(argv[1]).toInt()) : 20;

    EmulatorControl::configure(EmulatorControl::Config());
    VoxBenchInstance instance;
    VoxBench window(instance.model(), instance.ruleEngine());
    window.show();
    QElapsedTimer wait;
    wait.start();
    while (window.pageState() != PageState::Device && wait.elapsed() < 5000)
        settle(5);
    if (window.pageState() != PageState::Device || !waitForQuiet(300, 5000)) {
        std::fprintf(stderr, "latency: the receiver was not attached\n");
        return 1;
    }
    // Slider edits are sent for a checked custom mode of the shown tab.
    window.setTabWidgetIndex(1);
    window.form().pushButton_Stereo_CustomAdd->click();

    std::vector<qint64> slider, reaction;
    for (int i = 0; i < samples; ++i) {
        wait.restart();
        while (!window.peqGateOpen() && wait.elapsed() < 5000)
            settle(1);
        if (!window.peqGateOpen() || !waitForQuiet(30, 5000)) {
            std::fprintf(stderr, "latency: the send gate did not open\n");
            return 1;
        }
        const size_t first = EmulatorControl::writtenReports().size();
        QSlider *band = window.form().bandSlider(2, i % 10);
        const int value = band->value() == 6 ? -6 : 6;
        const qint64 start = EmulatorControl::nsSinceLoad();
        band->setValue(value);
        // Second packet 20 ms on, its acknowledgement 3 ms later, then the switch.
        settle(60);
        const auto reports = EmulatorControl::writtenReports();
        qint64 firstPeq = -1, secondPeq = -1, answer = -1;
        for (size_t n = first; n < reports.size(); ++n) {
            const EmulatorControl::Report &r = reports[n];
            if (command(r) == kSetPeq && firstPeq < 0)
                firstPeq = r.ns;
            else if (command(r) == kSetPeq && secondPeq < 0)
                secondPeq = r.ns;
            else if (command(r) == kSetAlgorithmSwitch && secondPeq >= 0 && answer < 0)
                answer = r.ns;
        }
        if (firstPeq < 0 || answer < 0) {
            std::fprintf(stderr, "latency: sample %d incomplete\n", i);
            return 1;
        }
        slider.push_back(firstPeq - start);
        reaction.push_back(answer - (secondPeq + HidEmulator::kReplyDelayMs * 1000000LL));
    }

    // The device link alone: the same packet straight from the sender.
    std::vector<qint64> bare;
    Gains gains{};
    for (int i = 0; i < samples; ++i) {
        const size_t first = EmulatorControl::writtenReports().size();
        gains[size_t(i % 10)] = i % 2 ? 6 : -6;
        const qint64 start = EmulatorControl::nsSinceLoad();
        usbHidSend_SetPEQ(1, 0, 4, 8, gains);
        const auto reports = EmulatorControl::writtenReports();
        if (reports.size() > first)
            bare.push_back(reports[first].ns - start);
        settle(10);
    }

    std::printf("slider %lld %lld bare %lld reaction %lld %lld %d\n", percentile(slider, 0.5),
                percentile(slider, 0.95), percentile(bare, 0.5), percentile(reaction, 0.5),
                percentile(reaction, 0.95), samples);
    return 0;
}
