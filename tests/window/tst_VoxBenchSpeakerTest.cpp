// The speaker test on a 7.1 receiver, with the sequencer's ticks shortened to
// 1 ms so that a whole test takes about 1.5 s instead of 14 s.
#include "support/BehaviourSupport.h"

#include "app/VoxBenchInstance.h"
#include "ui/MessageBox.h"
#include "window/MyThread_Two.h"
#include "window/TestSoundPlayer.h"
#include "window/VoxBench.h"

#include <QMovie>
#include <QtTest>
#include <memory>

using namespace behaviour;

namespace {
const char kLeftUpStatic[] = "border-image: url(:/png/pic/png/leftup.png);";
const char kLeftStatic[] = "QLabel{border-image: url(:/png/pic/png/left.png);}";

#if VOXBENCH_POSIX_TESTS
bool multimediaLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt5Multimedia.so");
}
#endif
} // namespace

class tst_VoxBenchSpeakerTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void surroundTabIsAcceptedAndSwitchesTheAlgorithm();
    void wholeTestRunsItsChannelsAndEnds();
    void pauseHoldsTheSequencerAndResumeGoesOn();
    void stereoTabStopsAPlayingTest();
    void stereoTabLeavesAPausedTestPaused();
    void micEncTabLetsTheTestPlayOn();
    void stepsFromElsewhereOrWhenIdleAreIgnored();
    void testPlaysOnThroughARemoval();
    void cleanupTestCase();

private:
    VoxBenchForm &ui() { return m_window->form(); }
    MyThread_Two *sequencer() { return m_window->testThread(); }
    void click() { ui().pushButton_SurroundTest->click(); }
    bool waitForIdle(int timeoutMs);
    std::unique_ptr<VoxBenchInstance> m_instance;
    std::unique_ptr<VoxBench> m_window;
    QVector<MessageBox::Shown> m_boxes;
};

bool tst_VoxBenchSpeakerTest::waitForIdle(int timeoutMs)
{
    return waitFor(
        [this] {
            return !m_window->testPlaying() && !m_window->testPlayer() && m_window->testChannel() == 0;
        },
        timeoutMs);
}

void tst_VoxBenchSpeakerTest::initTestCase()
{
    MyThread_Two::setTickMicroseconds(1000);
    EmulatorControl::Config config;
    config.flag71 = 1;
    EmulatorControl::configure(config);
    MessageBox::setHandler([this](const MessageBox::Shown &shown) { m_boxes.append(shown); });

    m_instance = std::make_unique<VoxBenchInstance>();

    m_window = std::make_unique<VoxBench>(m_instance->model(), m_instance->ruleEngine());
    m_window->show();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->pageState(), PageState::Device, 5000);
    QVERIFY(waitForSettled(m_instance->session()));
    QVERIFY(sequencer());
    // The sound's libraries come with the first test, not with the window.
#if VOXBENCH_POSIX_TESTS
    QVERIFY(!multimediaLoaded());
#endif
}

void tst_VoxBenchSpeakerTest::surroundTabIsAcceptedAndSwitchesTheAlgorithm()
{
    EmulatorControl::clearWrittenReports();
    ui().tabWidget->setCurrentIndex(0);
    QCOMPARE(ui().tabWidget->currentIndex(), 0);
    QCOMPARE(m_window->page(), Page::Surround);
    QVERIFY(!ui().groupBox_SurroundTest->isHidden());
    QVERIFY(ui().groupBox_Stereo_Spectrum->isHidden());

    QTRY_VERIFY(writtenReports().contains(algorithmSwitch(1, 0, 0)));
    const QVector<QByteArray> sent = writtenReports();
    QCOMPARE(sent[0], spectrumSwitch(0));
    QCOMPARE(withCommand(sent, kSetPeq).size(), 2);
    QVERIFY(m_boxes.isEmpty());
    QVERIFY(waitForSettled(m_instance->session()));
}

void tst_VoxBenchSpeakerTest::wholeTestRunsItsChannelsAndEnds()
{
    EmulatorControl::clearWrittenReports();
    click();
    QVERIFY(m_window->testPlaying());
    const TestSoundPlayer *player = m_window->testPlayer();
    QVERIFY(player);
#if VOXBENCH_POSIX_TESTS
    QVERIFY(multimediaLoaded());
#endif
    QCOMPARE(player->volume(), 50);
    QVERIFY(ui().label_PersonGif->movie());
    QCOMPARE(ui().label_PersonGif->styleSheet(), QString());
    // Every speaker holds its animation, not yet started.
    QVERIFY(ui().label_Horn_LeftUp->movie());
    QVERIFY(ui().label_Horn_Left->movie());
    QCOMPARE(sequencer()->running(), 1);

    QTRY_COMPARE_WITH_TIMEOUT(m_window->testChannel(), 1, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->testChannel(), 2, 3000);
    // The front-left channel has ended: animation gone, static picture back.
    QVERIFY(!ui().label_Horn_LeftUp->movie());
    QCOMPARE(ui().label_Horn_LeftUp->styleSheet(), QString::fromLatin1(kLeftUpStatic));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->testChannel(), 7, 5000);

    QVERIFY(waitForIdle(5000));
    QVERIFY(!ui().label_Horn_Left->movie());
    QCOMPARE(ui().label_Horn_Left->styleSheet(), QString::fromLatin1(kLeftStatic));
    // The head stays in its label, stopped.
    QVERIFY(ui().label_PersonGif->movie());
    QCOMPARE(ui().label_PersonGif->movie()->state(), QMovie::NotRunning);
    QTRY_COMPARE(sequencer()->running(), 0);
    // The test sends nothing to the receiver.
    QCOMPARE(EmulatorControl::writtenReportCount(), 0);

    // The next click starts afresh.
    click();
    QVERIFY(m_window->testPlaying());
    QVERIFY(m_window->testPlayer());
    QVERIFY(ui().label_Horn_LeftUp->movie());
    QVERIFY(waitForIdle(8000));
}

void tst_VoxBenchSpeakerTest::pauseHoldsTheSequencerAndResumeGoesOn()
{
    click();
    click();
    QVERIFY(!m_window->testPlaying());
    QVERIFY(m_window->testPlayer());
    QCOMPARE(sequencer()->paused(), 1);
    spin(30);
    const int frozen = sequencer()->ticks();
    QVERIFY(frozen < 100);
    spin(300);
    QCOMPARE(sequencer()->ticks(), frozen);
    QCOMPARE(m_window->testChannel(), 0);

    click();
    QVERIFY(m_window->testPlaying());
    QCOMPARE(sequencer()->paused(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->testChannel(), 1, 3000);

    // Pause on a channel: the sequencer halts there, and resuming keeps the channel.
    click();
    const int channel = m_window->testChannel();
    QVERIFY(channel >= 1);
    spin(300);
    QCOMPARE(m_window->testChannel(), channel);
    click();
    QVERIFY(waitForIdle(8000));
}

void tst_VoxBenchSpeakerTest::stereoTabStopsAPlayingTest()
{
    click();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->testChannel(), 2, 3000);
    ui().tabWidget->setCurrentIndex(1);
    QVERIFY(!m_window->testPlaying());
    QVERIFY(!m_window->testPlayer());
    QCOMPARE(m_window->testChannel(), 0);
    QCOMPARE(sequencer()->running(), 0);
    QVERIFY(!ui().label_Horn_Up->movie());
    QCOMPARE(ui().label_Horn_Left->styleSheet(), QString::fromLatin1(kLeftStatic));
    QTRY_COMPARE(sequencer()->ticks(), 0);
    spin(300);
    QCOMPARE(m_window->testChannel(), 0);
    QCOMPARE(sequencer()->running(), 0);

    ui().tabWidget->setCurrentIndex(0);
    QVERIFY(waitForSettled(m_instance->session()));
}

void tst_VoxBenchSpeakerTest::stereoTabLeavesAPausedTestPaused()
{
    click();
    click();
    ui().tabWidget->setCurrentIndex(1);
    QVERIFY(m_window->testPlayer());
    QCOMPARE(sequencer()->running(), 1);
    QCOMPARE(sequencer()->paused(), 1);
    ui().tabWidget->setCurrentIndex(0);
    click();
    QVERIFY(m_window->testPlaying());
    QVERIFY(waitForIdle(8000));
    QVERIFY(waitForSettled(m_instance->session()));
}

void tst_VoxBenchSpeakerTest::micEncTabLetsTheTestPlayOn()
{
    click();
    ui().tabWidget->setCurrentIndex(2);
    QVERIFY(ui().groupBox_SurroundTest->isHidden());
    QVERIFY(m_window->testPlaying());
    QTRY_COMPARE_WITH_TIMEOUT(m_window->testChannel(), 3, 3000);
    QVERIFY(waitForIdle(8000));
    ui().tabWidget->setCurrentIndex(0);
    QVERIFY(waitForSettled(m_instance->session()));
}

void tst_VoxBenchSpeakerTest::stepsFromElsewhereOrWhenIdleAreIgnored()
{
    const QString before = ui().label_Horn_RightUp->styleSheet();
    // A step that was on its way when the test stopped finds the panel idle.
    m_window->on_SLOTSetMicTimer_LabelUI(4);
    QCOMPARE(m_window->testChannel(), 0);
    QCOMPARE(ui().label_Horn_RightUp->styleSheet(), before);

    // A sequencer that is not the window's own does not drive it.
    MyThread_Two stray;
    connect(&stray, &MyThread_Two::sendSetMicTimer, m_window.get(), &VoxBench::on_SLOTSetMicTimer_LabelUI);
    click();
    emit stray.sendSetMicTimer(5);
    QCOMPARE(m_window->testChannel(), 0);
    QVERIFY(m_window->testPlaying());
    ui().tabWidget->setCurrentIndex(1);
    QVERIFY(!m_window->testPlaying());
    ui().tabWidget->setCurrentIndex(0);
    QVERIFY(waitForSettled(m_instance->session()));
}

void tst_VoxBenchSpeakerTest::testPlaysOnThroughARemoval()
{
    if (ui().tabWidget->currentIndex() != 0)
        ui().tabWidget->setCurrentIndex(0);
    MyThread_Two *first = sequencer();
    click();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->testChannel(), 1, 3000);

    // Pulled out mid-test: the sound and the steps carry on to the end.
    EmulatorControl::setPresent(false);
    m_instance->handleHidRemoval(0x5A17, 0x4152);
    QVERIFY(m_window->testPlaying());
    QVERIFY(waitForIdle(8000));
    QCOMPARE(m_window->testChannel(), 0);
    QVERIFY(!m_window->testPlayer());

    // The next attachment keeps the same sequencer, and it drives a new test.
    EmulatorControl::setPresent(true);
    m_instance->handleHidArrival();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->pageState(), PageState::Device, 5000);
    QCOMPARE(sequencer(), first);
    QVERIFY(waitForSettled(m_instance->session()));
    if (ui().tabWidget->currentIndex() != 0)
        ui().tabWidget->setCurrentIndex(0);
    click();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->testChannel(), 1, 3000);
    QVERIFY(waitForIdle(8000));
}

void tst_VoxBenchSpeakerTest::cleanupTestCase()
{
    m_window.reset();
    m_instance.reset();
    MessageBox::clearHandler();
}

QTEST_MAIN(tst_VoxBenchSpeakerTest)
#include "tst_VoxBenchSpeakerTest.moc"
