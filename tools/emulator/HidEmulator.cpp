#include "tools/emulator/HidEmulator.h"

#include "device/UsbHidCommands.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

// The receiver as a real one looks through hidraw: the device behind the handle,
// a report queue per open handle, answers a few milliseconds after the request.
struct hid_device_
{
    int interfaceIndex = 0;
    std::uint64_t generation = 0;
    std::atomic<bool> nonBlocking{false};
    std::deque<std::pair<HidEmulator::Clock::time_point, std::vector<std::uint8_t>>> queue;
    std::uint64_t nextFrame = 1; // next spectrum frame this handle will read
    hid_device_info *info = nullptr;
    std::wstring error;
};

namespace {
// All the library does at load: note the time.
const HidEmulator::Clock::time_point g_loadTime = HidEmulator::Clock::now();

constexpr int kVendorInterface = 1; // interface 0 is a consumer-control one that never talks
constexpr const char *kPaths[] = {"voxbench-emulator/if0", "voxbench-emulator/if1"};
constexpr unsigned short kUsagePages[] = {0x000C, 0xFF00};
constexpr const wchar_t *kStrings[] = {L"VoxBench", L"VoxBench Emulated Receiver", L"EMU00001"};
constexpr std::size_t kMaxQueuedSpectrum = 64; // hidraw keeps 64 reports per reader

const char *environment(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value ? value : nullptr;
}

bool environmentFlag(const char *name)
{
    const char *value = environment(name);
    return value && std::strcmp(value, "0") != 0;
}

// A setting that cannot be what was meant is refused, loudly, and no receiver is
// emulated: a run must not pass with a receiver nobody asked for.
void refuse(HidEmulator::Settings &s, const char *name, const char *value, const char *meaning)
{
    std::fprintf(stderr, "voxbench emulator: %s=\"%s\" is not %s; refused, no receiver emulated\n", name,
                 value, meaning);
    s.absent = true;
}

// The whole text as a number of that base within [low, high].
bool environmentNumber(const char *name, int base, long long low, long long high, long long *number)
{
    const char *value = environment(name);
    if (!value)
        return false;
    errno = 0;
    char *end = nullptr;
    const long long parsed = std::strtoll(value, &end, base);
    if (end == value || *end != '\0' || errno == ERANGE || parsed < low || parsed > high)
        return false;
    *number = parsed;
    return true;
}

void freeInfo(hid_device_info *info)
{
    while (info) {
        hid_device_info *next = info->next;
        std::free(info->path);
        std::free(info->serial_number);
        std::free(info->manufacturer_string);
        std::free(info->product_string);
        std::free(info);
        info = next;
    }
}
} // namespace

HidEmulator &HidEmulator::instance()
{
    static HidEmulator emulator;
    return emulator;
}

HidEmulator::HidEmulator() = default;

std::int64_t HidEmulator::nsSinceLoad()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - g_loadTime).count();
}

std::int64_t HidEmulator::msSinceLoad()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - g_loadTime).count();
}

HidEmulator::Settings HidEmulator::settingsFromEnvironment()
{
    Settings s;
    long long number = 0;
    const auto setting = [&s, &number](const char *name, int base, long long low, long long high,
                                       const char *meaning) {
        const char *value = environment(name);
        if (!value)
            return false;
        if (environmentNumber(name, base, low, high, &number))
            return true;
        refuse(s, name, value, meaning);
        return false;
    };
    if (setting("VOXBENCH_EMU_PID", 16, 1, 0xFFFF, "a product id (1 to 4 hex digits, not 0)"))
        s.productId = static_cast<std::uint16_t>(number);
    if (setting("VOXBENCH_EMU_IDENTITY", 16, 0, 0xFFFFFFFFLL, "an identity (up to 8 hex digits)"))
        s.identity = static_cast<std::uint32_t>(number);
    if (setting("VOXBENCH_EMU_71", 10, 0, 255, "a 7.1 flag byte (0 to 255)"))
        s.flag71 = int(number);
    s.silent = environmentFlag("VOXBENCH_EMU_SILENT");
    s.failWrites = environmentFlag("VOXBENCH_EMU_FAIL_WRITES");
    s.absent = s.absent || environmentFlag("VOXBENCH_EMU_ABSENT");
    if (setting("VOXBENCH_EMU_SPECTRUM_MS", 10, 1, 60000, "a spectrum period in ms (1 to 60000)"))
        s.spectrumMs = int(number);
    if (const char *v = environment("VOXBENCH_EMU_FAULT")) {
        if (std::strcmp(v, "garbage") == 0)
            s.replyFault = ReplyFault::Garbage;
        else if (std::strcmp(v, "truncated") == 0)
            s.replyFault = ReplyFault::Truncated;
        else if (std::strcmp(v, "error-status") == 0)
            s.replyFault = ReplyFault::ErrorStatus;
        else
            refuse(s, "VOXBENCH_EMU_FAULT", v, "a fault (garbage, truncated, error-status)");
    }
    if (setting("VOXBENCH_EMU_VANISH_AFTER_PEQ", 10, 0, 1000000, "a count of SetPEQ reports"))
        s.vanishAfterPeq = int(number);
    if (const char *v = environment("VOXBENCH_EMU_LOG"))
        s.logPath = v;
    return s;
}

void HidEmulator::ensureConfigured(std::unique_lock<std::mutex> &)
{
    if (m_configured)
        return;
    m_settings = settingsFromEnvironment();
    m_present = !m_settings.absent;
    m_configured = true;
}

void HidEmulator::configure(const Settings &settings)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_settings = settings;
    m_configured = true;
    m_present = !settings.absent;
    m_spectrumOn = false;
    ++m_generation;
    m_written.clear();
    m_peqAccepted = 0;
    m_model.reset();
    m_changed.notify_all();
}

HidEmulator::Settings HidEmulator::settings()
{
    std::unique_lock<std::mutex> lock(m_lock);
    ensureConfigured(lock);
    return m_settings;
}

void HidEmulator::setPresent(bool present)
{
    std::unique_lock<std::mutex> lock(m_lock);
    ensureConfigured(lock);
    if (m_present && !present)
        unplug();
    m_present = present;
    m_changed.notify_all();
}

void HidEmulator::unplug()
{
    // Every open handle dies at once, like a removed hidraw node.
    ++m_generation;
    m_spectrumOn = false;
    m_present = false;
    m_changed.notify_all();
}

bool HidEmulator::present()
{
    std::unique_lock<std::mutex> lock(m_lock);
    ensureConfigured(lock);
    return m_present;
}

std::vector<HidEmulator::Written> HidEmulator::written()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_written;
}

std::size_t HidEmulator::writtenCount()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_written.size();
}

void HidEmulator::clearWritten()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_written.clear();
}

bool HidEmulator::alive(const hid_device *device) const
{
    return m_present && device->generation == m_generation;
}

hid_device_info *HidEmulator::newInfo(const Settings &settings, int interfaceIndex)
{
    auto *info = static_cast<hid_device_info *>(std::calloc(1, sizeof(hid_device_info)));
    info->path = strdup(kPaths[interfaceIndex]);
    info->vendor_id = UsbHidFrame::kVendorId;
    info->product_id = settings.productId;
    info->serial_number = wcsdup(kStrings[2]);
    info->release_number = 0x0104;
    info->manufacturer_string = wcsdup(kStrings[0]);
    info->product_string = wcsdup(kStrings[1]);
    info->usage_page = kUsagePages[interfaceIndex];
    info->usage = 0x0001;
    info->interface_number = interfaceIndex;
    info->next = nullptr;
    info->bus_type = HID_API_BUS_USB;
    return info;
}

hid_device_info *HidEmulator::enumerate(unsigned short vendorId, unsigned short productId)
{
    std::unique_lock<std::mutex> lock(m_lock);
    ensureConfigured(lock);
    if (!m_present)
        return nullptr;
    if ((vendorId != 0 && vendorId != UsbHidFrame::kVendorId) ||
        (productId != 0 && productId != m_settings.productId))
        return nullptr;
    hid_device_info *first = newInfo(m_settings, 0);
    first->next = newInfo(m_settings, 1);
    return first;
}

hid_device *HidEmulator::open(unsigned short vendorId, unsigned short productId, const wchar_t *serial)
{
    hid_device_info *list = enumerate(vendorId, productId);
    std::string path;
    for (hid_device_info *info = list; info; info = info->next) {
        if (!serial || std::wcscmp(serial, info->serial_number) == 0) {
            path = info->path;
            break;
        }
    }
    freeInfo(list);
    if (path.empty()) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_globalError = L"No HID device with the requested vendor ID/product ID/serial number";
        return nullptr;
    }
    return openPath(path.c_str());
}

hid_device *HidEmulator::openPath(const char *path)
{
    std::unique_lock<std::mutex> lock(m_lock);
    ensureConfigured(lock);
    int index = -1;
    for (int i = 0; i < 2; ++i) {
        if (path && std::strcmp(path, kPaths[i]) == 0)
            index = i;
    }
    if (!m_present || index < 0) {
        m_globalError = L"Failed to open a device with path";
        return nullptr;
    }
    auto *device = new hid_device_;
    device->interfaceIndex = index;
    device->generation = m_generation;
    device->info = newInfo(m_settings, index);
    if (m_spectrumOn) {
        const auto period = std::chrono::milliseconds(m_settings.spectrumMs);
        device->nextFrame = static_cast<std::uint64_t>((Clock::now() - m_spectrumStart) / period) + 1;
    }
    m_devices.insert(device);
    m_globalError.clear();
    return device;
}

void HidEmulator::close(hid_device *device)
{
    if (!device)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    m_devices.erase(device);
    freeInfo(device->info);
    delete device;
}

void HidEmulator::logReport(std::int64_t ms, const unsigned char *data, size_t length)
{
    if (m_settings.logPath.empty())
        return;
    // Binary: the same bytes, and "\n" line ends, on every system.
    std::FILE *file = std::fopen(m_settings.logPath.c_str(), "ab");
    if (!file)
        return;
    std::string line = std::to_string(ms);
    char hex[4];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", data[i]);
        line += hex;
    }
    line += '\n';
    std::fputs(line.c_str(), file);
    std::fclose(file);
}

int HidEmulator::write(hid_device *device, const unsigned char *data, size_t length)
{
    std::unique_lock<std::mutex> lock(m_lock);
    ensureConfigured(lock);
    if (!device || !data) {
        m_globalError = L"Invalid argument";
        return -1;
    }
    if (!alive(device)) {
        device->error = L"No such device";
        return -1;
    }
    const std::int64_t ns = nsSinceLoad();
    const std::int64_t ms = ns / 1000000;
    std::vector<std::uint8_t> bytes(data, data + length);
    // The vendor interface has two output reports: 0x4E of 32 bytes and 0x4F of 64.
    const bool knownReport = device->interfaceIndex == kVendorInterface && length > 0 &&
                             ((data[0] == UsbHidFrame::kShortOutputId && length == 32) ||
                              (data[0] == UsbHidFrame::kLongOutputId && length == 64));
    const bool accepted = knownReport && !m_settings.failWrites;
    m_written.push_back({ms, ns, bytes, accepted});
    logReport(ms, data, length);
    if (!accepted) {
        device->error = m_settings.failWrites ? L"Broken pipe" : L"Invalid argument";
        return -1;
    }
    device->error.clear();
    if (bytes[UsbHidFrame::kCommandByte] == static_cast<std::uint8_t>(UsbHidCommand::SetPEQ) &&
        m_settings.vanishAfterPeq > 0 && ++m_peqAccepted == m_settings.vanishAfterPeq) {
        // Gone before it could answer; the write itself went through.
        unplug();
        return static_cast<int>(length);
    }
    if (!m_settings.silent)
        answer(bytes);
    return static_cast<int>(length);
}

void HidEmulator::answer(const std::vector<std::uint8_t> &request)
{
    m_model.identity = m_settings.identity;
    m_model.flag71 = m_settings.flag71;
    m_model.replyFault = m_settings.replyFault;
    const EmulatedReceiver::Answer answer = m_model.answer(request);
    if (answer.spectrum == EmulatedReceiver::Spectrum::On && !m_spectrumOn) {
        m_spectrumOn = true;
        m_spectrumStart = Clock::now();
        for (hid_device *device : m_devices)
            device->nextFrame = 1;
        m_changed.notify_all();
    } else if (answer.spectrum == EmulatedReceiver::Spectrum::Off) {
        m_spectrumOn = false;
    }
    for (const std::vector<std::uint8_t> &reply : answer.replies)
        queueReport(reply);
}

void HidEmulator::queueReport(const std::vector<std::uint8_t> &report)
{
    // Every reader of the vendor interface gets its own copy, as with hidraw.
    const auto due = Clock::now() + std::chrono::milliseconds(kReplyDelayMs);
    for (hid_device *device : m_devices) {
        if (device->interfaceIndex == kVendorInterface && alive(device))
            device->queue.emplace_back(due, report);
    }
    m_changed.notify_all();
}

int HidEmulator::read(hid_device *device, unsigned char *data, size_t length, int timeoutMs)
{
    using namespace UsbHidFrame;
    std::unique_lock<std::mutex> lock(m_lock);
    ensureConfigured(lock);
    if (!device || !data) {
        m_globalError = L"Invalid argument";
        return -1;
    }
    const auto never = Clock::time_point::max();
    const auto start = Clock::now();
    const auto deadline = timeoutMs < 0 ? never : start + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (!alive(device)) {
            device->error = L"No such device";
            return -1;
        }
        const auto now = Clock::now();
        const auto replyDue = device->queue.empty() ? never : device->queue.front().first;
        auto spectrumDue = never;
        const auto period = std::chrono::milliseconds(m_settings.spectrumMs);
        if (m_spectrumOn && !m_settings.silent && device->interfaceIndex == kVendorInterface) {
            // A reader that fell far behind lost the oldest reports, as the kernel's queue overflows.
            const auto current = static_cast<std::uint64_t>((now - m_spectrumStart) / period);
            if (current > kMaxQueuedSpectrum && device->nextFrame < current - kMaxQueuedSpectrum)
                device->nextFrame = current - kMaxQueuedSpectrum;
            spectrumDue = m_spectrumStart + period * device->nextFrame;
        }
        std::vector<std::uint8_t> report;
        if (replyDue <= now && replyDue <= spectrumDue) {
            report = std::move(device->queue.front().second);
            device->queue.pop_front();
        } else if (spectrumDue <= now) {
            report = EmulatedReceiver::spectrumReport(device->nextFrame++, m_settings.spectrumMs);
        }
        if (!report.empty()) {
            const size_t count = std::min(length, report.size());
            std::memcpy(data, report.data(), count);
            return static_cast<int>(count);
        }
        if (deadline <= now)
            return 0;
        const auto wake = std::min({replyDue, spectrumDue, deadline});
        if (wake == never)
            m_changed.wait(lock);
        else
            m_changed.wait_until(lock, wake);
    }
}

int HidEmulator::setNonBlocking(hid_device *device, int nonBlocking)
{
    if (!device)
        return -1;
    std::lock_guard<std::mutex> guard(m_lock);
    device->nonBlocking = nonBlocking != 0;
    return 0;
}

int HidEmulator::unsupported(hid_device *device, const wchar_t *what)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (device)
        device->error = what;
    else
        m_globalError = what;
    return -1;
}

int HidEmulator::string(hid_device *device, int which, wchar_t *text, size_t maxLength)
{
    if (!device || !text || maxLength == 0)
        return -1;
    std::lock_guard<std::mutex> guard(m_lock);
    if (!alive(device))
        return -1;
    std::wcsncpy(text, kStrings[which], maxLength);
    text[maxLength - 1] = L'\0';
    return 0;
}

hid_device_info *HidEmulator::deviceInfo(hid_device *device)
{
    if (!device)
        return nullptr;
    std::lock_guard<std::mutex> guard(m_lock);
    return alive(device) ? device->info : nullptr;
}

const wchar_t *HidEmulator::error(hid_device *device)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const std::wstring &text = device ? device->error : m_globalError;
    return text.empty() ? L"Success" : text.c_str();
}

// The hidapi entry points. Preloaded, these stand in for the whole library, so
// every function the installed hidapi exports is here.
// Windows builds set it empty: hidapi.h already marks them dllexport there.
#ifndef VOXBENCH_EMU_VISIBLE
#define VOXBENCH_EMU_VISIBLE __attribute__((visibility("default")))
#endif
#define EMU_EXPORT extern "C" VOXBENCH_EMU_VISIBLE

EMU_EXPORT int hid_init(void)
{
    return 0;
}

EMU_EXPORT int hid_exit(void)
{
    return 0;
}

EMU_EXPORT struct hid_device_info *hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    return HidEmulator::instance().enumerate(vendor_id, product_id);
}

EMU_EXPORT void hid_free_enumeration(struct hid_device_info *devs)
{
    freeInfo(devs);
}

EMU_EXPORT hid_device *hid_open(unsigned short vendor_id, unsigned short product_id,
                                const wchar_t *serial_number)
{
    return HidEmulator::instance().open(vendor_id, product_id, serial_number);
}

EMU_EXPORT hid_device *hid_open_path(const char *path)
{
    return HidEmulator::instance().openPath(path);
}

EMU_EXPORT int hid_write(hid_device *dev, const unsigned char *data, size_t length)
{
    return HidEmulator::instance().write(dev, data, length);
}

EMU_EXPORT int hid_read_timeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    return HidEmulator::instance().read(dev, data, length, milliseconds);
}

EMU_EXPORT int hid_read(hid_device *dev, unsigned char *data, size_t length)
{
    const int timeout = dev && dev->nonBlocking ? 0 : -1;
    return HidEmulator::instance().read(dev, data, length, timeout);
}

EMU_EXPORT int hid_set_nonblocking(hid_device *dev, int nonblock)
{
    return HidEmulator::instance().setNonBlocking(dev, nonblock);
}

EMU_EXPORT int hid_send_feature_report(hid_device *dev, const unsigned char *, size_t)
{
    return HidEmulator::instance().unsupported(dev, L"The receiver has no feature reports");
}

EMU_EXPORT int hid_get_feature_report(hid_device *dev, unsigned char *, size_t)
{
    return HidEmulator::instance().unsupported(dev, L"The receiver has no feature reports");
}

EMU_EXPORT int hid_get_input_report(hid_device *dev, unsigned char *, size_t)
{
    return HidEmulator::instance().unsupported(dev, L"The receiver answers no input report requests");
}

EMU_EXPORT void hid_close(hid_device *dev)
{
    HidEmulator::instance().close(dev);
}

EMU_EXPORT int hid_get_manufacturer_string(hid_device *dev, wchar_t *string, size_t maxlen)
{
    return HidEmulator::instance().string(dev, 0, string, maxlen);
}

EMU_EXPORT int hid_get_product_string(hid_device *dev, wchar_t *string, size_t maxlen)
{
    return HidEmulator::instance().string(dev, 1, string, maxlen);
}

EMU_EXPORT int hid_get_serial_number_string(hid_device *dev, wchar_t *string, size_t maxlen)
{
    return HidEmulator::instance().string(dev, 2, string, maxlen);
}

EMU_EXPORT int hid_get_indexed_string(hid_device *dev, int, wchar_t *, size_t)
{
    return HidEmulator::instance().unsupported(dev, L"hid_get_indexed_string: not supported by hidraw");
}

EMU_EXPORT struct hid_device_info *hid_get_device_info(hid_device *dev)
{
    return HidEmulator::instance().deviceInfo(dev);
}

EMU_EXPORT const wchar_t *hid_error(hid_device *dev)
{
    return HidEmulator::instance().error(dev);
}

EMU_EXPORT const struct hid_api_version *hid_version(void)
{
    static const hid_api_version version = {HID_API_VERSION_MAJOR, HID_API_VERSION_MINOR,
                                            HID_API_VERSION_PATCH};
    return &version;
}

EMU_EXPORT const char *hid_version_str(void)
{
    return HID_API_VERSION_STR;
}
