#include "tools/emulator/EmulatedReceiver.h"

#include "device/UsbHidCommands.h"
#include "tools/emulator/MusicLevels.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr char kVersionText[] = "VXB-EMU 1.0.4";
} // namespace

void EmulatedReceiver::reset()
{
    m_held.clear();
    m_noiseSeed = 1;
}

EmulatedReceiver::Answer EmulatedReceiver::answer(const Report &request)
{
    using namespace UsbHidFrame;
    Answer result;
    const int size = static_cast<int>(request.size());
    if (size <= kPayloadByte || !std::equal(kOutputHeader.begin(), kOutputHeader.end(), request.begin() + 1))
        return result;
    const UsbHidCommandInfo *info = usbHidCommandInfo(request[kCommandByte]);
    if (!info || info->reportId != request[0] || info->reportSize != size)
        return result;
    const int length = request[kLengthByte];
    if (length != info->payloadLength || kPayloadByte + length >= size)
        return result;
    if (usbHidFrameSum(request.data(), kPayloadByte + length) != request[kPayloadByte + length])
        return result;
    const std::uint8_t *p = request.data() + kPayloadByte;

    HeldKey key = {request[kCommandByte]};
    Report payload;
    switch (info->command) {
    case UsbHidCommand::ReadVersion:
        payload.assign(1 + kVersionFieldLength, 0);
        payload[0] = 1;
        std::memcpy(payload.data() + 1, kVersionText, sizeof kVersionText - 1);
        break;
    case UsbHidCommand::ReadAudio:
        payload = {0, 0, 0, static_cast<std::uint8_t>(flag71)};
        break;
    case UsbHidCommand::SetPEQ:
        key.insert(key.end(), {p[0], p[1]});
        m_held[key] = Report(p, p + length);
        payload = {0, p[1], p[2]};
        break;
    case UsbHidCommand::SetVol:
    case UsbHidCommand::SetAlgorithmSwitch:
        m_held[key] = Report(p, p + length);
        payload = {0};
        break;
    case UsbHidCommand::ReadStatus:
        payload = {0,
                   0,
                   0,
                   static_cast<std::uint8_t>(identity >> 24),
                   static_cast<std::uint8_t>(identity >> 16),
                   static_cast<std::uint8_t>(identity >> 8),
                   static_cast<std::uint8_t>(identity)};
        break;
    case UsbHidCommand::SpectrumSwitch:
        result.spectrum = p[0] == 1 ? Spectrum::On : p[0] == 0 ? Spectrum::Off : Spectrum::Unchanged;
        return result;
    }
    reply(result, request[kCommandByte], std::move(payload), size);
    return result;
}

void EmulatedReceiver::reply(Answer &answer, std::uint8_t code, Report payload, int size)
{
    using namespace UsbHidFrame;
    if (replyFault == ReplyFault::ErrorStatus && !payload.empty())
        payload[0] = 1;
    Report report(size, 0);
    report[0] = size == 32 ? kShortInputId : kLongInputId;
    std::copy(kInputHeader.begin(), kInputHeader.end(), report.begin() + 1);
    report[kCommandByte] = code;
    report[kLengthByte] = static_cast<std::uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), report.begin() + kPayloadByte);
    const int sumAt = kPayloadByte + static_cast<int>(payload.size());
    report[sumAt] = usbHidFrameSum(report.data(), sumAt);

    switch (replyFault) {
    case ReplyFault::None:
    case ReplyFault::ErrorStatus:
        answer.replies.push_back(report);
        break;
    case ReplyFault::Truncated:
        report.resize(sumAt);
        answer.replies.push_back(report);
        break;
    case ReplyFault::Garbage: {
        Report noise(size);
        for (std::uint8_t &byte : noise) {
            m_noiseSeed = m_noiseSeed * 1103515245u + 12345u;
            byte = static_cast<std::uint8_t>(m_noiseSeed >> 16);
        }
        answer.replies.push_back(noise);
        Report badSum = report;
        ++badSum[sumAt];
        answer.replies.push_back(badSum);
        Report unknown = report;
        unknown[kCommandByte] = 0x7E;
        unknown[sumAt] = usbHidFrameSum(unknown.data(), sumAt);
        answer.replies.push_back(unknown);
        break;
    }
    }
}

EmulatedReceiver::Report EmulatedReceiver::spectrumReport(std::uint64_t index, int spectrumMs)
{
    using namespace UsbHidFrame;
    const MusicLevels::Levels levels = MusicLevels(spectrumMs).frame(index);
    Report report(64, 0);
    report[0] = kLongInputId;
    std::copy(kInputHeader.begin(), kInputHeader.end(), report.begin() + 1);
    report[kCommandByte] = static_cast<std::uint8_t>(UsbHidCommand::SpectrumSwitch);
    report[kLengthByte] = kSpectrumReportLength;
    std::copy(levels.begin(), levels.end(), report.begin() + kPayloadByte);
    report[kPayloadByte + kSpectrumReportLength] =
        usbHidFrameSum(report.data(), kPayloadByte + kSpectrumReportLength);
    return report;
}
