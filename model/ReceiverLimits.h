#pragma once

#include "device/ReceiverContract.h"
#include "device/UsbHidCommands.h"

// The receiver's numbers as everything above the model sees them: the window
// takes them from here, never from the device link.
namespace ReceiverLimits {
// Equalizer bands of a mode, 30 Hz to 16 kHz.
constexpr int kBands = ::kBands;
// A band's gain in dB.
constexpr int kMinGain = ::kMinGain;
constexpr int kMaxGain = ::kMaxGain;
// Custom modes per tab and receiver.
constexpr int kCustomSlots = ::kCustomSlots;
} // namespace ReceiverLimits
