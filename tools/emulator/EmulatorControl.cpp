#include "tools/emulator/EmulatorControl.h"

#include "tools/emulator/HidEmulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace EmulatorControl {

static_assert(int(Config::Fault::Garbage) == int(HidEmulator::ReplyFault::Garbage) &&
                  int(Config::Fault::Truncated) == int(HidEmulator::ReplyFault::Truncated) &&
                  int(Config::Fault::ErrorStatus) == int(HidEmulator::ReplyFault::ErrorStatus),
              "the two fault lists are one list");

void configure(const Config &config)
{
    HidEmulator::Settings settings;
    settings.productId = config.productId;
    settings.identity = config.identity;
    settings.flag71 = config.flag71;
    settings.silent = config.silent;
    settings.failWrites = config.failWrites;
    settings.absent = config.absent;
    settings.spectrumMs = config.spectrumMs > 0 ? config.spectrumMs : 50;
    settings.replyFault = static_cast<HidEmulator::ReplyFault>(config.fault);
    settings.vanishAfterPeq = config.vanishAfterPeq > 0 ? config.vanishAfterPeq : 0;
    settings.logPath = HidEmulator::settingsFromEnvironment().logPath;
    HidEmulator::instance().configure(settings);
}

Config config()
{
    const HidEmulator::Settings settings = HidEmulator::instance().settings();
    Config config;
    config.productId = settings.productId;
    config.identity = settings.identity;
    config.flag71 = settings.flag71;
    config.silent = settings.silent;
    config.failWrites = settings.failWrites;
    config.absent = settings.absent;
    config.spectrumMs = settings.spectrumMs;
    config.fault = static_cast<Config::Fault>(settings.replyFault);
    config.vanishAfterPeq = settings.vanishAfterPeq;
    return config;
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
