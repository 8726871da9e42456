#pragma once

// Helpers shared by the window behaviour tests: expected output reports built
// independently of the device link, and filters over what the emulated
// receiver got.

#include "EventLoop.h"
#include "device/ReceiverSession.h"
#include "tools/emulator/EmulatorControl.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>
#include <QVector>
#include <initializer_list>

namespace behaviour {

constexpr quint8 kSetPeq = 0x21;
constexpr quint8 kSetAlgorithmSwitch = 0x31;
constexpr quint8 kSpectrumSwitch = 0x99;

// A 64-byte output report: 4F 30 80 18, command, length, payload, additive checksum.
inline QByteArray outputReport(quint8 command, std::initializer_list<quint8> payload)
{
    QByteArray report(64, '\0');
    report[0] = char(0x4F);
    report[1] = char(0x30);
    report[2] = char(0x80);
    report[3] = char(0x18);
    report[4] = char(command);
    report[5] = char(payload.size());
    int at = 6;
    for (quint8 byte : payload)
        report[at++] = char(byte);
    quint8 sum = 0;
    for (int i = 0; i < at; ++i)
        sum = quint8(sum + quint8(report[i]));
    report[at] = char(sum);
    return report;
}

inline QByteArray spectrumSwitch(int on)
{
    return outputReport(kSpectrumSwitch, {quint8(on)});
}

inline QByteArray algorithmSwitch(int surround, int enc, int stereo)
{
    return outputReport(kSetAlgorithmSwitch, {1, 0, quint8(surround), 0, quint8(enc), quint8(stereo)});
}

inline quint8 command(const QByteArray &report)
{
    return report.size() > 4 ? quint8(report[4]) : 0;
}

inline QVector<QByteArray> reports(const std::vector<EmulatorControl::Report> &all)
{
    QVector<QByteArray> out;
    for (const EmulatorControl::Report &r : all)
        out.append(r.bytes);
    return out;
}

inline QVector<QByteArray> writtenReports()
{
    return reports(EmulatorControl::writtenReports());
}

inline QVector<QByteArray> withCommand(const QVector<QByteArray> &all, quint8 code)
{
    QVector<QByteArray> out;
    for (const QByteArray &r : all) {
        if (command(r) == code)
            out.append(r);
    }
    return out;
}

// Waits until the receiver has been sent nothing for `quietMs` while busy() was false.
inline bool waitForQuiet(int quietMs, int timeoutMs, const std::function<bool()> &busy = {})
{
    int count = -1;
    QElapsedTimer quiet;
    return waitFor(
        [&] {
            const int now = EmulatorControl::writtenReportCount();
            if (now != count || (busy && busy())) {
                count = now;
                quiet.start();
            }
            return quiet.elapsed() >= quietMs;
        },
        timeoutMs);
}

// The emulator answers within 3 ms; a reply then reaches the GUI thread queued,
// and what it sets off goes out at once or as a step of the session.
constexpr int kReplyGraceMs = 40;

// Waits until everything asked of the receiver has gone out: the session holds
// no step back, owes no second PEQ packet and awaits no SetPEQ acknowledgement,
// and no reply still on its way sets off more within the grace.
inline bool waitForSettled(const ReceiverSession &session, int timeoutMs = 5000)
{
    return waitForQuiet(kReplyGraceMs, timeoutMs, [&session] {
        return !session.idle() || session.awaitingPeqAck() || session.secondPacketDue();
    });
}

struct QuitResult
{
    int code = -1;
    QVector<QByteArray> sentAtQuit; // what the receiver had got when the loop began to end
};

// Runs the application's event loop until the program ends it; a loop that
// does not end within `timeoutMs` is stopped with code -1.
inline QuitResult execUntilQuit(int timeoutMs = 5000)
{
    QuitResult result;
    const QMetaObject::Connection recording = QObject::connect(
        qApp, &QCoreApplication::aboutToQuit, [&result] { result.sentAtQuit = writtenReports(); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { qApp->exit(-1); });
    watchdog.start(timeoutMs);
    result.code = qApp->exec();
    QObject::disconnect(recording);
    return result;
}

} // namespace behaviour
