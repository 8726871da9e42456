// The tab handler, Mic ENC and the spectrum panel against an emulated
// receiver that has no 7.1 algorithm.
#include "support/BehaviourSupport.h"

#include "app/VoxBenchInstance.h"
#include "log/DebugLog.h"
#include "ui/MessageBox.h"
#include "window/VoxBench.h"

#include <QFile>
#include <QtTest>
#include <memory>
#include <qcustomplot.h>

using namespace behaviour;

class tst_VoxBenchTabs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void surroundTabIsRefusedAfterTheStereoBranch();
    void micEncTabSwitchesSpectrumOffAndSendsNoPeq();
    void micEncBoxSendsEncBytesAndRecords();
    void stereoTabDrawsTheSpectrumComb();
    void combIsFilledUpToEachSpike();
    void equalizerPanelsShareOneScaledGround();
    void hiddenWindowDrawsNothing();
    void closingWithoutTrayEndsTheProgram();
    void cleanupTestCase();

private:
    struct Box
    {
        MessageBox::Shown shown;
        QVector<QByteArray> sentBefore;
    };
    std::unique_ptr<VoxBenchInstance> m_instance;
    std::unique_ptr<VoxBench> m_window;
    QVector<Box> m_boxes;
};

void tst_VoxBenchTabs::initTestCase()
{
    EmulatorControl::Config config;
    config.flag71 = 0;
    config.spectrumMs = 20;
    EmulatorControl::configure(config);
    MessageBox::setHandler([this](const MessageBox::Shown &shown) {
        m_boxes.append({shown, writtenReports()});
    });

    m_instance = std::make_unique<VoxBenchInstance>();

    m_window = std::make_unique<VoxBench>(m_instance->model(), m_instance->ruleEngine());
    m_window->show();
    // Under the no-receiver page no plot is drawn; the device page shows only its tab's.
    VoxBenchForm &ui = m_window->form();
    QCOMPARE(m_window->pageState(), PageState::NoReceiver);
    QVERIFY(ui.widget_Param_Stereo->isHidden() && ui.widget_Param_Surround->isHidden());
    QVERIFY(ui.groupBox_Stereo_Spectrum->isHidden());
    QTRY_COMPARE_WITH_TIMEOUT(m_window->pageState(), PageState::Device, 5000);
    QVERIFY(waitForSettled(m_instance->session()));
    QCOMPARE(ui.tabWidget->currentIndex(), 1);
    QVERIFY(!m_window->model()->showsPicture());
    QVERIFY(ui.widget_Param_Stereo->isVisible() && ui.widget_Spectrum->isVisible());
    QVERIFY(ui.widget_Param_Surround->isHidden());
    // The live spectrum shows in place of the picture, which is never decoded.
    QVERIFY(ui.label_Spectrum->isHidden());
    QCOMPARE(ui.label_Spectrum->styleSheet(), QString());
}

void tst_VoxBenchTabs::surroundTabIsRefusedAfterTheStereoBranch()
{
    VoxBenchForm &ui = m_window->form();
    EmulatorControl::clearWrittenReports();
    m_boxes.clear();

    ui.tabWidget->setCurrentIndex(0);

    QCOMPARE(ui.tabWidget->currentIndex(), 1);
    QCOMPARE(m_window->page(), Page::Stereo);
    // The box waits for the stereo branch's reports, which wait for the settle.
    QTRY_COMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].shown.kind, MessageBox::Kind::Information);
    QCOMPARE(m_boxes[0].shown.title, QStringLiteral("prompt"));
    QCOMPARE(m_boxes[0].shown.text, QStringLiteral("The device does not support this algorithm"));

    // Before the box: the spectrum switched on, then the stereo mode's first packet.
    const QVector<QByteArray> before = m_boxes[0].sentBefore;
    QCOMPARE(before.size(), 2);
    QCOMPARE(before[0], spectrumSwitch(1));
    QCOMPARE(command(before[1]), kSetPeq);
    QCOMPARE(int(before[1][7]), 0);
    QCOMPARE(int(before[1][8]), 4);
    QVERIFY(!ui.widget_Param_Stereo->isHidden());
    QVERIFY(ui.widget_Param_Surround->isHidden());
    QVERIFY(!ui.widget_Spectrum->isHidden());

    // The second packet follows; its acknowledgement switches to stereo.
    QTRY_VERIFY(writtenReports().contains(algorithmSwitch(0, 0, 1)));
    const QVector<QByteArray> all = writtenReports();
    QCOMPARE(withCommand(all, kSetPeq).size(), 2);
    QCOMPARE(withCommand(all, kSpectrumSwitch).size(), 1);
    QVERIFY(waitForSettled(m_instance->session()));
}

void tst_VoxBenchTabs::micEncTabSwitchesSpectrumOffAndSendsNoPeq()
{
    VoxBenchForm &ui = m_window->form();
    EmulatorControl::clearWrittenReports();
    ui.tabWidget->setCurrentIndex(2);
    QCOMPARE(m_window->page(), Page::MicEnc);
    spin(300);

    const QVector<QByteArray> sent = writtenReports();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent[0], spectrumSwitch(0));
    QCOMPARE(usbHidDeviceState().spectrumOn.load(), 0);
    for (QWidget *w :
         {static_cast<QWidget *>(ui.widget_Param_Stereo), static_cast<QWidget *>(ui.widget_Param_Surround),
          static_cast<QWidget *>(ui.groupBox_Stereo_Spectrum),
          static_cast<QWidget *>(ui.groupBox_SurroundTest), static_cast<QWidget *>(ui.label_dB),
          static_cast<QWidget *>(ui.pushButton_CustomSave)})
        QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
}

void tst_VoxBenchTabs::micEncBoxSendsEncBytesAndRecords()
{
    VoxBenchForm &ui = m_window->form();
    QCOMPARE(ui.tabWidget->currentIndex(), 2);
    // The receiver's stored Mic ENC state (on by default) was applied on connection.
    QVERIFY(ui.checkBox_MicENC->isChecked());

    EmulatorControl::clearWrittenReports();
    ui.checkBox_MicENC->click();
    QVERIFY(!ui.checkBox_MicENC->isChecked());
    ui.checkBox_MicENC->click();
    spin(100);

    const QVector<QByteArray> sent = writtenReports();
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent[0], algorithmSwitch(0, 2, 0));
    const QByteArray ticked = QByteArray::fromHex("4f308018310601000000010050").leftJustified(64, '\0');
    QCOMPARE(sent[1], ticked);

    QFile log(debugLogPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().split('\n');
    // The newest record of each kind: connection applied the stored state before.
    auto recordIndex = [&lines](const char *message, const char *line) {
        for (int i = lines.size() - 1; i >= 0; --i) {
            const QByteArray &l = lines[i];
            if (l.contains("MicENC Switch") && l.contains(message) && l.contains("VoxBench") &&
                l.contains("on_CheckBox_MicENC_Clicked") && l.contains(line))
                return i;
        }
        return -1;
    };
    const int closed = recordIndex("CLose ENC", "2307");
    const int opened = recordIndex("Open ENC", "2302");
    QVERIFY(closed >= 0);
    QVERIFY(opened > closed);
}

void tst_VoxBenchTabs::stereoTabDrawsTheSpectrumComb()
{
    VoxBenchForm &ui = m_window->form();
    ui.tabWidget->setCurrentIndex(1);
    QCOMPARE(usbHidDeviceState().spectrumOn.load(), 1);
    QCPGraph *graph = ui.widget_Spectrum->graph(0);
    QVERIFY(graph);
    QCOMPARE(graph->name(), QStringLiteral("test1"));

    // The receiver streams; the read thread's ticks draw the comb.
    QTRY_COMPARE_WITH_TIMEOUT(graph->data()->size(), 230, 3000);
    bool spike = false;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (int k = 1; k < 230; k += 2)
                spike = spike || graph->data()->at(k)->value > 1.0;
            return spike;
        }(),
        3000);

    quint8 frame[115] = {};
    for (int j = 0; j < 114; ++j)
        frame[j] = quint8(j % 101);
    m_window->drawSpectrum(frame);
    const QSharedPointer<QCPGraphDataContainer> data = graph->data();
    QCOMPARE(data->size(), 230);
    for (int j = 0; j < 115; ++j) {
        QCOMPARE(data->at(2 * j)->key, double(2 * j));
        QCOMPARE(data->at(2 * j)->value, 1.0);
        QCOMPARE(data->at(2 * j + 1)->key, double(2 * j + 1));
        QCOMPARE(data->at(2 * j + 1)->value, double(frame[j]));
    }
    QCOMPARE(data->at(229)->value, 0.0);
}

void tst_VoxBenchTabs::combIsFilledUpToEachSpike()
{
    QCustomPlot *plot = m_window->form().widget_Spectrum;
    quint8 frame[115] = {};
    frame[57] = 100; // key 115, mid-panel
    m_window->drawSpectrum(frame);
    plot->replot(QCustomPlot::rpImmediateRefresh);
    const QImage image = plot->grab().toImage();
    const double ratio = image.devicePixelRatio();
    auto colourAt = [&](double key, double value) {
        return QColor(image.pixel(int(plot->xAxis->coordToPixel(key) * ratio),
                                  int(plot->yAxis->coordToPixel(value) * ratio)));
    };
    const QColor fill(11, 213, 234);
    const QColor background(13, 10, 42);
    QCOMPARE(colourAt(115, 20), fill);
    QCOMPARE(colourAt(115, 50), fill);
    // Near the tip the outline covers the narrow spike.
    QVERIFY(colourAt(115, 90) != background);
    QCOMPARE(colourAt(60, 50), background);
    QCOMPARE(colourAt(115, 100.0 + 5), background);
}

// Both tabs' panels draw one copy of their ground picture, scaled as the plot
// would scale it, and the plot finds nothing left to scale (no copy of its own).
void tst_VoxBenchTabs::equalizerPanelsShareOneScaledGround()
{
    VoxBenchForm &ui = m_window->form();
    ui.widget_Param_Surround->replot(QCustomPlot::rpImmediateRefresh);
    ui.widget_Param_Stereo->replot(QCustomPlot::rpImmediateRefresh);
    QCPAxisRect *const surround = ui.widget_Param_Surround->axisRect(0);
    const QPixmap ground = surround->background();
    QCOMPARE(ground.cacheKey(), ui.widget_Param_Stereo->axisRect(0)->background().cacheKey());
    const QSize size = surround->rect().size();
    const QPixmap picture =
        QPixmap::fromImage(QImage(QStringLiteral(":/controls/pic/control/Background3.png")));
    QCOMPARE(ground.toImage(),
             picture.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation).toImage());
    QCOMPARE(ground.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation).cacheKey(),
             ground.cacheKey());
}

void tst_VoxBenchTabs::hiddenWindowDrawsNothing()
{
    VoxBenchForm &ui = m_window->form();
    QCPGraph *graph = ui.widget_Spectrum->graph(0);
    quint8 marker[115] = {};
    for (int j = 0; j < 114; ++j)
        marker[j] = 77;
    m_window->drawSpectrum(marker);

    m_window->hide();
    QCOMPARE(usbHidDeviceState().spectrumOn.load(), 1);
    spin(500);
    // Ticks came all along, but the comb still shows the last drawn frame.
    for (int k = 1; k < 229; k += 2)
        QCOMPARE(graph->data()->at(k)->value, 77.0);

    m_window->show();
    QTRY_VERIFY_WITH_TIMEOUT(graph->data()->at(1)->value != 77.0 || graph->data()->at(101)->value != 77.0,
                             3000);
}

void tst_VoxBenchTabs::closingWithoutTrayEndsTheProgram()
{
    // Offscreen on Linux there is no system tray: a hidden window could never be brought back.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("this desktop has a tray (Windows always has its notification area)");
    EmulatorControl::clearWrittenReports();
    QTimer::singleShot(0, m_window.get(), [this] { m_window->close(); });
    const QuitResult quit = execUntilQuit();
    QCOMPARE(quit.code, 0);
    QVERIFY(!m_window->isVisible());
    QVERIFY(quit.sentAtQuit.contains(algorithmSwitch(2, 2, 2)));
}

void tst_VoxBenchTabs::cleanupTestCase()
{
    m_window.reset();
    m_instance.reset();
    MessageBox::clearHandler();
}

QTEST_MAIN(tst_VoxBenchTabs)
#include "tst_VoxBenchTabs.moc"
