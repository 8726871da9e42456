#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpacerItem>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

class QCustomPlot;

// The main window's widget tree. The window embeds one of these and builds it
// with setupUi; every widget is owned by its Qt parent, the form only keeps
// pointers named after the object names.
class VoxBenchForm
{
public:
    void setupUi(QMainWindow *VoxBenchClass);
    void retranslateUi(QMainWindow *VoxBenchClass);

    // Band slider 0..9 of a page: page 1 is the surround set, any other page
    // the stereo set.
    QSlider *bandSlider(int page, int band) const;

    QWidget *centralWidget = nullptr;

    // Tab strip and its three pages.
    QTabWidget *tabWidget = nullptr;

    QWidget *widget_2 = nullptr;
    QHBoxLayout *horizontalLayout_13 = nullptr;
    QVBoxLayout *verticalLayout_2 = nullptr;
    QHBoxLayout *horizontalLayout_11 = nullptr;
    QRadioButton *radioButton_Surround_VornStandard = nullptr;
    QRadioButton *radioButton_Surround_FPS = nullptr;
    QRadioButton *radioButton_Surround_Moba = nullptr;
    QRadioButton *radioButton_Surround_DeepBass = nullptr;
    QLabel *label_13 = nullptr;
    QHBoxLayout *horizontalLayout_10 = nullptr;
    QHBoxLayout *horizontalLayout_9 = nullptr;
    QRadioButton *radioButton_Surround_Customize = nullptr;
    QSpacerItem *horizontalSpacer = nullptr;
    QPushButton *pushButton_Surround_CustomAdd = nullptr;
    QSpacerItem *horizontalSpacer_2 = nullptr;
    QPushButton *pushButton_Surround_CustomClear = nullptr;
    QSpacerItem *horizontalSpacer_3 = nullptr;
    QSpacerItem *horizontalSpacer_4 = nullptr;
    QHBoxLayout *horizontalLayout_3 = nullptr;
    QGroupBox *groupBox_Surround = nullptr;
    QHBoxLayout *horizontalLayout_20 = nullptr;
    QRadioButton *radioButton_Surround_Custom1 = nullptr;
    QRadioButton *radioButton_Surround_Custom2 = nullptr;
    QRadioButton *radioButton_Surround_Custom3 = nullptr;
    QRadioButton *radioButton_Surround_Custom4 = nullptr;
    QRadioButton *radioButton_Surround_Custom5 = nullptr;

    QWidget *widget = nullptr;
    QHBoxLayout *horizontalLayout_5 = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    QHBoxLayout *horizontalLayout_4 = nullptr;
    QRadioButton *radioButton_Stereo_VornStandard = nullptr;
    QRadioButton *radioButton_Stereo_Pop = nullptr;
    QRadioButton *radioButton_Stereo_RockRoll = nullptr;
    QRadioButton *radioButton_Stereo_DeepBass = nullptr;
    QLabel *label_12 = nullptr;
    QHBoxLayout *horizontalLayout_8 = nullptr;
    QHBoxLayout *horizontalLayout_2 = nullptr;
    QRadioButton *radioButton_Stereo_Customize = nullptr;
    QSpacerItem *horizontalSpacer_5 = nullptr;
    QPushButton *pushButton_Stereo_CustomAdd = nullptr;
    QSpacerItem *horizontalSpacer_6 = nullptr;
    QPushButton *pushButton_Stereo_CustomClear = nullptr;
    QSpacerItem *horizontalSpacer_7 = nullptr;
    QSpacerItem *horizontalSpacer_8 = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QGroupBox *groupBox_Stereo = nullptr;
    QHBoxLayout *horizontalLayout_21 = nullptr;
    QRadioButton *radioButton_Stereo_Custom1 = nullptr;
    QRadioButton *radioButton_Stereo_Custom2 = nullptr;
    QRadioButton *radioButton_Stereo_Custom3 = nullptr;
    QRadioButton *radioButton_Stereo_Custom4 = nullptr;
    QRadioButton *radioButton_Stereo_Custom5 = nullptr;
    QRadioButton *radioButton_Stereo_Jazz = nullptr;
    QRadioButton *radioButton_Stereo_Classic = nullptr;

    QWidget *widget_3 = nullptr;
    QHBoxLayout *horizontalLayout_14 = nullptr;
    QHBoxLayout *horizontalLayout_6 = nullptr;
    QCheckBox *checkBox_MicENC = nullptr;
    QLabel *label_5 = nullptr;
    QSpacerItem *horizontalSpacer_9 = nullptr;

    // Title bar.
    QLabel *label_Head = nullptr;
    QLabel *label_Head_One = nullptr;
    QLabel *label__Head_Two = nullptr;
    QPushButton *pushButton_Minimize = nullptr;
    QPushButton *pushButton_Close = nullptr;

    // Speaker test panel.
    QGroupBox *groupBox_SurroundTest = nullptr;
    QPushButton *pushButton_SurroundTest = nullptr;
    QLabel *label_PersonGif = nullptr;
    QLabel *label_Horn_Left = nullptr;
    QLabel *label_Horn_Right = nullptr;
    QLabel *label_Horn_Up = nullptr;
    QLabel *label_Horn_LeftUp = nullptr;
    QLabel *label_Horn_RightUp = nullptr;
    QLabel *label_Horn_RightDown = nullptr;
    QLabel *label_Horn_LeftDown = nullptr;

    // Window background.
    QLabel *label = nullptr;

    // Bottom row.
    QPushButton *pushButton_CustomReset = nullptr;
    QPushButton *pushButton_CustomSave = nullptr;
    QLineEdit *lineEdit_CustomName = nullptr;

    // Stereo equalizer panel with its slider strip.
    QCustomPlot *widget_Param_Stereo = nullptr;
    QWidget *layoutWidget = nullptr;
    QVBoxLayout *verticalLayout_3 = nullptr;
    QHBoxLayout *horizontalLayout_7 = nullptr;
    QSlider *verticalSlider_30 = nullptr;
    QSlider *verticalSlider_60 = nullptr;
    QSlider *verticalSlider_120 = nullptr;
    QSlider *verticalSlider_250 = nullptr;
    QSlider *verticalSlider_500 = nullptr;
    QSlider *verticalSlider_1k = nullptr;
    QSlider *verticalSlider_2k = nullptr;
    QSlider *verticalSlider_4k = nullptr;
    QSlider *verticalSlider_8k = nullptr;
    QSlider *verticalSlider_16k = nullptr;
    QHBoxLayout *horizontalLayout_15 = nullptr;
    QSpacerItem *horizontalSpacer_10 = nullptr;
    QLabel *label_2 = nullptr;
    QLabel *label_3 = nullptr;
    QLabel *label_4 = nullptr;
    QLabel *label_6 = nullptr;
    QLabel *label_7 = nullptr;
    QLabel *label_8 = nullptr;
    QLabel *label_9 = nullptr;
    QLabel *label_14 = nullptr;
    QLabel *label_10 = nullptr;
    QLabel *label_11 = nullptr;
    QSpacerItem *horizontalSpacer_11 = nullptr;

    // Spectrum panel.
    QGroupBox *groupBox_Stereo_Spectrum = nullptr;
    QLabel *label_Spectrum = nullptr;
    QCustomPlot *widget_Spectrum = nullptr;

    // Surround equalizer panel with its slider strip.
    QCustomPlot *widget_Param_Surround = nullptr;
    QWidget *layoutWidget_3 = nullptr;
    QVBoxLayout *verticalLayout_5 = nullptr;
    QHBoxLayout *horizontalLayout_17 = nullptr;
    QSlider *verticalSlider_30_2 = nullptr;
    QSlider *verticalSlider_60_2 = nullptr;
    QSlider *verticalSlider_120_2 = nullptr;
    QSlider *verticalSlider_250_2 = nullptr;
    QSlider *verticalSlider_500_2 = nullptr;
    QSlider *verticalSlider_1k_2 = nullptr;
    QSlider *verticalSlider_2k_2 = nullptr;
    QSlider *verticalSlider_4k_2 = nullptr;
    QSlider *verticalSlider_8k_2 = nullptr;
    QSlider *verticalSlider_16k_2 = nullptr;
    QHBoxLayout *horizontalLayout_18 = nullptr;
    QSpacerItem *horizontalSpacer_12 = nullptr;
    QLabel *label_23 = nullptr;
    QLabel *label_24 = nullptr;
    QLabel *label_25 = nullptr;
    QLabel *label_26 = nullptr;
    QLabel *label_27 = nullptr;
    QLabel *label_28 = nullptr;
    QLabel *label_29 = nullptr;
    QLabel *label_15 = nullptr;
    QLabel *label_30 = nullptr;
    QLabel *label_31 = nullptr;
    QSpacerItem *horizontalSpacer_13 = nullptr;

    // Axis captions.
    QLabel *label_dB = nullptr;
    QLabel *label_Hz = nullptr;

    // No-receiver screen.
    QLabel *label_DefaultBackground = nullptr;
    QLabel *label_DefaultHead = nullptr;
    QPushButton *pushButton_DefaultClose = nullptr;
};
