// The slider latency through the real device path: the window, linked with
// hidapi's hidraw backend and libudev, against a receiver in a umockdev test
// bed of this process (run under umockdev-wrapper). From a slider change with
// the send gate open to the first SetPEQ report the receiver's node took.
// Prints: slider <median ns> <p95 ns> <samples>
//
// Usage: umockdev-wrapper voxbench_bench_latency_umockdev [samples]

// Before Qt: glib has fields named like Qt's keywords.
#include <umockdev.h>

#include "app/VoxBenchInstance.h"
#include "tests/umockdev/UmockdevReceiver.h"
#include "window/VoxBench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSlider>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr quint8 kSetPeq = 0x21;

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

// Nothing written to the receiver for quietMs.
bool waitForQuiet(UmockdevReceiver &receiver, int quietMs, int timeoutMs)
{
    QElapsedTimer total, quietFor;
    total.start();
    quietFor.start();
    std::size_t count = receiver.reports().size();
    while (total.elapsed() < timeoutMs) {
        settle(2);
        const std::size_t now = receiver.reports().size();
        if (now != count) {
            count = now;
            quietFor.restart();
        } else if (quietFor.elapsed() >= quietMs) {
            return true;
        }
    }
    return false;
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
    if (!qgetenv("LD_PRELOAD").contains("umockdev")) {
        std::fprintf(stderr, "latency: run under umockdev-wrapper\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quiet);
    QApplication app(argc, argv);
    const int samples = argc > 1 ? qMax(3, QString::fromLocal8Bit(argv[1]).toInt()) : 20;

    UMockdevTestbed *bed = umockdev_testbed_new();
    int status = 0;
    {
        UmockdevReceiver receiver(bed, UmockdevReceiver::Options());
        receiver.plug();
        VoxBenchInstance instance;
        VoxBench window(instance.model(), instance.ruleEngine());
        window.show();
        QElapsedTimer wait;
        wait.start();
        while (window.pageState() != PageState::Device && wait.elapsed() < 5000)
            settle(5);
        if (window.pageState() != PageState::Device || !waitForQuiet(receiver, 300, 5000)) {
            std::fprintf(stderr, "latency: the receiver was not attached\n");
            return 1;
        }
        // Slider edits are sent for a checked custom mode of the shown tab.
        window.setTabWidgetIndex(1);
        window.form().pushButton_Stereo_CustomAdd->click();

        std::vector<qint64> slider;
        for (int i = 0; i < samples && status == 0; ++i) {
            wait.restart();
            while (!window.peqGateOpen() && wait.elapsed() < 5000)
                settle(1);
            if (!window.peqGateOpen() || !waitForQuiet(receiver, 30, 5000)) {
                std::fprintf(stderr, "latency: the send gate did not open\n");
                status = 1;
                break;
            }
            const std::size_t first = receiver.reports().size();
            QSlider *band = window.form().bandSlider(2, i % 10);
            const int value = band->value() == 6 ? -6 : 6;
            const qint64 start = UmockdevReceiver::nowNs();
            band->setValue(value);
            settle(60);
            const auto reports = receiver.reports();
            qint64 firstPeq = -1;
            for (std::size_t n = first; n < reports.size() && firstPeq < 0; ++n) {
                if (reports[n].bytes.size() > 4 && quint8(reports[n].bytes[4]) == kSetPeq)
                    firstPeq = reports[n].ns;
            }
            if (firstPeq < 0) {
                std::fprintf(stderr, "latency: sample %d incomplete\n", i);
                status = 1;
                break;
            }
            slider.push_back(firstPeq - start);
        }
        if (status == 0)
            std::printf("slider %lld %lld %d\n", percentile(slider, 0.5), percentile(slider, 0.95), samples);
    }
    g_object_unref(bed);
    return status;
}
