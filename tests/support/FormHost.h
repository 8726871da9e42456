#pragma once

#include "ui/VoxBenchForm.h"

#include <QMainWindow>
#include <QMap>
#include <QString>

// Stands in for the main window: declares the slots the form connects to and
// counts every call, so a test can tell which slot a widget reaches and how
// often.
class FormHost : public QMainWindow
{
    Q_OBJECT

public:
    explicit FormHost(const QString &name = QString())
    {
        if (!name.isEmpty())
            setObjectName(name);
        ui.setupUi(this);
    }

    VoxBenchForm ui;
    QMap<QString, int> calls;
    QList<int> tabIndexes;

    int total() const
    {
        int sum = 0;
        for (int n : calls)
            sum += n;
        return sum;
    }

public slots:
    void on_TabWidget_Clicked(int index)
    {
        count(QStringLiteral("on_TabWidget_Clicked"));
        tabIndexes.append(index);
    }
    void on_PushButton_DefaultClose_Clicked() { count(QStringLiteral("on_PushButton_DefaultClose_Clicked")); }
    void on_PushButton_Minimize_Clicked() { count(QStringLiteral("on_PushButton_Minimize_Clicked")); }
    void on_PushButton_Close_Clicked() { count(QStringLiteral("on_PushButton_Close_Clicked")); }
    void on_PushButton_PlayTest_Clicked() { count(QStringLiteral("on_PushButton_PlayTest_Clicked")); }
    void on_PushButton_CustomReset_Clicked() { count(QStringLiteral("on_PushButton_CustomReset_Clicked")); }
    void on_PushButton_CustomSave_Clicked() { count(QStringLiteral("on_PushButton_CustomSave_Clicked")); }
    void on_PushButton_Stereo_CustomAdd_Clicked()
    {
        count(QStringLiteral("on_PushButton_Stereo_CustomAdd_Clicked"));
    }
    void on_PushButton_Stereo_CustomClear_Clicked()
    {
        count(QStringLiteral("on_PushButton_Stereo_CustomClear_Clicked"));
    }
    void on_PushButton_Surround_CustomAdd_Clicked()
    {
        count(QStringLiteral("on_PushButton_Surround_CustomAdd_Clicked"));
    }
    void on_PushButton_Surround_CustomClear_Clicked()
    {
        count(QStringLiteral("on_PushButton_Surround_CustomClear_Clicked"));
    }
    void on_RadioButton_Surround_DeepBass_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Surround_DeepBass_Clicked"));
    }
    void on_RadioButton_Surround_FPS_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Surround_FPS_Clicked"));
    }
    void on_RadioButton_Surround_Moba_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Surround_Moba_Clicked"));
    }
    void on_RadioButton_Surround_VornStandard_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Surround_VornStandard_Clicked"));
    }
    void on_RadioButton_Surround_Customize_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Surround_Customize_Clicked"));
    }
    void on_RadioButton_Stereo_Pop_Clicked() { count(QStringLiteral("on_RadioButton_Stereo_Pop_Clicked")); }
    void on_RadioButton_Stereo_RockRoll_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Stereo_RockRoll_Clicked"));
    }
    void on_RadioButton_Stereo_DeepBass_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Stereo_DeepBass_Clicked"));
    }
    void on_RadioButton_Stereo_Jazz_Clicked() { count(QStringLiteral("on_RadioButton_Stereo_Jazz_Clicked")); }
    void on_RadioButton_Stereo_Classic_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Stereo_Classic_Clicked"));
    }
    void on_RadioButton_Stereo_VornStandard_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Stereo_VornStandard_Clicked"));
    }
    void on_RadioButton_Stereo_Customize_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Stereo_Customize_Clicked"));
    }
    void on_RadioButton_Surround_CustomOne_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Surround_CustomOne_Clicked"));
    }
    void on_RadioButton_Surround_CustomTwo_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Surround_CustomTwo_Clicked"));
    }
    void on_RadioButton_Surround_CustomThree_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Surround_CustomThree_Clicked"));
    }
    void on_RadioButton_Surround_CustomFour_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Surround_CustomFour_Clicked"));
    }
    void on_RadioButton_Surround_CustomFive_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Surround_CustomFive_Clicked"));
    }
    void on_RadioButton_Stereo_CustomOne_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Stereo_CustomOne_Clicked"));
    }
    void on_RadioButton_Stereo_CustomTwo_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Stereo_CustomTwo_Clicked"));
    }
    void on_RadioButton_Stereo_CustomThree_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Stereo_CustomThree_Clicked"));
    }
    void on_RadioButton_Stereo_CustomFour_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Stereo_CustomFour_Clicked"));
    }
    void on_RadioButton_Stereo_CustomFive_Clicked()
    {
        count(QStringLiteral("on_RadioButton_Stereo_CustomFive_Clicked"));
    }
    void on_CheckBox_MicENC_Clicked() { count(QStringLiteral("on_CheckBox_MicENC_Clicked")); }
    void on_VerticalSlider_Stereo_ValueChange()
    {
        count(QStringLiteral("on_VerticalSlider_Stereo_ValueChange"));
    }
    void on_VerticalSlider_Surround_ValueChange()
    {
        count(QStringLiteral("on_VerticalSlider_Surround_ValueChange"));
    }

private:
    void count(const QString &slot) { ++calls[slot]; }
};
