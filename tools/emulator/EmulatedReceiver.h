#pragma once

// The receiver's side of the protocol, without any transport: which requests
// it answers, with what, and what it keeps. The hidapi stand-in and the
// umockdev harness of the tests both answer through it, so the two can never
// disagree about the receiver. Plain C++, no Qt.

#include <cstdint>
#include <map>
#include <vector>

class EmulatedReceiver
{
public:
    using Report = std::vector<std::uint8_t>;

    // How every answer of the receiver is spoiled.
    enum class ReplyFault {
        None,
        Garbage,     // each answer comes as noise, a bad checksum and an unknown command
        Truncated,   // each answer is cut off before its checksum
        ErrorStatus, // each answer carries status 1 (error) in its first payload byte
    };

    // What a SpectrumSwitch request asked for.
    enum class Spectrum { Unchanged, On, Off };

    struct Answer
    {
        std::vector<Report> replies; // in the order the receiver sends them
        Spectrum spectrum = Spectrum::Unchanged;
    };

    std::uint32_t identity = 0x0a1b2c3d; // bytes 9..12 of the ReadStatus reply, high byte first
    int flag71 = 1;
    ReplyFault replyFault = ReplyFault::None;

    // The answer to one output report; a report the receiver does not take is
    // not answered and changes nothing.
    Answer answer(const Report &request);

    // One spectrum input report carrying frame `index` of the music levels.
    static Report spectrumReport(std::uint64_t index, int spectrumMs);

    // What the receiver holds from its last requests (command code and, for
    // SetPEQ, the mode code and first band make the key); a receiver that lost
    // power holds nothing.
    using HeldKey = std::vector<std::uint8_t>;
    const std::map<HeldKey, Report> &held() const { return m_held; }
    void forget() { m_held.clear(); }

    // Back to a receiver fresh from the factory.
    void reset();

private:
    void reply(Answer &answer, std::uint8_t code, Report payload, int size);

    std::map<HeldKey, Report> m_held;
    std::uint32_t m_noiseSeed = 1; // of the garbage fault, the same noise on every run
};
