#pragma once

// Helpers of the attachment and mode tests: SetPEQ frames built from the
// report layout (not from the device link), the debug log and config.json.

#include "BehaviourSupport.h"
#include "TestFiles.h"

#include "log/DebugLog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVector>
#include <array>

namespace attachment {

using Gains10 = std::array<int, 10>;

// 4F 30 80 18 21 26, then 01 first last 00, five band records of frequency,
// Q and gain, eight zeros, the mode code and the checksum in byte 44.
inline QByteArray setPeq(int first, int last, int code, const Gains10 &gains)
{
    static const int frequency[10] = {30, 60, 120, 250, 500, 1000, 2000, 4000, 8000, 16000};
    QByteArray report(64, '\0');
    const quint8 head[] = {0x4F, 0x30, 0x80, 0x18, 0x21, 0x26, 0x01, quint8(first), quint8(last), 0x00};
    for (int i = 0; i < 10; ++i)
        report[i] = char(head[i]);
    int at = 10;
    for (int band = first; band <= last; ++band) {
        const int q = band >= 7 ? 4000 : 2000;
        report[at++] = char(frequency[band] >> 8);
        report[at++] = char(frequency[band] & 0xFF);
        report[at++] = char(q >> 8);
        report[at++] = char(q & 0xFF);
        report[at++] = char(quint8(gains[band]));
    }
    report[43] = char(code);
    quint8 sum = 0;
    for (int i = 0; i < 44; ++i)
        sum = quint8(sum + quint8(report[i]));
    report[44] = char(sum);
    return report;
}

inline int peqCode(const QByteArray &report)
{
    return quint8(report[43]);
}

inline int peqFirst(const QByteArray &report)
{
    return quint8(report[7]);
}

// SetPEQ reports with their emulator time stamps.
inline std::vector<EmulatorControl::Report> peqReports()
{
    std::vector<EmulatorControl::Report> out;
    for (const EmulatorControl::Report &r : EmulatorControl::writtenReports()) {
        if (behaviour::command(r.bytes) == behaviour::kSetPeq)
            out.push_back(r);
    }
    return out;
}

inline QByteArray debugLog()
{
    return readFile(debugLogPath());
}

// One record as the log writes it: "tag : message\t\t(VoxBench - function ... line);".
inline QByteArray record(const char *tag, const char *message, const char *function, int line)
{
    return QByteArray(tag) + " : " + message + "\t\t(VoxBench - " + function + " ... " +
           QByteArray::number(line) + ");";
}

inline int countOf(const QByteArray &haystack, const QByteArray &needle)
{
    int count = 0;
    for (int at = haystack.indexOf(needle); at >= 0; at = haystack.indexOf(needle, at + 1))
        ++count;
    return count;
}

inline QJsonObject configJson()
{
    return QJsonDocument::fromJson(readFile(configPath())).object();
}

} // namespace attachment
