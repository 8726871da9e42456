#include "device/UsbHidOperation.h"

#include "device/ReceiverModels.h"
#include "device/UsbHidCommands.h"
#include "log/DebugLog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {
const QString kSourceFile = QStringLiteral("UsbHidOperation");
constexpr int kWatchdogMs = 50;
constexpr int kRetryMs = 50;
constexpr int kMaxAttempt = 10;
constexpr int kMaxWatchdogResends = 10;

// The one output buffer; touched only on the GUI thread.
std::array<quint8, kReportSize> g_output{};
// The report being parsed; touched only on the read thread.
std::array<quint8, kReceiveBufferSize> g_receive{};

// Values copied between the threads as a whole. A std::mutex, so that
// ThreadSanitizer sees it (Qt's own mutex is invisible to an uninstrumented Qt).
std::mutex g_stateLock;
IdentityBytes g_identity{{1, 1, 1, 1}};
SpectrumLevels g_spectrum{};
QString g_version;

struct BandRecord
{
    quint16 frequency;
    quint16 q;
};
constexpr std::array<BandRecord, kBands> kBandRecords = {{{kBandHz[0], 2000},
                                                          {kBandHz[1], 2000},
                                                          {kBandHz[2], 2000},
                                                          {kBandHz[3], 2000},
                                                          {kBandHz[4], 2000},
                                                          {kBandHz[5], 2000},
                                                          {kBandHz[6], 2000},
                                                          {kBandHz[7], 4000},
                                                          {kBandHz[8], 4000},
                                                          {kBandHz[9], 4000}}};

// Zeroes the output buffer and frames one command around the payload bytes.
void buildFrame(UsbHidCommand command, const quint8 *payload)
{
    const UsbHidCommandInfo &info = usbHidCommandInfo(command);
    g_output.fill(0);
    g_output[0] = info.reportId;
    std::copy(UsbHidFrame::kOutputHeader.begin(), UsbHidFrame::kOutputHeader.end(), g_output.begin() + 1);
    g_output[UsbHidFrame::kCommandByte] = static_cast<quint8>(command);
    g_output[UsbHidFrame::kLengthByte] = info.payloadLength;
    if (payload)
        std::memcpy(g_output.data() + UsbHidFrame::kPayloadByte, payload, info.payloadLength);
    const int sumAt = UsbHidFrame::kPayloadByte + info.payloadLength;
    g_output[sumAt] = usbHidCheckSum(g_output.data(), sumAt);
}

void printOutcome(const char *name, int result)
{
    const char *outcome = result == WriteOk       ? "Write Success!"
                          : result == WriteFailed ? "Write Fail!"
                                                  : "Device Not Open!";
    qDebug().noquote() << QStringLiteral("[Send - %1::%2]").arg(QLatin1String(name), QLatin1String(outcome));
}

// The reply watch and write retry that ReadAudio and ReadStatus share.
struct WatchedRequest
{
    UsbHidCommand command;
    const char *name;
    std::atomic<bool> &replied;
    std::atomic<int> &watchdog;
    void (*send)(int attempt);
};

// Bumped whenever the handle is closed: retries and watchdogs started for a
// receiver that has gone do nothing, so a quick re-plug never gets the old
// receiver's leftover requests on top of its own.
quint64 g_linkGeneration = 0;

void watchdogFired(const WatchedRequest &request, quint64 generation)
{
    if (generation != g_linkGeneration)
        return;
    if (request.replied.load() || request.watchdog.load() >= kMaxWatchdogResends)
        return;
    qDebug().noquote() << QStringLiteral("Mr.Lok::usbHidSend_%1 Call Fail").arg(QLatin1String(request.name));
    request.watchdog.fetch_add(1);
    request.send(0);
}

void sendWatched(const WatchedRequest &request, int attempt)
{
    const quint8 payload[1] = {0x00};
    buildFrame(request.command, payload);
    // Arm a watchdog unless a reply is on record; either way the request now awaits a new one.
    const bool watch = !request.replied.exchange(false);
    const int result = usbHidWriteDevice(g_output.data());
    // The receiver's 50 ms start when it has the request, not before a slow write.
    if (watch)
        QTimer::singleShot(kWatchdogMs, Qt::PreciseTimer,
                           [request, generation = g_linkGeneration] { watchdogFired(request, generation); });
    printOutcome(request.name, result);
    if (result != WriteOk && attempt < kMaxAttempt)
        QTimer::singleShot(kRetryMs, [request, attempt, generation = g_linkGeneration] {
            if (generation == g_linkGeneration)
                request.send(attempt + 1);
        });
    if (result != WriteOk && attempt == kMaxAttempt)
        qDebug().noquote() << QStringLiteral("Mr.Lok usbHidSend_%1:Fail").arg(QLatin1String(request.name));
}

WatchedRequest readAudioRequest()
{
    UsbHidDeviceState &s = usbHidDeviceState();
    return {UsbHidCommand::ReadAudio, "ReadAudio", s.readAudioReplied, s.readAudioWatchdog,
            usbHidSend_ReadAudio};
}

WatchedRequest readStatusRequest()
{
    UsbHidDeviceState &s = usbHidDeviceState();
    return {UsbHidCommand::ReadStatus, "ReadStatus", s.readStatusReplied, s.readStatusWatchdog,
            usbHidSend_ReadStatus};
}

} // namespace

UsbHidConnection &usbHidConnection()
{
    static UsbHidConnection connection;
    return connection;
}

UsbHidDeviceState &usbHidDeviceState()
{
    static UsbHidDeviceState state;
    return state;
}

IdentityBytes usbHidIdentityBytes()
{
    std::lock_guard<std::mutex> locker(g_stateLock);
    return g_identity;
}

void usbHidSetIdentityBytes(const IdentityBytes &bytes)
{
    std::lock_guard<std::mutex> locker(g_stateLock);
    g_identity = bytes;
}

QString usbHidIdentityText(const IdentityBytes &bytes)
{
    QString text;
    for (const quint8 byte : bytes)
        text += QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0'));
    return text;
}

SpectrumLevels usbHidSpectrumLevels()
{
    std::lock_guard<std::mutex> locker(g_stateLock);
    return g_spectrum;
}

bool usbHidAcceptedProductId(int productId)
{
    return receiverModelOf(productId) != nullptr;
}

int usbHidOpenDevice(const KnownDevices &knownDevices)
{
    hid_device_info *devices = hid_enumerate(0, 0);
    quint16 vendorId = 0;
    quint16 productId = 0;
    std::string path;
    for (const hid_device_info *entry = devices; entry; entry = entry->next) {
        if (entry->vendor_id != UsbHidFrame::kVendorId)
            continue;
        if ((entry->usage_page >> 8) != 0xFF)
            continue;
        if (!usbHidAcceptedProductId(entry->product_id))
            continue;
        const auto known = knownDevices.constFind(entry->product_id);
        if (known == knownDevices.constEnd())
            continue;
        const long tableVendor = std::strtol(known->toLatin1().constData(), nullptr, 16);
        if ((static_cast<unsigned long>(tableVendor) & 0xFFFF) != entry->vendor_id)
            continue;
        vendorId = entry->vendor_id;
        productId = entry->product_id;
        path = entry->path ? entry->path : "";
        break;
    }
    hid_free_enumeration(devices);
    if (vendorId == 0 || productId == 0)
        return OpenNoDevice;

    UsbHidConnection &connection = usbHidConnection();
    if (!connection.opened.load())
        connection.handle.store(hid_open_path(path.c_str()));
    hid_device *handle = connection.handle.load();
    if (!handle) {
        qDebug() << "Open Device Fail!";
        return OpenFailed;
    }
    qDebug() << "Open Device Success!";
    connection.vendorId.store(vendorId);
    connection.productId.store(productId);
    connection.path = path;
    hid_set_nonblocking(handle, 1);
    connection.opened.store(1);

    std::array<quint8, kShortReportSize> bare{};
    bare[0] = UsbHidFrame::kShortOutputId;
    std::copy(UsbHidFrame::kOutputHeader.begin(), UsbHidFrame::kOutputHeader.end(), bare.begin() + 1);
    bare[UsbHidFrame::kCommandByte] = static_cast<quint8>(UsbHidCommand::ReadVersion);
    hid_write(handle, bare.data(), bare.size());

    usbHidSend_ReadVersion();
    return OpenOk;
}

int usbHidWriteDevice(const quint8 *report)
{
    const QString function = QStringLiteral("usbHidWriteDevice");
    if (!report) {
        writeDebugLog(QStringLiteral("*Usb Write"), QStringLiteral("fail222"), kSourceFile, function, 109);
        return WriteNoDevice;
    }
    const int length = report[0] == UsbHidFrame::kShortOutputId  ? kShortReportSize
                       : report[0] == UsbHidFrame::kLongOutputId ? kReportSize
                                                                 : 0;
    writeDebugLog(QStringLiteral("*Usb Write"), QStringLiteral("start"), kSourceFile, function, 121);
    hid_device *handle = usbHidConnection().handle.load();
    if (!handle || length == 0) {
        writeDebugLog(QStringLiteral("*Usb Write"), QStringLiteral("fail222"), kSourceFile, function, 138);
        return WriteNoDevice;
    }
    // A short write of a 64-byte report is a failed write, not a 32-byte success.
    if (hid_write(handle, report, length) == length) {
        writeDebugLog(QStringLiteral("*Usb Write"), QStringLiteral("success"), kSourceFile, function, 127);
        return WriteOk;
    }
    writeDebugLog(QStringLiteral("*Usb Write"), QStringLiteral("fail111"), kSourceFile, function, 132);
    return WriteFailed;
}

quint8 usbHidCheckSum(const quint8 *buffer, int count)
{
    return usbHidFrameSum(buffer, count);
}

void usbHidCloseHandle()
{
    UsbHidConnection &connection = usbHidConnection();
    connection.opened.store(0);
    ++g_linkGeneration;
    if (hid_device *handle = connection.handle.exchange(nullptr))
        hid_close(handle);
    connection.vendorId.store(0);
    connection.productId.store(0);
    connection.path.clear();
}

void usbHidSend_ReadVersion()
{
    buildFrame(UsbHidCommand::ReadVersion, nullptr);
    printOutcome("ReadVersion", usbHidWriteDevice(g_output.data()));
}

void usbHidSend_ReadAudio(int attempt)
{
    qDebug() << "***** Read Audio! *****";
    sendWatched(readAudioRequest(), attempt);
}

void usbHidSend_ReadStatus(int attempt)
{
    sendWatched(readStatusRequest(), attempt);
}

int usbHidSend_SetPEQ(int one, int firstBand, int lastBand, int modeCode, const Gains &gains)
{
    const bool knownRange = lastBand - firstBand == 4 && (firstBand == 0 || firstBand == 5);
    qDebug() << "[Send - SetPEQ] first gain" << gains[knownRange ? firstBand : 0];

    std::array<quint8, 38> payload{};
    payload[0] = static_cast<quint8>(one);
    payload[1] = static_cast<quint8>(firstBand);
    payload[2] = static_cast<quint8>(lastBand);
    if (knownRange) {
        for (int i = 0; i < 5; ++i) {
            const BandRecord &band = kBandRecords[firstBand + i];
            quint8 *record = payload.data() + 4 + 5 * i;
            record[0] = static_cast<quint8>(band.frequency >> 8);
            record[1] = static_cast<quint8>(band.frequency);
            record[2] = static_cast<quint8>(band.q >> 8);
            record[3] = static_cast<quint8>(band.q);
            record[4] = static_cast<quint8>(gains[firstBand + i] & 0xFF);
        }
    }
    payload[37] = static_cast<quint8>(modeCode);
    buildFrame(UsbHidCommand::SetPEQ, payload.data());
    return usbHidWriteDevice(g_output.data());
}

int usbHidSend_SetAlgorithmSwitch(int one, int surround, int enc, int stereo)
{
    const quint8 payload[6] = {static_cast<quint8>(one),      0,
                               static_cast<quint8>(surround), 0,
                               static_cast<quint8>(enc),      static_cast<quint8>(stereo)};
    buildFrame(UsbHidCommand::SetAlgorithmSwitch, payload);
    const QString tag = QStringLiteral("Usb Hid send Switch");
    const QString function = QStringLiteral("usbHidSend_SetAlgorithmSwitch");
    writeDebugLog(tag, QStringLiteral("start"), kSourceFile, function, 424);
    const int result = usbHidWriteDevice(g_output.data());
    printOutcome("SetSwitch", result);
    writeDebugLog(tag, QStringLiteral("end(%1)").arg(result), kSourceFile, function, 455);
    return 0;
}

int usbHidSend_SpectrumSwitch(int on)
{
    const quint8 payload[1] = {static_cast<quint8>(on ? 1 : 0)};
    buildFrame(UsbHidCommand::SpectrumSwitch, payload);
    const int result = usbHidWriteDevice(g_output.data());
    printOutcome("SpectrumSwitch", result);
    return result;
}

bool usbHidRecognizeReport(const quint8 *report, int length)
{
    if (!report || (length != kShortReportSize && length != kReportSize))
        return false;
    if (report[0] != UsbHidFrame::kShortInputId && report[0] != UsbHidFrame::kLongInputId)
        return false;
    if (!std::equal(UsbHidFrame::kInputHeader.begin(), UsbHidFrame::kInputHeader.end(), report + 1))
        return false;
    // The checksum byte must lie inside what was read.
    const int sumAt = UsbHidFrame::kPayloadByte + report[UsbHidFrame::kLengthByte];
    if (sumAt >= length)
        return false;
    return usbHidCheckSum(report, sumAt) == report[sumAt];
}

int usbHidDispatchReport(const quint8 *report, int length)
{
    if (!usbHidRecognizeReport(report, length))
        return replyCodeValue(ReplyCode::None);
    g_receive.fill(0);
    std::memcpy(g_receive.data(), report, length);
    switch (static_cast<UsbHidCommand>(g_receive[UsbHidFrame::kCommandByte])) {
    case UsbHidCommand::ReadVersion:
        usbHidRecv_ReadVersion();
        return replyCodeValue(ReplyCode::None);
    case UsbHidCommand::ReadAudio:
        usbHidRecv_ReadAudio();
        return replyCodeValue(ReplyCode::ReadAudio);
    case UsbHidCommand::SetPEQ:
        usbHidRecv_SetPEQ();
        return replyCodeValue(ReplyCode::PeqAck);
    case UsbHidCommand::SetVol:
        return replyCodeValue(ReplyCode::None);
    case UsbHidCommand::SetAlgorithmSwitch:
        usbHidRecv_SetAlgorithmSwitch();
        return replyCodeValue(ReplyCode::AlgorithmAck);
    case UsbHidCommand::ReadStatus:
        usbHidRecv_ReadStatus();
        return replyCodeValue(ReplyCode::Status);
    case UsbHidCommand::SpectrumSwitch:
        usbHidRecv_Spectrum();
        return replyCodeValue(ReplyCode::Spectrum);
    }
    return replyCodeValue(ReplyCode::None);
}

void usbHidRecv_ReadVersion()
{
    const int kind = g_receive[6];
    if (kind == 0)
        qDebug() << "No Version.";
    if (kind >= 1 && kind <= 3) {
        // The field is text padded with zero bytes; the command line shows it.
        const char *field = reinterpret_cast<const char *>(g_receive.data() + 7);
        const QString text = QString::fromLatin1(field, int(qstrnlen(field, kVersionFieldLength))).trimmed();
        std::lock_guard<std::mutex> locker(g_stateLock);
        g_version = text;
    }
    qDebug() << "[Recv - ReadVersion::Read Version Successful!]";
}

void usbHidRecv_ReadAudio()
{
    UsbHidDeviceState &state = usbHidDeviceState();
    state.readAudioWatchdog.store(0);
    state.readAudioReplied.store(true);
    const int productId = usbHidConnection().productId.load();
    qDebug() << "Mr.Lok Log:Audio 7.1 usbHidRecvStart" << productId;
    if (g_receive[6] == 1) {
        qDebug() << "[Recv - ReadAudio::Error]";
        return;
    }
    state.device71.store(g_receive[9]);
    qDebug() << "Mr.Lok Log:Audio 7.1 End" << state.device71.load() << productId;
}

void usbHidRecv_SetPEQ()
{
    UsbHidDeviceState &state = usbHidDeviceState();
    state.peqFirstBand.store(g_receive[7]);
    state.peqLastBand.store(g_receive[8]);
    if (g_receive[6] == 1)
        qDebug() << "[Recv - usbHidRecv_SetPEQ::Error]";
}

void usbHidRecv_SetAlgorithmSwitch()
{
    if (g_receive[6] == 1)
        qDebug() << "[Recv - usbHidRecv_SetAlgorithmSwitch::Error]";
}

void usbHidRecv_ReadStatus()
{
    UsbHidDeviceState &state = usbHidDeviceState();
    state.readStatusWatchdog.store(0);
    if (g_receive[6] == 1) {
        state.readStatusReplied.store(true);
        qDebug() << "[Recv - usbHidRecv_ReadStatus::Error]";
        return;
    }
    usbHidSetIdentityBytes({{g_receive[9], g_receive[10], g_receive[11], g_receive[12]}});
    state.readStatusReplied.store(true);
}

QString usbHidVersionText()
{
    std::lock_guard<std::mutex> locker(g_stateLock);
    return g_version;
}

void usbHidClearVersionText()
{
    std::lock_guard<std::mutex> locker(g_stateLock);
    g_version.clear();
}

void usbHidRecv_Spectrum()
{
    std::lock_guard<std::mutex> locker(g_stateLock);
    std::memcpy(g_spectrum.data(), g_receive.data() + UsbHidFrame::kPayloadByte, kSpectrumBands);
}
