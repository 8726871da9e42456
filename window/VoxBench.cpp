// Construction and initialisation of the main window, and the timer dispatch.
#include "window/VoxBench.h"

#include "platform/ProcessCommandLine.h"
#include "presets/ModeNameRule.h"
#include "ui/CustomTabStyle.h"
#include "ui/FocusMark.h"
#include "ui/MessageBox.h"
#include "window/FirstShowWarmup.h"
#include "window/ModeFileDrop.h"
#include "window/ModeNameElider.h"
#include "window/MyThread_Two.h"
#include "window/ShowAtStart.h"
#include "window/TestSoundPlayer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QIcon>
#include <QMovie>
#include <QTabBar>
#include <QTimer>
#include <QTimerEvent>
#include <qcustomplot.h>

VoxBench::VoxBench(ReceiverModel &model, const RuleEngine &rules, QWidget *parent)
    : QMainWindow(parent), m_model(&model), m_ruleEngine(&rules),
      m_appDirPath(QCoreApplication::applicationDirPath())
{
    m_warmup = new FirstShowWarmup(this);
    ui.setupUi(this, VoxBenchForm::CoveredLook::Later);
    for (int left = ui.coveredLookLeft(); left > 0; --left)
        m_warmup->addStep([this] { ui.applyNextCoveredLook(); });
    initTabControls();
    connect(m_model, &ReceiverModel::saveFailed, this, &VoxBench::warnSaveFailed);

    ui.lineEdit_CustomName->setMaxLength(ModeNameRule::kMaxLength);
    ui.radioButton_Stereo_Pop->setFixedWidth(70);
    ui.radioButton_Stereo_RockRoll->setFixedWidth(150);
    ui.radioButton_Stereo_Classic->setFixedWidth(100);
    ui.radioButton_Stereo_DeepBass->setFixedWidth(150);
    ui.radioButton_Stereo_VornStandard->setFixedWidth(260);
    ui.radioButton_Stereo_Jazz->setFixedWidth(70);
    ui.radioButton_Surround_DeepBass->setFixedWidth(150);
    ui.radioButton_Surround_FPS->setFixedWidth(70);
    ui.radioButton_Surround_Moba->setFixedWidth(80);
    ui.radioButton_Surround_VornStandard->setFixedWidth(260);

    initWindow();

    // Once the window is drawn, the pages and tabs not on screen get ready.
    m_warmup->start(ui.centralWidget);
}

VoxBench::~VoxBench()
{
    // No thread object outlives the window; the session ends the read thread
    // before it closes the handle.
    if (m_testThread) {
        m_testThread->stop();
        m_testThread->wait();
        m_testThread.reset();
    }
}

void VoxBench::warnSaveFailed(const QString &path, const QString &reason)
{
    if (m_saveWarned)
        return;
    m_saveWarned = true;
    MessageBox::warning(this, tr("warning"),
                        tr("Your modes could not be saved.\n\nFile: %1\nReason: %2\n\n"
                           "VoxBench keeps your changes until it ends; this is said once per run.")
                            .arg(QDir::toNativeSeparators(path), reason));
}

void VoxBench::initWindow()
{
    setShowAtStart(!isAutorunLaunch());
    setCustomizeEditVisible(false);

    // The window icon is the form's Icon.ico already; decoding it again costs a millisecond at start.
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_Hover);

    initSystemTray();
    initCustomPlot();
    initButtonGroups();

    ui.tabWidget->setGeometry(44, 100, 1089, 162);
    // Parented to the window, so the style outlives the tab bar that uses it.
    auto *tabStyle = new CustomTabStyle;
    tabStyle->setParent(this);
    ui.tabWidget->tabBar()->setStyle(tabStyle);
    m_focusMark = new FocusMark(this);

    ui.checkBox_MicENC->setChecked(m_model->micEnc());
    // The stereo tab's stand-in for the spectrum is decoded when it first
    // shows, unless a receiver's own picture took its place by then.
    FirstShowWarmup::atFirstShow(ui.label_Spectrum, [this] {
        if (ui.label_Spectrum->styleSheet().isEmpty())
            ui.label_Spectrum->setStyleSheet(QStringLiteral("border-image: url(:/VoxBench/pic/test1.png);"));
    });

    ui.widget_Param_Surround->show();
    ui.widget_Param_Stereo->hide();
    ui.groupBox_Surround->hide();
    ui.groupBox_Stereo->hide();
    setCustomizeVisible(false, Stereo);
    setCustomizeVisible(false, Surround);

    ui.groupBox_SurroundTest->show();
    m_warmup->addStep([this] {
        ui.label_PersonGif->setStyleSheet(QStringLiteral("border-image: url(:/png/pic/png/head.png);"));
    });
    ui.groupBox_Stereo_Spectrum->hide();

    auto *modeNames = new ModeNameElider(this);
    for (ModeType type : {Surround, Stereo}) {
        for (int slot = 0; slot < ReceiverLimits::kCustomSlots; ++slot) {
            modeNames->watch(customButton(type, slot));
            customButton(type, slot)->setText(QStringLiteral("Mode0%1").arg(slot + 1));
        }
    }
    for (ModeType type : {Surround, Stereo}) {
        auto *drop = new ModeFileDrop(tab(type).customBox, type, this);
        connect(drop, &ModeFileDrop::dropped, this, &VoxBench::importModeFile);
    }
    for (QButtonGroup *group : {m_surroundCustomGroup.get(), m_stereoCustomGroup.get()}) {
        group->setExclusive(false);
        group->buttons().first()->setChecked(false);
        group->setExclusive(true);
    }

    setSliderEnable(false, Stereo);
    setSliderEnable(false, Surround);

    connect(ui.verticalSlider_30, &QSlider::valueChanged, this, &VoxBench::on_SLOTSetSliderValue);

    connectModel();
    showModel();
}

// A window built while the model already runs (a receiver open, modes chosen)
// starts from what the model holds, as if it had followed every change.
void VoxBench::showModel()
{
    if (m_model->receiverOpen())
        showReceiverOpened();
    showPage(m_model->page());
    setPageState(m_model->pageState());
    showModes(Surround);
    showModes(Stereo);
    // Said once the event loop runs, so that start-up is not held by a box.
    if (m_model->receiver().openRefused())
        QTimer::singleShot(0, this, [this] {
            if (!m_model->receiverOpen())
                warnAccessDenied();
        });
}

// The window follows the model: every change it reports is shown here.
void VoxBench::connectModel()
{
    ReceiverModel *model = m_model;
    connect(model, &ReceiverModel::pageChanged, this, &VoxBench::showPage);
    connect(model, &ReceiverModel::selectionChanged, this, &VoxBench::showSelection);
    connect(model, &ReceiverModel::gainsChanged, this, [this](ModeType type) {
        const Gains &gains = m_model->gains(type);
        setSliderValue(std::vector<int>(gains.begin(), gains.end()), type);
    });
    connect(model, &ReceiverModel::customModesChanged, this, &VoxBench::showModes);
    connect(model, &ReceiverModel::micEncChanged, ui.checkBox_MicENC, &QCheckBox::setChecked);
    connect(model, &ReceiverModel::pageStateChanged, this, [this](PageState state) {
        if (state == PageState::NoReceiver)
            showReceiverGone();
        setPageState(state);
    });
    connect(model, &ReceiverModel::receiverOpened, this, &VoxBench::showReceiverOpened);
    connect(model, &ReceiverModel::newIdentity, this, &VoxBench::showNewIdentity);
    connect(model, &ReceiverModel::accessDenied, this, &VoxBench::warnAccessDenied);
    connect(model, &ReceiverModel::notice, this, [](const QString &message) {
        MessageBox::information(nullptr, tr("prompt"),
                                QCoreApplication::translate("ReceiverModel", message.toUtf8().constData()));
    });
    connectReadThread();
}

// The one list of each mode tab's controls; everything else reaches them by tab.
void VoxBench::initTabControls()
{
    TabControls &stereo = m_tabControls[Stereo];
    stereo.type = Stereo;
    stereo.presets = {ui.radioButton_Stereo_Pop,      ui.radioButton_Stereo_RockRoll,
                      ui.radioButton_Stereo_DeepBass, ui.radioButton_Stereo_Jazz,
                      ui.radioButton_Stereo_Classic,  ui.radioButton_Stereo_VornStandard};
    stereo.customize = ui.radioButton_Stereo_Customize;
    stereo.custom = {ui.radioButton_Stereo_Custom1, ui.radioButton_Stereo_Custom2,
                     ui.radioButton_Stereo_Custom3, ui.radioButton_Stereo_Custom4,
                     ui.radioButton_Stereo_Custom5};
    stereo.add = ui.pushButton_Stereo_CustomAdd;
    stereo.clear = ui.pushButton_Stereo_CustomClear;
    stereo.customBox = ui.groupBox_Stereo;
    stereo.panel = ui.widget_Param_Stereo;

    TabControls &surround = m_tabControls[Surround];
    surround.type = Surround;
    surround.presets = {ui.radioButton_Surround_DeepBass, ui.radioButton_Surround_FPS,
                        ui.radioButton_Surround_Moba, ui.radioButton_Surround_VornStandard};
    surround.customize = ui.radioButton_Surround_Customize;
    surround.custom = {ui.radioButton_Surround_Custom1, ui.radioButton_Surround_Custom2,
                       ui.radioButton_Surround_Custom3, ui.radioButton_Surround_Custom4,
                       ui.radioButton_Surround_Custom5};
    surround.add = ui.pushButton_Surround_CustomAdd;
    surround.clear = ui.pushButton_Surround_CustomClear;
    surround.customBox = ui.groupBox_Surround;
    surround.panel = ui.widget_Param_Surround;
}

void VoxBench::initButtonGroups()
{
    const auto makeGroup = [](const auto &buttons, QAbstractButton *last) {
        auto group = std::make_unique<QButtonGroup>();
        group->setExclusive(true);
        for (QAbstractButton *button : buttons)
            group->addButton(button);
        if (last)
            group->addButton(last);
        return group;
    };
    m_stereoGroup = makeGroup(tab(Stereo).presets, tab(Stereo).customize);
    m_surroundGroup = makeGroup(tab(Surround).presets, tab(Surround).customize);
    m_stereoCustomGroup = makeGroup(tab(Stereo).custom, nullptr);
    m_surroundCustomGroup = makeGroup(tab(Surround).custom, nullptr);
    tab(Stereo).customGroup = m_stereoCustomGroup.get();
    tab(Surround).customGroup = m_surroundCustomGroup.get();
}

void VoxBench::timerEvent(QTimerEvent *event)
{
    const int id = event->timerId();
    if (id != 0 && id == m_attachTimerId) {
        // The attachment's minute timer: removal is followed by notifications,
        // so its expiry has nothing to do.
    } else {
        QMainWindow::timerEvent(event);
    }
}

// Slots that nothing connects to or calls; kept for the slot list.
void VoxBench::assignmentSliderValue() {}

void VoxBench::setCurrentModeSliderValue() {}

QString VoxBench::getStereoVerticalSlider()
{
    return QString();
}

QString VoxBench::getSoundVerticalSlider()
{
    return QString();
}

int VoxBench::stringExtractNum(QString content, QPoint range)
{
    Q_UNUSED(content);
    Q_UNUSED(range);
    return 0;
}
