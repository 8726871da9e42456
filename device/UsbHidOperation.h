#pragma once

// The receiver's HID link: one open receiver per process, its report frame,
// one sender per command and the parsers of its replies.
//
// Threads: the open, the writes and every sender run on the GUI thread; the
// parsers run on the read thread (MyThread). Everything the read thread writes
// and the GUI thread reads is atomic or copied under a lock, and is written
// before the read thread emits the code that announces it.

#include "device/ReceiverContract.h"
#include "device/UsbHidCommands.h"

#include <QMap>
#include <QString>
#include <QtGlobal>
#include <array>
#include <atomic>
#include <string>

#include <hidapi.h>

// Product id -> vendor id text of that product's default preset file ("0x5A17").
// Only receivers listed here can be opened.
using KnownDevices = QMap<int, QString>;

constexpr int kReportSize = 64;
constexpr int kShortReportSize = 32;
constexpr int kReceiveBufferSize = 70;
constexpr int kSpectrumBands = 57;
constexpr int kReadTimeoutMs = 50;

using Gains = std::array<int, kBands>;
using SpectrumLevels = std::array<quint8, kSpectrumBands>;
using IdentityBytes = std::array<quint8, 4>;

// Write results.
enum UsbHidWriteResult { WriteOk = 0, WriteFailed = 1, WriteNoDevice = 2 };
// Open results.
enum UsbHidOpenResult { OpenOk = 0, OpenFailed = -1, OpenNoDevice = -2 };

struct UsbHidConnection
{
    std::atomic<hid_device *> handle{nullptr};
    std::atomic<int> opened{0};
    std::atomic<quint16> vendorId{0};
    std::atomic<quint16> productId{0};
    // hidapi's path of the open node; set and read on the GUI thread only.
    std::string path;
};

// Process-wide device state filled by the reply parsers.
struct UsbHidDeviceState
{
    std::atomic<int> device71{0};
    std::atomic<int> peqFirstBand{0};
    std::atomic<int> peqLastBand{0};
    std::atomic<int> spectrumOn{0};

    // Reply watch of ReadAudio and ReadStatus.
    std::atomic<bool> readAudioReplied{false};
    std::atomic<int> readAudioWatchdog{0};
    std::atomic<bool> readStatusReplied{false};
    std::atomic<int> readStatusWatchdog{0};
};

UsbHidConnection &usbHidConnection();
UsbHidDeviceState &usbHidDeviceState();

IdentityBytes usbHidIdentityBytes();
void usbHidSetIdentityBytes(const IdentityBytes &bytes);
// Eight lower-case hex digits of the identity bytes.
QString usbHidIdentityText(const IdentityBytes &bytes);

SpectrumLevels usbHidSpectrumLevels();
// The version text of the receiver's ReadVersion reply; empty until one carried
// a version field. Cleared when an attachment begins.
QString usbHidVersionText();
void usbHidClearVersionText();

// Transport.
int usbHidOpenDevice(const KnownDevices &knownDevices);
int usbHidWriteDevice(const quint8 *report);
quint8 usbHidCheckSum(const quint8 *buffer, int count);
// Closes the handle and clears it. Whoever reads from the handle stops first:
// the receiver session ends its read thread before it calls this.
void usbHidCloseHandle();
bool usbHidAcceptedProductId(int productId);

// Senders (GUI thread).
void usbHidSend_ReadVersion();
void usbHidSend_ReadAudio(int attempt);
int usbHidSend_SetPEQ(int one, int firstBand, int lastBand, int modeCode, const Gains &gains);
int usbHidSend_SetAlgorithmSwitch(int one, int surround, int enc, int stereo);
void usbHidSend_ReadStatus(int attempt);
int usbHidSend_SpectrumSwitch(int on);

// Input reports (read thread). Recognise checks length, header and checksum;
// dispatch copies the report into the receive buffer, runs its parser and
// returns the ReplyCode the read thread emits, or ReplyCode::None.
bool usbHidRecognizeReport(const quint8 *report, int length);
int usbHidDispatchReport(const quint8 *report, int length);

void usbHidRecv_ReadVersion();
void usbHidRecv_ReadAudio();
void usbHidRecv_SetPEQ();
void usbHidRecv_SetAlgorithmSwitch();
void usbHidRecv_ReadStatus();
void usbHidRecv_Spectrum();
