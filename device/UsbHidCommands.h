#pragma once

// The receiver's command set and report frame, in one place: the senders, the
// receiver emulator and the tests all read these numbers from here.
// Plain C++ on purpose, so the preloaded emulator needs no Qt.

#include <array>
#include <cstdint>

namespace UsbHidFrame {

// Output reports (host to receiver): id, then 0x30 0x80 0x18.
constexpr std::uint8_t kShortOutputId = 0x4E; // 32-byte report
constexpr std::uint8_t kLongOutputId = 0x4F;  // 64-byte report
constexpr std::array<std::uint8_t, 3> kOutputHeader = {0x30, 0x80, 0x18};

// Input reports (receiver to host): id, then 0x30 0x18 0x80.
constexpr std::uint8_t kShortInputId = 0x23; // 32-byte report
constexpr std::uint8_t kLongInputId = 0x24;  // 64-byte report
constexpr std::array<std::uint8_t, 3> kInputHeader = {0x30, 0x18, 0x80};

constexpr int kCommandByte = 4;
constexpr int kLengthByte = 5;
constexpr int kPayloadByte = 6;

constexpr std::uint16_t kVendorId = 0x5A17;

} // namespace UsbHidFrame

enum class UsbHidCommand : std::uint8_t {
    ReadVersion = 0x01,
    ReadAudio = 0x20,
    SetPEQ = 0x21,
    SetVol = 0x30,
    SetAlgorithmSwitch = 0x31,
    ReadStatus = 0x32,
    SpectrumSwitch = 0x99,
};

struct UsbHidCommandInfo
{
    UsbHidCommand command;
    std::uint8_t reportId;      // of the request
    int reportSize;             // 32 or 64 bytes, report id included
    std::uint8_t payloadLength; // L of the request
    std::uint8_t replyLength;   // L of the receiver's answer; 0 when it sends none
    const char *name;
};

// Every command the receiver understands. SpectrumSwitch gets no direct answer;
// while it is on, the receiver streams 0x99 reports of 57 levels.
constexpr std::array<UsbHidCommandInfo, 7> kUsbHidCommands = {{
    {UsbHidCommand::ReadVersion, UsbHidFrame::kShortOutputId, 32, 0, 21, "ReadVersion"},
    {UsbHidCommand::ReadAudio, UsbHidFrame::kLongOutputId, 64, 1, 4, "ReadAudio"},
    {UsbHidCommand::SetPEQ, UsbHidFrame::kLongOutputId, 64, 38, 3, "SetPEQ"},
    {UsbHidCommand::SetVol, UsbHidFrame::kShortOutputId, 32, 6, 1, "SetVol"},
    {UsbHidCommand::SetAlgorithmSwitch, UsbHidFrame::kLongOutputId, 64, 6, 1, "SetAlgorithmSwitch"},
    {UsbHidCommand::ReadStatus, UsbHidFrame::kLongOutputId, 64, 1, 7, "ReadStatus"},
    {UsbHidCommand::SpectrumSwitch, UsbHidFrame::kLongOutputId, 64, 1, 0, "SpectrumSwitch"},
}};

// The receiver's equalizer bands; every mode holds one gain per band.
constexpr int kBands = 10;
// The gains, in dB, that the receiver takes for a band.
constexpr int kMinGain = -12;
constexpr int kMaxGain = 12;
// Each band's centre frequency in Hz, 30 Hz first, as the SetPEQ band records carry it.
constexpr std::array<int, kBands> kBandHz = {30, 60, 120, 250, 500, 1000, 2000, 4000, 8000, 16000};

constexpr int kSpectrumReportLength = 57;
constexpr int kVersionFieldLength = 20;

// The command with this code, or nullptr.
constexpr const UsbHidCommandInfo *usbHidCommandInfo(std::uint8_t code)
{
    for (const UsbHidCommandInfo &info : kUsbHidCommands) {
        if (static_cast<std::uint8_t>(info.command) == code)
            return &info;
    }
    return nullptr;
}

constexpr const UsbHidCommandInfo &usbHidCommandInfo(UsbHidCommand command)
{
    return *usbHidCommandInfo(static_cast<std::uint8_t>(command));
}

// The 8-bit additive checksum over the first count bytes.
constexpr std::uint8_t usbHidFrameSum(const std::uint8_t *buffer, int count)
{
    unsigned sum = 0;
    for (int i = 0; i < count; ++i)
        sum += buffer[i];
    return static_cast<std::uint8_t>(sum);
}
