// The module behind TestSoundPlayer: Qt Multimedia's player.
#include "window/TestSoundPlayer.h"

#include <QDebug>
#include <QMediaPlayer>
#include <QUrl>

namespace {
class MediaTestSoundPlayer : public TestSoundPlayer
{
public:
    MediaTestSoundPlayer(const QString &file, int volume) : m_player(nullptr, QMediaPlayer::Flags())
    {
        m_player.setMedia(QUrl::fromLocalFile(file));
        m_player.setVolume(volume);
    }
    void play() override { m_player.play(); }
    void pause() override { m_player.pause(); }
    void stop() override { m_player.stop(); }
    int volume() const override { return m_player.volume(); }
    QString status() const override
    {
        QString text;
        QDebug(&text).nospace() << m_player.mediaStatus();
        return text;
    }

private:
    QMediaPlayer m_player;
};
} // namespace

extern "C" Q_DECL_EXPORT TestSoundPlayer *voxbench_createTestSoundPlayer(const QString &file, int volume)
{
    return new MediaTestSoundPlayer(file, volume);
}
