#pragma once

// Control of the receiver emulator from tests that link it in place of hidapi.
// A preloaded emulator is configured by environment variables instead.

#include "tools/emulator/HidEmulator.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <vector>

namespace EmulatorControl {

// The emulated receiver's settings: product id, identity, 7.1 flag, the fault
// modes and the spectrum period (see HidEmulator::Settings).
using Config = HidEmulator::Settings;

struct Report
{
    qint64 ms; // since the emulator was loaded
    QByteArray bytes;
    bool accepted = true; // false when the write failed (failWrites, or not a report the receiver has)
    qint64 ns = 0;        // as ms, in nanoseconds
};

// Resets the emulator to this receiver (also plugged in unless absent); without a
// log path of its own it keeps the one of VOXBENCH_EMU_LOG.
void configure(const Config &config);
Config config();

// Plug the receiver in or pull it out; an open handle on a pulled receiver fails its reads and writes.
void setPresent(bool present);
bool isPresent();

// Every output report received, in order.
std::vector<Report> writtenReports();
int writtenReportCount();
void clearWrittenReports();
// Waits, processing Qt events, until at least `count` reports have been received.
bool waitForReports(int count, int timeoutMs);

// The emulator's clock, as in Report::ms.
qint64 msSinceLoad();
qint64 nsSinceLoad();

} // namespace EmulatorControl
