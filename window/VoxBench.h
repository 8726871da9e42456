#pragma once

#include "model/AppRules.h"
#include "model/Pages.h"
#include "model/ReceiverModel.h"
#include "model/RuleEngine.h"
#include "presets/ModeData.h"
#include "presets/ModeFile.h"
#include "ui/VoxBenchForm.h"
#include "window/SpectrumSmoother.h"
#include "window/TabControls.h"

#include <QMainWindow>
#include <QMutex>
#include <QPoint>
#include <QString>
#include <QSystemTrayIcon>
#include <array>
#include <memory>
#include <vector>

class CloseChoice;
class FocusMark;
class FirstShowWarmup;
class MyThread_Two;
class QAction;
class QButtonGroup;
class QMenu;
class QMovie;
class QRadioButton;
class TestSoundPlayer;

// The main window: a view over the receiver model it is given, which outlives
// it. It shows what the model holds and turns clicks into model calls. Split by
// topic over several files: VoxBench.cpp (construction), VoxBenchAttachment.cpp,
// VoxBenchModes.cpp, VoxBenchEqualizer.cpp, VoxBenchTabs.cpp,
// VoxBenchSpectrum.cpp, VoxBenchSpeakerTest.cpp and VoxBenchTray.cpp.
class VoxBench : public QMainWindow
{
    Q_OBJECT

public:
    // The rule engine only names the rule in force on the tray icon.
    VoxBench(ReceiverModel &model, const RuleEngine &rules, QWidget *parent = nullptr);
    ~VoxBench() override;

    void setPageState(PageState state);
    void drawSpectrum(const quint8 *frame);
    void stopSpeakerTest();

    // For tests.
    ReceiverModel *model() const { return m_model; }
    VoxBenchForm &form() { return ui; }
    const FocusMark *focusMark() const { return m_focusMark; }
    QString deviceUuid() const { return m_model->identity(); }
    Page page() const { return m_model->page(); }
    PageState pageState() const { return m_model->pageState(); }
    bool peqGateOpen() const { return m_model->gateOpen(); }
    MyThread_Two *testThread() const { return m_testThread.get(); }
    bool testPlaying() const { return m_testPlaying; }
    int testChannel() const { return m_testChannel; }
    TestSoundPlayer *testPlayer() const { return m_player.get(); }
    // Overrides whether the desktop has a system tray (tests; -1 asks the desktop).
    void setTrayAvailable(int available) { m_trayAvailable = available; }
    // Where no tray can bring the window back, closing it follows this choice
    // (asked the first time); without one it quits.
    void setCloseChoice(CloseChoice *choice) { m_closeChoice = choice; }

public slots:
    // 0 - 5
    void on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason);
    void on_ShowMainAction();
    void on_ExitAppAction();
    void on_SLOTReadAudio(int iCmdType);
    void on_SLOTSetMicTimer_LabelUI(int index);
    void on_SLOTSetSliderValue(int value);
    // 6 - 11
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void myCustomPlotMousePressEvent(QMouseEvent *event);
    void myCustomPlotMouseReleaseEvent(QMouseEvent *event);
    void myCustomPlotMouseMoveEvent(QMouseEvent *event);
    // 12 - 23
    void on_TabWidget_Clicked(int index);
    void on_PushButton_DefaultClose_Clicked();
    void on_PushButton_Minimize_Clicked();
    void on_PushButton_Close_Clicked();
    void on_PushButton_PlayTest_Clicked();
    void on_PushButton_CustomReset_Clicked();
    void on_PushButton_CustomSave_Clicked();
    void on_PushButton_Stereo_CustomAdd_Clicked();
    void on_PushButton_Stereo_CustomClear_Clicked();
    void on_PushButton_Surround_CustomAdd_Clicked();
    void on_PushButton_Surround_CustomClear_Clicked();
    void on_PushButton_Horn_LeftUp_Clicked();
    // 24 - 45
    void on_RadioButton_Surround_DeepBass_Clicked();
    void on_RadioButton_Surround_FPS_Clicked();
    void on_RadioButton_Surround_Moba_Clicked();
    void on_RadioButton_Surround_VornStandard_Clicked();
    void on_RadioButton_Surround_Customize_Clicked();
    void on_RadioButton_Stereo_Pop_Clicked();
    void on_RadioButton_Stereo_RockRoll_Clicked();
    void on_RadioButton_Stereo_DeepBass_Clicked();
    void on_RadioButton_Stereo_Jazz_Clicked();
    void on_RadioButton_Stereo_Classic_Clicked();
    void on_RadioButton_Stereo_VornStandard_Clicked();
    void on_RadioButton_Stereo_Customize_Clicked();
    void on_RadioButton_Surround_CustomOne_Clicked();
    void on_RadioButton_Surround_CustomTwo_Clicked();
    void on_RadioButton_Surround_CustomThree_Clicked();
    void on_RadioButton_Surround_CustomFour_Clicked();
    void on_RadioButton_Surround_CustomFive_Clicked();
    void on_RadioButton_Stereo_CustomOne_Clicked();
    void on_RadioButton_Stereo_CustomTwo_Clicked();
    void on_RadioButton_Stereo_CustomThree_Clicked();
    void on_RadioButton_Stereo_CustomFour_Clicked();
    void on_RadioButton_Stereo_CustomFive_Clicked();
    // 46 - 49
    void on_CheckBox_MicENC_Clicked();
    void on_VerticalSlider_Stereo_ValueChange();
    void on_VerticalSlider_Surround_ValueChange();
    void on_VerticalSlider_30_ActionTriggered_T(int value);
    // 50 - 71
    void soundBtnEvent(ModeData *data);
    void setCustomizeVisible(bool enabled, ModeType type);
    void assignmentSliderValue();
    void changedDevice32();
    void setCustomizeEditVisible(bool enabled);
    void setCurrentModeSliderValue();
    void setSliderValue(std::vector<int> datas, ModeType type);
    void resetSliderValue(ModeType type);
    void setSliderEnable(bool enabled, ModeType type);
    void setCustomizeAddAndDeleteVisible(bool enabled, ModeType type);
    void onCustomizeClicked(ModeType type);
    bool customizeModeClicked(ModeType type, int index);
    QString getStereoVerticalSlider();
    QString getSoundVerticalSlider();
    QString customizeName(ModeType type);
    int stringExtractNum(QString content, QPoint range);
    void setCustomizeGroupBoxVisible(bool enabled, ModeType type);
    void addCustomizeMode(ModeType type);
    std::vector<int> getSliderValue(ModeType type);
    void loadUserInformation();
    void deleteCustomizeMode(ModeType type);
    void setTabWidgetIndex(int index);

protected:
    bool event(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // Closing where no tray can show the window again.
    void closeWithoutTray();

private:
    void initWindow();
    void initSystemTray();
    void createTrayActions();
    void createTrayMenu();
    void initCustomPlot();
    void initSpectrumPlot();
    void initButtonGroups();
    void initTabControls();
    void connectModel();
    void showModel();
    TabControls &tab(ModeType type) { return m_tabControls[type]; }
    const TabControls &tab(ModeType type) const { return m_tabControls[type]; }
    void connectReadThread();
    void connectTestThread();
    void loadTestAnimations();
    void playTestSound();
    std::unique_ptr<QMovie> *channelMovie(int channel);
    void endChannel(int channel);
    bool trayAvailable() const;
    void stopTestThread();

    // Attachment (VoxBenchAttachment.cpp).
    void showReceiverOpened();
    void showReceiverGone();
    void showNewIdentity(int productId);
    // Modes (VoxBenchModes.cpp).
    QRadioButton *customButton(ModeType type, int slot) const;
    void presetClicked(ModeType type, int button);
    void customSlotClicked(ModeType type, int slot);
    // Shows a tab's modes, custom strip, sliders and edit strip as the model has them.
    void showModes(ModeType type);
    void showSelection(ModeType type);
    void showEditStrip(ModeType type);
    static QString shownMessage(const ReceiverModel::Outcome &outcome);
    void tellRefusal(const ReceiverModel::Outcome &outcome, const QString &title);
    // A mode file or published curve dropped on a tab's custom strip.
    void importModeFile(ModeType type, const QString &path);
    void previewImport(ModeType type, const QString &path, const ModeFile::Reading &reading);
    // Tabs (VoxBenchTabs.cpp).
    void showPage(Page page);
    // Equalizer (VoxBenchEqualizer.cpp).
    void sliderEdited(ModeType type);
    void warnAccessDenied();
    void warnSaveFailed(const QString &path, const QString &reason);

    VoxBenchForm ui;
    FocusMark *m_focusMark = nullptr; // a child widget, owned by the window

    FirstShowWarmup *m_warmup = nullptr;
    QMutex m_sliderMutex;
    ReceiverModel *m_model;
    const RuleEngine *m_ruleEngine;
    std::unique_ptr<MyThread_Two> m_testThread;
    int m_attachTimerId = 0;
    // The page being shown by the model: the tab bar's own signal is no click then.
    bool m_showingPage = false;
    QSystemTrayIcon *m_trayIcon = nullptr;
    QMenu *m_trayMenu = nullptr;
    QAction *m_showMainAction = nullptr;
    QAction *m_exitAppAction = nullptr;
    QPoint m_dragOrigin;
    bool m_dragging = false;
    // The window system would not take the drag over: the window moves itself.
    bool m_movingByHand = false;
    std::unique_ptr<QButtonGroup> m_stereoGroup;
    std::unique_ptr<QButtonGroup> m_stereoCustomGroup;
    std::unique_ptr<QButtonGroup> m_surroundGroup;
    std::unique_ptr<QButtonGroup> m_surroundCustomGroup;
    // The access-denied box is shown once per program run.
    bool m_accessWarned = false;
    // So is the box of a failed save: the user keeps working from memory after it.
    bool m_saveWarned = false;
    QString m_appDirPath;

    // The controls of the Surround and Stereo tabs, by ModeType.
    std::array<TabControls, 2> m_tabControls{};

    SpectrumSmoother m_spectrum;

    // Speaker test.
    std::unique_ptr<TestSoundPlayer> m_player;
    std::unique_ptr<QMovie> m_personMovie;
    std::unique_ptr<QMovie> m_leftUpMovie;
    std::unique_ptr<QMovie> m_upMovie;
    std::unique_ptr<QMovie> m_rightUpMovie;
    std::unique_ptr<QMovie> m_rightMovie;
    std::unique_ptr<QMovie> m_rightDownMovie;
    std::unique_ptr<QMovie> m_leftDownMovie;
    std::unique_ptr<QMovie> m_leftMovie;
    bool m_testPlaying = false;
    int m_testChannel = 0;
    int m_testClicks = 0;

    // Tray and program end.
    int m_trayAvailable = -1;
    bool m_quitting = false;
    CloseChoice *m_closeChoice = nullptr;
    bool m_askingClose = false;
};
