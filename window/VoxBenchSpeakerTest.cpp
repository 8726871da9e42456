// The speaker test: a test sound plays while the seven surround speakers light
// up one after the other, paced by the sequencer thread.
#include "window/VoxBench.h"

#include "ui/MessageBox.h"
#include "window/FirstShowWarmup.h"
#include "window/MyThread_Two.h"
#include "window/TestSoundPlayer.h"

#include <QDebug>
#include <QLabel>
#include <QMovie>

namespace {
struct ChannelLook
{
    QLabel *VoxBenchForm::*label;
    const char *animation;
    const char *staticStyle;
};

// Channels 1 to 7 in step order.
const ChannelLook kChannels[7] = {
    {&VoxBenchForm::label_Horn_LeftUp, ":/gif/pic/gif/HornLeftUp.gif",
     "border-image: url(:/png/pic/png/leftup.png);"},
    {&VoxBenchForm::label_Horn_Up, ":/gif/pic/gif/HornUp.gif",
     "QLabel{border-image: url(:/png/pic/png/up.png);}"},
    {&VoxBenchForm::label_Horn_RightUp, ":/gif/pic/gif/HornRightUp.gif",
     "QLabel{border-image: url(:/png/pic/png/rightup.png);}"},
    {&VoxBenchForm::label_Horn_Right, ":/gif/pic/gif/HornRight.gif",
     "QLabel{border-image: url(:/png/pic/png/right.png);}"},
    {&VoxBenchForm::label_Horn_RightDown, ":/gif/pic/gif/HornRightBottom.gif",
     "QLabel{border-image: url(:/png/pic/png/rightdown.png);}"},
    {&VoxBenchForm::label_Horn_LeftDown, ":/gif/pic/gif/HornLeftBottom.gif",
     "QLabel{border-image: url(:/png/pic/png/leftdown.png);}"},
    {&VoxBenchForm::label_Horn_Left, ":/gif/pic/gif/Hornleft.gif",
     "QLabel{border-image: url(:/png/pic/png/left.png);}"},
};

constexpr int kLeftChannel = 7;

bool isChannel(int channel)
{
    return channel >= 1 && channel <= 7;
}

void startMovie(const std::unique_ptr<QMovie> &movie)
{
    if (movie)
        movie->start();
}

void stopMovie(const std::unique_ptr<QMovie> &movie)
{
    if (movie)
        movie->stop();
}
} // namespace

std::unique_ptr<QMovie> *VoxBench::channelMovie(int channel)
{
    switch (channel) {
    case 1:
        return &m_leftUpMovie;
    case 2:
        return &m_upMovie;
    case 3:
        return &m_rightUpMovie;
    case 4:
        return &m_rightMovie;
    case 5:
        return &m_rightDownMovie;
    case 6:
        return &m_leftDownMovie;
    case 7:
        return &m_leftMovie;
    default:
        return nullptr;
    }
}

void VoxBench::endChannel(int channel)
{
    std::unique_ptr<QMovie> *movie = channelMovie(channel);
    if (!movie)
        return;
    stopMovie(*movie);
    QLabel *label = ui.*kChannels[channel - 1].label;
    // Detach before the animation goes, then the static picture comes back.
    label->clear();
    movie->reset();
    label->setStyleSheet(QString::fromLatin1(kChannels[channel - 1].staticStyle));
}

void VoxBench::on_PushButton_PlayTest_Clicked()
{
    if (!m_model->receiverOpen()) {
        MessageBox::warning(nullptr, tr("warning"), tr("Pleasr Insert Device!"));
        return;
    }

    if (m_testClicks == 0) {
        m_testPlaying = true;
        loadTestAnimations();
        playTestSound();
    }

    const int r = m_testClicks % 2;
    if (r == 1 && m_player) {
        m_testPlaying = false;
        m_player->pause();
        if (m_testThread)
            m_testThread->setPaused(true);
        stopMovie(m_personMovie);
        if (std::unique_ptr<QMovie> *movie = channelMovie(m_testChannel))
            stopMovie(*movie);
    } else if (r == 0 && m_testClicks > 0 && m_player) {
        m_testPlaying = true;
        m_player->play();
        if (m_testThread)
            m_testThread->setPaused(false);
        if (std::unique_ptr<QMovie> *movie = channelMovie(m_testChannel))
            startMovie(*movie);
        startMovie(m_personMovie);
    }
    ++m_testClicks;
}

void VoxBench::loadTestAnimations()
{
    // The static pictures come first, then the animations replace them.
    m_warmup->finishSteps();
    m_personMovie = std::make_unique<QMovie>(QStringLiteral(":/gif/pic/gif/PersonHead1.gif"));
    for (int channel = 1; channel <= 7; ++channel)
        *channelMovie(channel) =
            std::make_unique<QMovie>(QString::fromLatin1(kChannels[channel - 1].animation));

    ui.label_PersonGif->setStyleSheet(QString());
    ui.label_PersonGif->setMovie(m_personMovie.get());
    ui.label_PersonGif->setScaledContents(true);
    m_personMovie->start();

    // Each speaker keeps its static picture until its channel comes.
    for (int channel = 1; channel <= 7; ++channel) {
        QLabel *label = ui.*kChannels[channel - 1].label;
        label->setMovie(channelMovie(channel)->get());
        label->setScaledContents(true);
    }
}

void VoxBench::playTestSound()
{
    const QString path = m_appDirPath + QStringLiteral("/audio/test.wav");
    qDebug() << "MediaPlayer Play Audio!";
    m_player = makeTestSoundPlayer(path, 50);
    m_player->play();

    if (m_testThread) {
        m_testThread->play();
    } else {
        qDebug() << "Please Input Device!";
    }
}

void VoxBench::on_SLOTSetMicTimer_LabelUI(int index)
{
    qDebug() << "SLOT::SetUI!";
    // A step of a replaced sequencer, or one already under way when the test
    // was stopped, must not animate an idle panel.
    const QObject *from = sender();
    if ((from && from != m_testThread.get()) || m_testClicks == 0)
        return;

    if (index == 1) {
        if (m_testPlaying)
            startMovie(m_leftUpMovie);
        m_testChannel = 1;
    } else if (index >= 2 && index <= 7) {
        endChannel(index - 1);
        if (m_testPlaying)
            startMovie(*channelMovie(index));
        m_testChannel = index;
    } else if (index == MyThread_Two::kLastStep) {
        qDebug() << "m_player is stop!";
        if (m_player) {
            m_player->stop();
            qDebug().noquote() << "mediaStatus == " << m_player->status();
            m_player.reset();
        }
        stopMovie(m_personMovie);
        // The head animation stays in its label, stopped.
        endChannel(kLeftChannel);
        m_testChannel = 0;
        m_testPlaying = false;
        m_testClicks = 0;
    }
}

void VoxBench::stopSpeakerTest()
{
    if (!m_testPlaying)
        return;
    if (m_testThread)
        m_testThread->halt();
    if (m_player) {
        m_player->stop();
        m_player.reset();
    }
    stopMovie(m_personMovie);
    if (isChannel(m_testChannel)) {
        std::unique_ptr<QMovie> *movie = channelMovie(m_testChannel);
        stopMovie(*movie);
        (ui.*kChannels[m_testChannel - 1].label)->clear();
        movie->reset();
    }
    ui.label_Horn_Left->clear();
    ui.label_Horn_Left->setStyleSheet(QString::fromLatin1(kChannels[kLeftChannel - 1].staticStyle));
    m_testChannel = 0;
    m_testPlaying = false;
    m_testClicks = 0;
}

void VoxBench::on_PushButton_Horn_LeftUp_Clicked() {}
