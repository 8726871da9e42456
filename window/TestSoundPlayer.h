#pragma once

#include <QString>
#include <memory>

// The speaker test's sound. Playing it takes Qt Multimedia with its audio back
// end (PulseAudio and its codecs, megabytes of libraries), which most starts
// never need, so the player lives in a module beside the program that is
// loaded when the first test starts.
class TestSoundPlayer
{
public:
    virtual ~TestSoundPlayer() = default;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual int volume() const = 0;
    // The media status as the debug log words it.
    virtual QString status() const = 0;
};

// The module's one entry point.
using TestSoundFactory = TestSoundPlayer *(*)(const QString &file, int volume);
inline constexpr const char *kTestSoundFactoryName = "voxbench_createTestSoundPlayer";
inline constexpr const char *kTestSoundModuleName = "voxbench_testsound";

// A player of the file at that volume (0..100), ready to play. Without the
// module the test runs silent: the player keeps its state and plays nothing.
std::unique_ptr<TestSoundPlayer> makeTestSoundPlayer(const QString &file, int volume);
