#pragma once

// The emulated receiver behind the hid_* functions of the emulator library.
// Plain C++ (no Qt) so that the preloaded library costs nothing in processes
// that never touch HID; EmulatorControl wraps it for Qt tests.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <hidapi.h>

#include "tools/emulator/EmulatedReceiver.h"

class HidEmulator
{
public:
    using Clock = std::chrono::steady_clock;

    using ReplyFault = EmulatedReceiver::ReplyFault;

    struct Settings
    {
        std::uint16_t productId = 0x4152;
        std::uint32_t identity = 0x0a1b2c3d; // bytes 9..12 of the ReadStatus reply, high byte first
        int flag71 = 1;
        bool silent = false;     // accepts writes, never answers
        bool failWrites = false; // every write fails
        bool absent = false;     // no receiver enumerated
        int spectrumMs = 50;
        ReplyFault replyFault = ReplyFault::None;
        // Pulled out right after accepting this many SetPEQ reports (0: never).
        int vanishAfterPeq = 0;
        std::string logPath; // empty: no log
    };

    struct Written
    {
        std::int64_t ms;
        std::int64_t ns; // the same moment, in nanoseconds since the library was loaded
        std::vector<std::uint8_t> bytes;
        bool accepted; // false when the write failed
    };

    // Delay between a request and its answer.
    static constexpr int kReplyDelayMs = 3;

    static HidEmulator &instance();
    // Milliseconds since the library was loaded.
    static std::int64_t msSinceLoad();
    static std::int64_t nsSinceLoad();
    // The settings that VOXBENCH_EMU_* give.
    static Settings settingsFromEnvironment();

    void configure(const Settings &settings);
    Settings settings();
    void setPresent(bool present);
    bool present();

    std::vector<Written> written();
    std::size_t writtenCount();
    void clearWritten();

    hid_device_info *enumerate(unsigned short vendorId, unsigned short productId);
    hid_device *open(unsigned short vendorId, unsigned short productId, const wchar_t *serial);
    hid_device *openPath(const char *path);
    void close(hid_device *device);
    int write(hid_device *device, const unsigned char *data, size_t length);
    int read(hid_device *device, unsigned char *data, size_t length, int timeoutMs);
    int setNonBlocking(hid_device *device, int nonBlocking);
    int unsupported(hid_device *device, const wchar_t *what);
    int string(hid_device *device, int which, wchar_t *text, size_t maxLength);
    hid_device_info *deviceInfo(hid_device *device);
    const wchar_t *error(hid_device *device);

private:
    HidEmulator();
    void ensureConfigured(std::unique_lock<std::mutex> &lock);
    bool alive(const hid_device *device) const;
    void answer(const std::vector<std::uint8_t> &request);
    void queueReport(const std::vector<std::uint8_t> &report);
    void unplug();
    void logReport(std::int64_t ms, const unsigned char *data, size_t length);
    static hid_device_info *newInfo(const Settings &settings, int interfaceIndex);

    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_configured = false;
    Settings m_settings;
    bool m_present = true;
    std::uint64_t m_generation = 1; // bumped on every unplug or reset; handles of older generations are dead
    bool m_spectrumOn = false;
    Clock::time_point m_spectrumStart;
    std::set<hid_device *> m_devices;
    std::vector<Written> m_written;
    int m_peqAccepted = 0; // SetPEQ reports accepted since configure
    EmulatedReceiver m_model;
    std::wstring m_globalError;
};
