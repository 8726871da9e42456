#include "tools/emulator/EmulatorControl.h"

#include "tools/emulator/HidEmulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>

namespace EmulatorControl {

void configure(const Config &config)
{
    HidEmulator::Settings settings = config;
    if (settings.spectrumMs <= 0)
        settings.spectrumMs = 50;
    settings.vanishAfterPeq = std::max(settings.vanishAfterPeq, 0);
    if (settings.logPath.empty())
        settings.logPath = HidEmulator::settingsFromEnvironment().logPath;
    HidEmulator::instance().configure(settings);
}

Config config()
{
    return HidEmulator::instance().settings();
}

void setPresent(bool present)
{
    HidEmulator::instance().setPresent(present);
}

bool isPresent()
{
    return HidEmulator::instance().present();
}

std::vector<Report> writtenReports()
{
    std::vector<Report> reports;
    for (const HidEmulator::Written &w : HidEmulator::instance().written()) {
        reports.push_back({w.ms,
                           QByteArray(reinterpret_cast<const char *>(w.bytes.data()), int(w.bytes.size())),
                           w.accepted, w.ns});
    }
    return reports;
}

int writtenReportCount()
{
    return int(HidEmulator::instance().writtenCount());
}

void clearWrittenReports()
{
    HidEmulator::instance().clearWritten();
}

bool waitForReports(int count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (writtenReportCount() >= count)
            return true;
        if (timer.elapsed() >= timeoutMs)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

qint64 msSinceLoad()
{
    return HidEmulator::msSinceLoad();
}

qint64 nsSinceLoad()
{
    return HidEmulator::nsSinceLoad();
}

} // namespace EmulatorControl
