#pragma once

// The numbers that cross from the device link to its users, by name: the
// codes the read thread announces, the algorithm switches, the two kinds of
// PEQ upload and the mode code each upload carries.

#include <QtGlobal>

// The codes of MyThread::sendReadAudio(int).
enum class ReplyCode : int {
    None = 0,
    ReadAudio = 20,     // the 7.1 flag has been parsed
    PeqAck = 21,        // a SetPEQ packet was acknowledged
    AlgorithmAck = 31,  // a SetAlgorithmSwitch was acknowledged
    Status = 32,        // the identity bytes have been parsed
    Spectrum = 99,      // 57 spectrum levels have been parsed
    SpectrumFrame = 999 // time to draw the next spectrum frame
};

constexpr int replyCodeValue(ReplyCode code)
{
    return static_cast<int>(code);
}

// The three switch bytes of SetAlgorithmSwitch (surround, Mic ENC, stereo).
struct AlgorithmSwitch
{
    quint8 surround;
    quint8 enc;
    quint8 stereo;

    constexpr bool operator==(const AlgorithmSwitch &other) const
    {
        return surround == other.surround && enc == other.enc && stereo == other.stereo;
    }
};

namespace AlgorithmSwitches {
constexpr AlgorithmSwitch kSurround{1, 0, 0};
constexpr AlgorithmSwitch kStereo{0, 0, 1};
// Headset model 1 plays its 7.1 modes through the stereo algorithm.
constexpr AlgorithmSwitch kModelOneSurround = kStereo;
constexpr AlgorithmSwitch kEncOn{0, 1, 0};
constexpr AlgorithmSwitch kEncOff{0, 2, 0};
// Sent once when the program ends.
constexpr AlgorithmSwitch kQuit{2, 2, 2};
} // namespace AlgorithmSwitches

// Which equalizer a PEQ upload carries; the number is the "send kind" of sendPEQParameter.
enum class PeqKind : int { Stereo = 0, Surround = 1 };

// The algorithm of the page on screen, switched to after each complete PEQ upload.
enum class PageAlgorithm { None, Surround, Stereo };

// The headset model whose 7.1 modes use the low mode codes and the stereo algorithm.
constexpr int kHeadsetModelOne = 1;
// The other models: a plain receiver shows the live spectrum; models two and
// three show their pictures instead.
constexpr int kGenericModel = 0;
constexpr int kHeadsetModelTwo = 2;
constexpr int kHeadsetModelThree = 3;

constexpr AlgorithmSwitch algorithmSwitchAfterUpload(PageAlgorithm algorithm, int headsetModel)
{
    return algorithm == PageAlgorithm::Surround && headsetModel != kHeadsetModelOne
               ? AlgorithmSwitches::kSurround
               : AlgorithmSwitches::kStereo;
}

// Slots of custom modes per tab.
constexpr int kCustomSlots = 5;

// The mode code of a SetPEQ upload: built-in button n, or custom slot s.
enum class ModeSource { Preset, Custom };
constexpr int modeCode(PeqKind kind, ModeSource source, int number, int headsetModel)
{
    const bool highSurroundCodes = kind == PeqKind::Surround && headsetModel != kHeadsetModelOne;
    if (source == ModeSource::Preset)
        return highSurroundCodes ? 16 + number : number;
    return highSurroundCodes ? 22 + number : 6 + number;
}
