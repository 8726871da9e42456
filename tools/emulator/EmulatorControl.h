#pragma once

// Control of the receiver emulator from tests that link it in place of hidapi.
// A preloaded emulator is configured by environment variables instead.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <vector>

namespace EmulatorControl {

struct Config
{
    quint16 productId = 0x4152;
    quint32 identity = 0x0a1b2c3d; // bytes 9..12 of the ReadStatus reply, high byte first
    int flag71 = 1;
    bool silent = false;     // accepts writes, never answers
    bool failWrites = false; // every write fails
    bool absent = false;     // no receiver enumerated
    int spectrumMs = 50;
    // How every answer is spoiled (see HidEmulator::ReplyFault).
    enum class Fault { None, Garbage, Truncated, ErrorStatus };
    Fault fault = Fault::None;
    // Pulled out right after accepting this many SetPEQ reports (0: never).
    int vanishAfterPeq = 0;
};

struct Report
{
    qint64 ms; // since the emulator was loaded
    QByteArray bytes;
    bool accepted = true; // false when the write failed (failWrites, or not a report the receiver has)
    qint64 ns = 0;        // as ms, in nanoseconds
};

// Resets the emulator to this receiver (also plugged in unless absent).
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
