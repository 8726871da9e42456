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
constexpr AlgorithmSwitch kEncOn{0, 1, 0};
constexpr AlgorithmSwitch kEncOff{0, 2, 0};
// Sent once when the program ends.
constexpr AlgorithmSwitch kQuit{2, 2, 2};
} // namespace AlgorithmSwitches

// Which equalizer a PEQ upload carries; the number is the "send kind" of sendPEQParameter.
enum class PeqKind : int { Stereo = 0, Surround = 1 };

// The algorithm of the page on screen, switched to after each complete PEQ upload.
enum class PageAlgorithm { None, Surround, Stereo };

// What a receiver does beyond a plain one, as its row in device/ReceiverModels.h
// says. A plain receiver offers 7.1 when it reports it, plays it through the
// surround algorithm under the high mode codes and shows the live spectrum.
struct ReceiverCapabilities
{
    // Offers 7.1 whatever the receiver reports.
    bool offers71 = false;
    // Plays 7.1 through the stereo algorithm, its 7.1 modes under the stereo
    // (low) mode codes.
    bool surroundAsStereo = false;
    // The picture its stereo page shows instead of the live spectrum, below
    // ":/headset/pic/headset/"; none for the spectrum.
    const char *picture = nullptr;
};

// The one 7.1 rule: the receiver says it offers 7.1, or its row does.
constexpr bool offersSurround(const ReceiverCapabilities &receiver, bool receiverReports71)
{
    return receiverReports71 || receiver.offers71;
}

// The one spectrum rule: a receiver with a picture shows it instead.
constexpr bool showsSpectrum(const ReceiverCapabilities &receiver)
{
    return receiver.picture == nullptr;
}

constexpr AlgorithmSwitch algorithmSwitchAfterUpload(PageAlgorithm algorithm,
                                                     const ReceiverCapabilities &receiver)
{
    return algorithm == PageAlgorithm::Surround && !receiver.surroundAsStereo ? AlgorithmSwitches::kSurround
                                                                              : AlgorithmSwitches::kStereo;
}

// Slots of custom modes per tab.
constexpr int kCustomSlots = 5;

// The mode code of a SetPEQ upload: built-in button n, or custom slot s.
enum class ModeSource { Preset, Custom };
constexpr int modeCode(PeqKind kind, ModeSource source, int number, const ReceiverCapabilities &receiver)
{
    const bool highSurroundCodes = kind == PeqKind::Surround && !receiver.surroundAsStereo;
    if (source == ModeSource::Preset)
        return highSurroundCodes ? 16 + number : number;
    return highSurroundCodes ? 22 + number : 6 + number;
}
