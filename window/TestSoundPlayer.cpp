#include "window/TestSoundPlayer.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibrary>
#include <QStringList>

namespace {
// Stands in when the module is missing; the animation still runs in step.
class SilentPlayer : public TestSoundPlayer
{
public:
    explicit SilentPlayer(int volume) : m_volume(volume) {}
    void play() override {}
    void pause() override {}
    void stop() override {}
    int volume() const override { return m_volume; }
    QString status() const override { return QStringLiteral("NoMedia"); }

private:
    int m_volume;
};

TestSoundFactory loadFactory()
{
    // Beside the program, or in the build tree for the tests built there.
    QStringList folders{QCoreApplication::applicationDirPath()};
#ifdef VOXBENCH_BUILD_MODULE_DIR
    folders << QStringLiteral(VOXBENCH_BUILD_MODULE_DIR);
#endif
    QString errors;
    for (const QString &folder : folders) {
        QLibrary module(folder + QLatin1Char('/') + QLatin1String(kTestSoundModuleName));
        if (auto factory = reinterpret_cast<TestSoundFactory>(module.resolve(kTestSoundFactoryName)))
            return factory;
        errors += module.errorString() + QLatin1Char(' ');
    }
    qWarning() << "The speaker test plays no sound:" << errors.trimmed();
    return nullptr;
}
} // namespace

std::unique_ptr<TestSoundPlayer> makeTestSoundPlayer(const QString &file, int volume)
{
    // Loaded once and kept for the program's life, as Qt keeps its plugins.
    static const TestSoundFactory factory = loadFactory();
    if (factory)
        return std::unique_ptr<TestSoundPlayer>(factory(file, volume));
    return std::make_unique<SilentPlayer>(volume);
}
