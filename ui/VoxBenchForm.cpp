#include "ui/VoxBenchForm.h"

#include "ui/VoxBenchStyle.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMetaObject>
#include <qcustomplot.h>

namespace {

const int kUnlimited = QWIDGETSIZE_MAX;

QRadioButton *makeModeRadio(QWidget *parent, const char *name)
{
    auto *button = new QRadioButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setStyleSheet(QString::fromLatin1(VoxBenchStyle::modeRadio));
    return button;
}

void fixSize(QWidget *widget, int width, int height)
{
    widget->setMinimumSize(QSize(width, height));
    widget->setMaximumSize(QSize(width, height));
}

void fixHeight(QWidget *widget, int height)
{
    widget->setMinimumSize(QSize(0, height));
    widget->setMaximumSize(QSize(kUnlimited, height));
}

QSpacerItem *makeSpacer(int width, int height)
{
    return new QSpacerItem(width, height, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

QSlider *makeBandSlider(QWidget *parent, const QString &name, int minimumWidth)
{
    auto *slider = new QSlider(parent);
    slider->setObjectName(name);
    slider->setMinimumSize(QSize(minimumWidth, 20));
    slider->setStyleSheet(QString::fromLatin1(VoxBenchStyle::bandSlider));
    slider->setMinimum(-12);
    slider->setMaximum(12);
    slider->setPageStep(1);
    slider->setOrientation(Qt::Vertical);
    slider->setTickPosition(QSlider::NoTicks);
    slider->setTickInterval(2);
    return slider;
}

QLabel *makeCaption(QWidget *parent, const QString &name)
{
    auto *caption = new QLabel(parent);
    caption->setObjectName(name);
    caption->setMinimumSize(QSize(0, 15));
    caption->setStyleSheet(QString::fromLatin1(VoxBenchStyle::whiteText));
    caption->setAlignment(Qt::AlignCenter);
    return caption;
}

QLabel *makePictureLabel(QWidget *parent, const char *name, const char *file)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setStyleSheet(VoxBenchStyle::picture(file));
    return label;
}

const char *const kBandNames[10] = {"30", "60", "120", "250", "500", "1k", "2k", "4k", "8k", "16k"};

} // namespace

void VoxBenchForm::setupUi(QMainWindow *VoxBenchClass)
{
    if (VoxBenchClass->objectName().isEmpty())
        VoxBenchClass->setObjectName(QString::fromUtf8("VoxBenchClass"));
    VoxBenchClass->resize(1176, 700);
    VoxBenchClass->setMinimumSize(QSize(1176, 700));
    VoxBenchClass->setMaximumSize(QSize(1176, 700));
    QIcon icon;
    icon.addFile(QString::fromUtf8(":/VoxBench/pic/Icon.ico"), QSize(), QIcon::Normal, QIcon::Off);
    VoxBenchClass->setWindowIcon(icon);
    VoxBenchClass->setStyleSheet(QString());

    centralWidget = new QWidget(VoxBenchClass);
    centralWidget->setObjectName(QString::fromUtf8("centralWidget"));

    // Tab strip.
    tabWidget = new QTabWidget(centralWidget);
    tabWidget->setObjectName(QString::fromUtf8("tabWidget"));
    tabWidget->setGeometry(QRect(44, 100, 1087, 192));
    tabWidget->setMinimumSize(QSize(1087, 162));
    tabWidget->setMaximumSize(QSize(1087, 192));
    tabWidget->setStyleSheet(QString::fromLatin1(VoxBenchStyle::tab));
    tabWidget->setElideMode(Qt::ElideNone);

    // Page 0: surround presets.
    widget_2 = new QWidget();
    widget_2->setObjectName(QString::fromUtf8("widget_2"));
    horizontalLayout_13 = new QHBoxLayout(widget_2);
    horizontalLayout_13->setSpacing(6);
    horizontalLayout_13->setContentsMargins(11, 11, 11, 11);
    horizontalLayout_13->setObjectName(QString::fromUtf8("horizontalLayout_13"));
    verticalLayout_2 = new QVBoxLayout();
    verticalLayout_2->setSpacing(1);
    verticalLayout_2->setObjectName(QString::fromUtf8("verticalLayout_2"));
    horizontalLayout_11 = new QHBoxLayout();
    horizontalLayout_11->setObjectName(QString::fromUtf8("horizontalLayout_11"));
    horizontalLayout_11->setContentsMargins(0, 0, 20, 0);
    radioButton_Surround_VornStandard = makeModeRadio(widget_2, "radioButton_Surround_VornStandard");
    fixSize(radioButton_Surround_VornStandard, 268, 30);
    horizontalLayout_11->addWidget(radioButton_Surround_VornStandard);
    horizontalLayout_11->addStretch();
    radioButton_Surround_FPS = makeModeRadio(widget_2, "radioButton_Surround_FPS");
    fixSize(radioButton_Surround_FPS, 268, 30);
    horizontalLayout_11->addWidget(radioButton_Surround_FPS);
    horizontalLayout_11->addStretch();
    radioButton_Surround_Moba = makeModeRadio(widget_2, "radioButton_Surround_Moba");
    fixSize(radioButton_Surround_Moba, 268, 30);
    horizontalLayout_11->addWidget(radioButton_Surround_Moba);
    horizontalLayout_11->addStretch();
    radioButton_Surround_DeepBass = makeModeRadio(widget_2, "radioButton_Surround_DeepBass");
    fixSize(radioButton_Surround_DeepBass, 268, 30);
    horizontalLayout_11->addWidget(radioButton_Surround_DeepBass);
    verticalLayout_2->addLayout(horizontalLayout_11);

    label_13 = new QLabel(widget_2);
    label_13->setObjectName(QString::fromUtf8("label_13"));
    fixHeight(label_13, 8);
    label_13->setStyleSheet(QString::fromLatin1(VoxBenchStyle::divider));
    verticalLayout_2->addWidget(label_13);

    horizontalLayout_10 = new QHBoxLayout();
    horizontalLayout_10->setSpacing(1);
    horizontalLayout_10->setObjectName(QString::fromUtf8("horizontalLayout_10"));
    horizontalLayout_9 = new QHBoxLayout();
    horizontalLayout_9->setSpacing(0);
    horizontalLayout_9->setObjectName(QString::fromUtf8("horizontalLayout_9"));
    radioButton_Surround_Customize = makeModeRadio(widget_2, "radioButton_Surround_Customize");
    fixHeight(radioButton_Surround_Customize, 25);
    horizontalLayout_9->addWidget(radioButton_Surround_Customize);
    horizontalSpacer = makeSpacer(40, 20);
    horizontalLayout_9->addItem(horizontalSpacer);
    pushButton_Surround_CustomAdd = new QPushButton(widget_2);
    pushButton_Surround_CustomAdd->setObjectName(QString::fromUtf8("pushButton_Surround_CustomAdd"));
    fixSize(pushButton_Surround_CustomAdd, 18, 18);
    pushButton_Surround_CustomAdd->setStyleSheet(QString::fromLatin1(VoxBenchStyle::addButton));
    horizontalLayout_9->addWidget(pushButton_Surround_CustomAdd);
    horizontalSpacer_2 = makeSpacer(40, 20);
    horizontalLayout_9->addItem(horizontalSpacer_2);
    pushButton_Surround_CustomClear = new QPushButton(widget_2);
    pushButton_Surround_CustomClear->setObjectName(QString::fromUtf8("pushButton_Surround_CustomClear"));
    fixSize(pushButton_Surround_CustomClear, 19, 19);
    pushButton_Surround_CustomClear->setStyleSheet(QString::fromLatin1(VoxBenchStyle::clearButton));
    horizontalLayout_9->addWidget(pushButton_Surround_CustomClear);
    horizontalSpacer_3 = makeSpacer(40, 20);
    horizontalLayout_9->addItem(horizontalSpacer_3);
    horizontalLayout_9->setStretch(0, 8);
    horizontalLayout_9->setStretch(1, 1);
    horizontalLayout_9->setStretch(2, 1);
    horizontalLayout_9->setStretch(3, 1);
    horizontalLayout_9->setStretch(5, 8);
    horizontalLayout_10->addLayout(horizontalLayout_9);
    horizontalSpacer_4 = makeSpacer(318, 20);
    horizontalLayout_10->addItem(horizontalSpacer_4);
    horizontalLayout_10->setStretch(0, 1);
    horizontalLayout_10->setStretch(1, 3);
    verticalLayout_2->addLayout(horizontalLayout_10);

    horizontalLayout_3 = new QHBoxLayout();
    horizontalLayout_3->setSpacing(1);
    horizontalLayout_3->setObjectName(QString::fromUtf8("horizontalLayout_3"));
    groupBox_Surround = new QGroupBox(widget_2);
    groupBox_Surround->setObjectName(QString::fromUtf8("groupBox_Surround"));
    fixHeight(groupBox_Surround, 25);
    groupBox_Surround->setStyleSheet(QString::fromLatin1(VoxBenchStyle::modeStrip));
    horizontalLayout_20 = new QHBoxLayout(groupBox_Surround);
    horizontalLayout_20->setSpacing(0);
    horizontalLayout_20->setObjectName(QString::fromUtf8("horizontalLayout_20"));
    horizontalLayout_20->setContentsMargins(0, 0, 0, 0);
    QRadioButton **surroundCustom[5] = {&radioButton_Surround_Custom1, &radioButton_Surround_Custom2,
                                        &radioButton_Surround_Custom3, &radioButton_Surround_Custom4,
                                        &radioButton_Surround_Custom5};
    for (int i = 0; i < 5; ++i) {
        const QByteArray name = "radioButton_Surround_Custom" + QByteArray::number(i + 1);
        *surroundCustom[i] = makeModeRadio(groupBox_Surround, name.constData());
        fixHeight(*surroundCustom[i], 20);
        horizontalLayout_20->addWidget(*surroundCustom[i]);
    }
    horizontalLayout_3->addWidget(groupBox_Surround);
    verticalLayout_2->addLayout(horizontalLayout_3);
    horizontalLayout_13->addLayout(verticalLayout_2);
    tabWidget->addTab(widget_2, QString());

    // Page 1: stereo presets.
    widget = new QWidget();
    widget->setObjectName(QString::fromUtf8("widget"));
    horizontalLayout_5 = new QHBoxLayout(widget);
    horizontalLayout_5->setSpacing(6);
    horizontalLayout_5->setContentsMargins(11, 11, 11, 11);
    horizontalLayout_5->setObjectName(QString::fromUtf8("horizontalLayout_5"));
    verticalLayout = new QVBoxLayout();
    verticalLayout->setSpacing(1);
    verticalLayout->setObjectName(QString::fromUtf8("verticalLayout"));
    horizontalLayout_4 = new QHBoxLayout();
    horizontalLayout_4->setObjectName(QString::fromUtf8("horizontalLayout_4"));
    horizontalLayout_4->setContentsMargins(0, 0, 20, 0);
    radioButton_Stereo_VornStandard = makeModeRadio(widget, "radioButton_Stereo_VornStandard");
    fixSize(radioButton_Stereo_VornStandard, 268, 30);
    horizontalLayout_4->addWidget(radioButton_Stereo_VornStandard);
    horizontalLayout_4->addStretch();
    radioButton_Stereo_Pop = makeModeRadio(widget, "radioButton_Stereo_Pop");
    fixSize(radioButton_Stereo_Pop, 268, 30);
    horizontalLayout_4->addWidget(radioButton_Stereo_Pop);
    horizontalLayout_4->addStretch();
    radioButton_Stereo_RockRoll = makeModeRadio(widget, "radioButton_Stereo_RockRoll");
    fixSize(radioButton_Stereo_RockRoll, 268, 30);
    horizontalLayout_4->addWidget(radioButton_Stereo_RockRoll);
    horizontalLayout_4->addStretch();
    radioButton_Stereo_DeepBass = makeModeRadio(widget, "radioButton_Stereo_DeepBass");
    fixSize(radioButton_Stereo_DeepBass, 268, 30);
    horizontalLayout_4->addWidget(radioButton_Stereo_DeepBass);
    verticalLayout->addLayout(horizontalLayout_4);

    label_12 = new QLabel(widget);
    label_12->setObjectName(QString::fromUtf8("label_12"));
    fixHeight(label_12, 8);
    label_12->setStyleSheet(QString::fromLatin1(VoxBenchStyle::divider));
    verticalLayout->addWidget(label_12);

    horizontalLayout_8 = new QHBoxLayout();
    horizontalLayout_8->setSpacing(1);
    horizontalLayout_8->setObjectName(QString::fromUtf8("horizontalLayout_8"));
    horizontalLayout_2 = new QHBoxLayout();
    horizontalLayout_2->setSpacing(0);
    horizontalLayout_2->setObjectName(QString::fromUtf8("horizontalLayout_2"));
    radioButton_Stereo_Customize = makeModeRadio(widget, "radioButton_Stereo_Customize");
    fixHeight(radioButton_Stereo_Customize, 25);
    horizontalLayout_2->addWidget(radioButton_Stereo_Customize);
    horizontalSpacer_5 = makeSpacer(40, 20);
    horizontalLayout_2->addItem(horizontalSpacer_5);
    pushButton_Stereo_CustomAdd = new QPushButton(widget);
    pushButton_Stereo_CustomAdd->setObjectName(QString::fromUtf8("pushButton_Stereo_CustomAdd"));
    fixSize(pushButton_Stereo_CustomAdd, 18, 18);
    pushButton_Stereo_CustomAdd->setStyleSheet(QString::fromLatin1(VoxBenchStyle::addButton));
    horizontalLayout_2->addWidget(pushButton_Stereo_CustomAdd);
    horizontalSpacer_6 = makeSpacer(40, 20);
    horizontalLayout_2->addItem(horizontalSpacer_6);
    pushButton_Stereo_CustomClear = new QPushButton(widget);
    pushButton_Stereo_CustomClear->setObjectName(QString::fromUtf8("pushButton_Stereo_CustomClear"));
    fixSize(pushButton_Stereo_CustomClear, 19, 19);
    pushButton_Stereo_CustomClear->setStyleSheet(QString::fromLatin1(VoxBenchStyle::clearButton));
    horizontalLayout_2->addWidget(pushButton_Stereo_CustomClear);
    horizontalSpacer_7 = makeSpacer(20, 20);
    horizontalLayout_2->addItem(horizontalSpacer_7);
    horizontalLayout_2->setStretch(0, 8);
    horizontalLayout_2->setStretch(1, 1);
    horizontalLayout_2->setStretch(2, 1);
    horizontalLayout_2->setStretch(3, 1);
    horizontalLayout_2->setStretch(4, 1);
    horizontalLayout_2->setStretch(5, 8);
    horizontalLayout_8->addLayout(horizontalLayout_2);
    horizontalSpacer_8 = makeSpacer(40, 20);
    horizontalLayout_8->addItem(horizontalSpacer_8);
    horizontalLayout_8->addStretch();
    verticalLayout->addLayout(horizontalLayout_8);

    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setSpacing(1);
    horizontalLayout->setObjectName(QString::fromUtf8("horizontalLayout"));
    groupBox_Stereo = new QGroupBox(widget);
    groupBox_Stereo->setObjectName(QString::fromUtf8("groupBox_Stereo"));
    fixHeight(groupBox_Stereo, 25);
    groupBox_Stereo->setStyleSheet(QString::fromLatin1(VoxBenchStyle::modeStrip));
    horizontalLayout_21 = new QHBoxLayout(groupBox_Stereo);
    horizontalLayout_21->setSpacing(0);
    horizontalLayout_21->setObjectName(QString::fromUtf8("horizontalLayout_21"));
    horizontalLayout_21->setContentsMargins(0, 0, 0, 0);
    QRadioButton **stereoCustom[5] = {&radioButton_Stereo_Custom1, &radioButton_Stereo_Custom2,
                                      &radioButton_Stereo_Custom3, &radioButton_Stereo_Custom4,
                                      &radioButton_Stereo_Custom5};
    for (int i = 0; i < 5; ++i) {
        const QByteArray name = "radioButton_Stereo_Custom" + QByteArray::number(i + 1);
        *stereoCustom[i] = makeModeRadio(groupBox_Stereo, name.constData());
        fixHeight(*stereoCustom[i], 20);
        horizontalLayout_21->addWidget(*stereoCustom[i]);
    }
    horizontalLayout->addWidget(groupBox_Stereo);
    verticalLayout->addLayout(horizontalLayout);
    horizontalLayout_5->addLayout(verticalLayout);

    // Presets the mode logic still selects in code, never shown.
    radioButton_Stereo_Jazz = makeModeRadio(widget, "radioButton_Stereo_Jazz");
    fixSize(radioButton_Stereo_Jazz, 268, 30);
    radioButton_Stereo_Jazz->hide();
    radioButton_Stereo_Classic = makeModeRadio(widget, "radioButton_Stereo_Classic");
    fixHeight(radioButton_Stereo_Classic, 25);
    radioButton_Stereo_Classic->hide();
    tabWidget->addTab(widget, QString());

    // Page 2: microphone.
    widget_3 = new QWidget();
    widget_3->setObjectName(QString::fromUtf8("widget_3"));
    horizontalLayout_14 = new QHBoxLayout(widget_3);
    horizontalLayout_14->setSpacing(6);
    horizontalLayout_14->setContentsMargins(11, 11, 11, 11);
    horizontalLayout_14->setObjectName(QString::fromUtf8("horizontalLayout_14"));
    horizontalLayout_6 = new QHBoxLayout();
    horizontalLayout_6->setSpacing(1);
    horizontalLayout_6->setObjectName(QString::fromUtf8("horizontalLayout_6"));
    checkBox_MicENC = new QCheckBox(widget_3);
    checkBox_MicENC->setObjectName(QString::fromUtf8("checkBox_MicENC"));
    checkBox_MicENC->setStyleSheet(QString::fromLatin1(VoxBenchStyle::checkText));
    horizontalLayout_6->addWidget(checkBox_MicENC);
    label_5 = new QLabel(widget_3);
    label_5->setObjectName(QString::fromUtf8("label_5"));
    fixSize(label_5, 20, 27);
    label_5->setStyleSheet(QString::fromLatin1(VoxBenchStyle::microphone));
    horizontalLayout_6->addWidget(label_5);
    horizontalSpacer_9 = makeSpacer(40, 20);
    horizontalLayout_6->addItem(horizontalSpacer_9);
    horizontalLayout_14->addLayout(horizontalLayout_6);
    tabWidget->addTab(widget_3, QString());

    // Title bar; the save button is created here, before the close button.
    label_Head = makePictureLabel(centralWidget, "label_Head", ":/controls/pic/control/Head_Background.jpg");
    label_Head->setGeometry(QRect(0, 0, 1176, 80));
    fixSize(label_Head, 1176, 80);
    label_Head_One = makePictureLabel(centralWidget, "label_Head_One", ":/controls/pic/control/Head1.png");
    label_Head_One->setGeometry(QRect(20, 10, 105, 26));
    fixSize(label_Head_One, 120, 57);
    label_Head_One->setScaledContents(true);
    label__Head_Two = makePictureLabel(centralWidget, "label__Head_Two", ":/controls/pic/control/Head2.png");
    label__Head_Two->setGeometry(QRect(160, 20, 400, 51));
    pushButton_Minimize = new QPushButton(centralWidget);
    pushButton_Minimize->setObjectName(QString::fromUtf8("pushButton_Minimize"));
    pushButton_Minimize->setGeometry(QRect(1040, 30, 25, 18));
    pushButton_Minimize->setStyleSheet(VoxBenchStyle::picture(":/controls/pic/control/minimize.png"));
    pushButton_CustomSave = new QPushButton(centralWidget);
    pushButton_CustomSave->setObjectName(QString::fromUtf8("pushButton_CustomSave"));
    pushButton_CustomSave->setGeometry(QRect(490, 650, 87, 32));
    fixSize(pushButton_CustomSave, 87, 32);
    pushButton_CustomSave->setStyleSheet(QString::fromLatin1(VoxBenchStyle::textButton));
    pushButton_Close = new QPushButton(centralWidget);
    pushButton_Close->setObjectName(QString::fromUtf8("pushButton_Close"));
    pushButton_Close->setGeometry(QRect(1111, 30, 22, 22));
    pushButton_Close->setStyleSheet(VoxBenchStyle::picture(":/controls/pic/control/close.png"));

    // Speaker test panel: a listener's head among seven speakers.
    groupBox_SurroundTest = new QGroupBox(centralWidget);
    groupBox_SurroundTest->setObjectName(QString::fromUtf8("groupBox_SurroundTest"));
    groupBox_SurroundTest->setGeometry(QRect(600, 300, 520, 380));
    groupBox_SurroundTest->setStyleSheet(QString::fromLatin1(VoxBenchStyle::testFrame));
    pushButton_SurroundTest = new QPushButton(groupBox_SurroundTest);
    pushButton_SurroundTest->setObjectName(QString::fromUtf8("pushButton_SurroundTest"));
    pushButton_SurroundTest->setGeometry(QRect(20, 10, 62, 33));
    fixSize(pushButton_SurroundTest, 62, 33);
    pushButton_SurroundTest->setStyleSheet(QString::fromLatin1(VoxBenchStyle::playButton));
    pushButton_SurroundTest->setIconSize(QSize(25, 25));
    label_PersonGif = new QLabel(groupBox_SurroundTest);
    label_PersonGif->setObjectName(QString::fromUtf8("label_PersonGif"));
    label_PersonGif->setGeometry(QRect(140, 30, 330, 330));
    label_PersonGif->setAlignment(Qt::AlignCenter);
    label_Horn_Left = makePictureLabel(groupBox_SurroundTest, "label_Horn_Left", ":/png/pic/png/left.png");
    label_Horn_Left->setGeometry(QRect(135, 130, 50, 150));
    label_Horn_Left->setAlignment(Qt::AlignCenter);
    label_Horn_Right = makePictureLabel(groupBox_SurroundTest, "label_Horn_Right", ":/png/pic/png/right.png");
    label_Horn_Right->setGeometry(QRect(430, 130, 50, 150));
    label_Horn_Right->setAlignment(Qt::AlignCenter);
    label_Horn_Up = makePictureLabel(groupBox_SurroundTest, "label_Horn_Up", ":/png/pic/png/up.png");
    label_Horn_Up->setGeometry(QRect(230, 40, 150, 50));
    label_Horn_Up->setAlignment(Qt::AlignCenter);
    label_Horn_LeftUp =
        makePictureLabel(groupBox_SurroundTest, "label_Horn_LeftUp", ":/png/pic/png/leftup.png");
    label_Horn_LeftUp->setGeometry(QRect(145, 55, 120, 120));
    label_Horn_RightUp =
        makePictureLabel(groupBox_SurroundTest, "label_Horn_RightUp", ":/png/pic/png/rightup.png");
    label_Horn_RightUp->setGeometry(QRect(345, 55, 120, 120));
    label_Horn_RightDown =
        makePictureLabel(groupBox_SurroundTest, "label_Horn_RightDown", ":/png/pic/png/rightdown.png");
    label_Horn_RightDown->setGeometry(QRect(320, 230, 150, 150));
    label_Horn_LeftDown =
        makePictureLabel(groupBox_SurroundTest, "label_Horn_LeftDown", ":/png/pic/png/leftdown.png");
    label_Horn_LeftDown->setGeometry(QRect(155, 230, 150, 150));
    label_PersonGif->raise();
    label_Horn_Left->raise();
    label_Horn_Right->raise();
    label_Horn_Up->raise();
    pushButton_SurroundTest->raise();
    label_Horn_LeftUp->raise();
    label_Horn_RightUp->raise();
    label_Horn_RightDown->raise();
    label_Horn_LeftDown->raise();

    // Window background.
    label = makePictureLabel(centralWidget, "label", ":/controls/pic/control/Background2.png");
    label->setGeometry(QRect(0, 0, 1176, 700));
    fixSize(label, 1176, 700);

    pushButton_CustomReset = new QPushButton(centralWidget);
    pushButton_CustomReset->setObjectName(QString::fromUtf8("pushButton_CustomReset"));
    pushButton_CustomReset->setGeometry(QRect(390, 650, 87, 32));
    fixSize(pushButton_CustomReset, 87, 32);
    pushButton_CustomReset->setStyleSheet(QString::fromLatin1(VoxBenchStyle::textButton));

    // Stereo equalizer panel.
    widget_Param_Stereo = new QCustomPlot(centralWidget);
    widget_Param_Stereo->setObjectName(QString::fromUtf8("widget_Param_Stereo"));
    widget_Param_Stereo->setGeometry(QRect(45, 300, 551, 340));
    layoutWidget = new QWidget(widget_Param_Stereo);
    layoutWidget->setObjectName(QString::fromUtf8("layoutWidget"));
    layoutWidget->setGeometry(QRect(49, -1, 501, 341));
    verticalLayout_3 = new QVBoxLayout(layoutWidget);
    verticalLayout_3->setSpacing(1);
    verticalLayout_3->setObjectName(QString::fromUtf8("verticalLayout_3"));
    verticalLayout_3->setContentsMargins(-1, 0, -1, 0);
    horizontalLayout_7 = new QHBoxLayout();
    horizontalLayout_7->setSpacing(2);
    horizontalLayout_7->setObjectName(QString::fromUtf8("horizontalLayout_7"));
    horizontalLayout_7->setContentsMargins(0, 15, -1, 9);
    QSlider **stereoSliders[10] = {&verticalSlider_30,  &verticalSlider_60,  &verticalSlider_120,
                                   &verticalSlider_250, &verticalSlider_500, &verticalSlider_1k,
                                   &verticalSlider_2k,  &verticalSlider_4k,  &verticalSlider_8k,
                                   &verticalSlider_16k};
    for (int band = 0; band < 10; ++band) {
        const QString name = QStringLiteral("verticalSlider_") + QLatin1String(kBandNames[band]);
        *stereoSliders[band] = makeBandSlider(layoutWidget, name, band == 0 ? 0 : 20);
        horizontalLayout_7->addWidget(*stereoSliders[band]);
        horizontalLayout_7->setStretch(band, 1);
    }
    verticalLayout_3->addLayout(horizontalLayout_7);
    horizontalLayout_15 = new QHBoxLayout();
    horizontalLayout_15->setSpacing(2);
    horizontalLayout_15->setObjectName(QString::fromUtf8("horizontalLayout_15"));
    horizontalSpacer_10 = makeSpacer(40, 20);
    horizontalLayout_15->addItem(horizontalSpacer_10);
    QLabel **stereoCaptions[10] = {&label_2, &label_3, &label_4,  &label_6,  &label_7,
                                   &label_8, &label_9, &label_14, &label_10, &label_11};
    const char *const stereoCaptionNames[10] = {"label_2", "label_3", "label_4",  "label_6",  "label_7",
                                                "label_8", "label_9", "label_14", "label_10", "label_11"};
    for (int band = 0; band < 10; ++band) {
        *stereoCaptions[band] = makeCaption(layoutWidget, QString::fromLatin1(stereoCaptionNames[band]));
        horizontalLayout_15->addWidget(*stereoCaptions[band]);
    }
    horizontalSpacer_11 = makeSpacer(40, 20);
    horizontalLayout_15->addItem(horizontalSpacer_11);
    horizontalLayout_15->setStretch(0, 1);
    for (int band = 0; band < 10; ++band)
        horizontalLayout_15->setStretch(band + 1, 3);
    horizontalLayout_15->setStretch(11, 1);
    verticalLayout_3->addLayout(horizontalLayout_15);

    // Spectrum panel.
    groupBox_Stereo_Spectrum = new QGroupBox(centralWidget);
    groupBox_Stereo_Spectrum->setObjectName(QString::fromUtf8("groupBox_Stereo_Spectrum"));
    groupBox_Stereo_Spectrum->setGeometry(QRect(600, 300, 520, 380));
    groupBox_Stereo_Spectrum->setStyleSheet(QString::fromLatin1(VoxBenchStyle::spectrumFrame));
    label_Spectrum = new QLabel(groupBox_Stereo_Spectrum);
    label_Spectrum->setObjectName(QString::fromUtf8("label_Spectrum"));
    label_Spectrum->setGeometry(QRect(10, 40, 500, 300));
    widget_Spectrum = new QCustomPlot(groupBox_Stereo_Spectrum);
    widget_Spectrum->setObjectName(QString::fromUtf8("widget_Spectrum"));
    widget_Spectrum->setGeometry(QRect(10, 40, 500, 300));

    // Bottom row name field.
    lineEdit_CustomName = new QLineEdit(centralWidget);
    lineEdit_CustomName->setObjectName(QString::fromUtf8("lineEdit_CustomName"));
    lineEdit_CustomName->setGeometry(QRect(70, 650, 180, 34));
    lineEdit_CustomName->setStyleSheet(QString::fromLatin1(VoxBenchStyle::nameField));

    // Surround equalizer panel.
    widget_Param_Surround = new QCustomPlot(centralWidget);
    widget_Param_Surround->setObjectName(QString::fromUtf8("widget_Param_Surround"));
    widget_Param_Surround->setGeometry(QRect(45, 300, 551, 340));
    layoutWidget_3 = new QWidget(widget_Param_Surround);
    layoutWidget_3->setObjectName(QString::fromUtf8("layoutWidget_3"));
    layoutWidget_3->setGeometry(QRect(49, -1, 501, 341));
    verticalLayout_5 = new QVBoxLayout(layoutWidget_3);
    verticalLayout_5->setSpacing(1);
    verticalLayout_5->setObjectName(QString::fromUtf8("verticalLayout_5"));
    verticalLayout_5->setContentsMargins(-1, 0, -1, 0);
    horizontalLayout_17 = new QHBoxLayout();
    horizontalLayout_17->setSpacing(2);
    horizontalLayout_17->setObjectName(QString::fromUtf8("horizontalLayout_17"));
    horizontalLayout_17->setContentsMargins(0, 15, -1, 9);
    QSlider **surroundSliders[10] = {&verticalSlider_30_2,  &verticalSlider_60_2,  &verticalSlider_120_2,
                                     &verticalSlider_250_2, &verticalSlider_500_2, &verticalSlider_1k_2,
                                     &verticalSlider_2k_2,  &verticalSlider_4k_2,  &verticalSlider_8k_2,
                                     &verticalSlider_16k_2};
    for (int band = 0; band < 10; ++band) {
        const QString name =
            QStringLiteral("verticalSlider_") + QLatin1String(kBandNames[band]) + QStringLiteral("_2");
        *surroundSliders[band] = makeBandSlider(layoutWidget_3, name, band == 0 ? 0 : 20);
        horizontalLayout_17->addWidget(*surroundSliders[band]);
        horizontalLayout_17->setStretch(band, 1);
    }
    verticalLayout_5->addLayout(horizontalLayout_17);
    horizontalLayout_18 = new QHBoxLayout();
    horizontalLayout_18->setSpacing(2);
    horizontalLayout_18->setObjectName(QString::fromUtf8("horizontalLayout_18"));
    horizontalSpacer_12 = makeSpacer(40, 20);
    horizontalLayout_18->addItem(horizontalSpacer_12);
    QLabel **surroundCaptions[10] = {&label_23, &label_24, &label_25, &label_26, &label_27,
                                     &label_28, &label_29, &label_15, &label_30, &label_31};
    const char *const surroundCaptionNames[10] = {"label_23", "label_24", "label_25", "label_26", "label_27",
                                                  "label_28", "label_29", "label_15", "label_30", "label_31"};
    for (int band = 0; band < 10; ++band) {
        *surroundCaptions[band] =
            makeCaption(layoutWidget_3, QString::fromLatin1(surroundCaptionNames[band]));
        horizontalLayout_18->addWidget(*surroundCaptions[band]);
    }
    horizontalSpacer_13 = makeSpacer(40, 20);
    horizontalLayout_18->addItem(horizontalSpacer_13);
    horizontalLayout_18->setStretch(0, 1);
    for (int band = 0; band < 10; ++band)
        horizontalLayout_18->setStretch(band + 1, 3);
    horizontalLayout_18->setStretch(11, 1);
    verticalLayout_5->addLayout(horizontalLayout_18);

    // Axis captions.
    label_dB = makeCaption(centralWidget, QStringLiteral("label_dB"));
    label_dB->setMinimumSize(QSize(0, 0));
    label_dB->setGeometry(QRect(65, 298, 50, 15));
    label_Hz = makeCaption(centralWidget, QStringLiteral("label_Hz"));
    label_Hz->setMinimumSize(QSize(0, 0));
    label_Hz->setGeometry(QRect(570, 602, 50, 15));

    // No-receiver screen.
    label_DefaultBackground =
        makePictureLabel(centralWidget, "label_DefaultBackground", ":/controls/pic/control/InitBg.jpg");
    label_DefaultBackground->setGeometry(QRect(0, 30, 1176, 700));
    fixSize(label_DefaultBackground, 1176, 700);
    label_DefaultHead = new QLabel(centralWidget);
    label_DefaultHead->setObjectName(QString::fromUtf8("label_DefaultHead"));
    // The full window width, dark like the device page's title bar, so that
    // neither the window's grey nor the title picture below shows through.
    label_DefaultHead->setGeometry(QRect(0, 0, 1176, 30));
    fixSize(label_DefaultHead, 1176, 30);
    label_DefaultHead->setStyleSheet(QString::fromLatin1(VoxBenchStyle::emptyPageTitle));
    pushButton_DefaultClose = new QPushButton(centralWidget);
    pushButton_DefaultClose->setObjectName(QString::fromUtf8("pushButton_DefaultClose"));
    pushButton_DefaultClose->setGeometry(QRect(1150, 5, 20, 20));
    fixSize(pushButton_DefaultClose, 20, 20);
    pushButton_DefaultClose->setStyleSheet(VoxBenchStyle::picture(":/controls/pic/control/close1.png"));

    VoxBenchClass->setCentralWidget(centralWidget);

    // Stacking order, bottom to top.
    label_DefaultBackground->raise();
    label->raise();
    tabWidget->raise();
    label_Head->raise();
    label_Head_One->raise();
    label__Head_Two->raise();
    pushButton_Minimize->raise();
    pushButton_Close->raise();
    pushButton_CustomSave->raise();
    pushButton_CustomReset->raise();
    widget_Param_Stereo->raise();
    lineEdit_CustomName->raise();
    widget_Param_Surround->raise();
    groupBox_Stereo_Spectrum->raise();
    groupBox_SurroundTest->raise();
    label_Hz->raise();
    label_dB->raise();
    label_DefaultHead->raise();
    pushButton_DefaultClose->raise();

    retranslateUi(VoxBenchClass);

    QObject::connect(radioButton_Stereo_Pop, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Stereo_Pop_Clicked()));
    QObject::connect(radioButton_Stereo_Jazz, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Stereo_Jazz_Clicked()));
    QObject::connect(radioButton_Stereo_RockRoll, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Stereo_RockRoll_Clicked()));
    QObject::connect(radioButton_Stereo_Classic, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Stereo_Classic_Clicked()));
    QObject::connect(radioButton_Stereo_DeepBass, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Stereo_DeepBass_Clicked()));
    QObject::connect(radioButton_Stereo_VornStandard, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Stereo_VornStandard_Clicked()));
    QObject::connect(radioButton_Stereo_Customize, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Stereo_Customize_Clicked()));
    QObject::connect(radioButton_Stereo_Custom1, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Stereo_CustomOne_Clicked()));
    QObject::connect(radioButton_Stereo_Custom2, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Stereo_CustomTwo_Clicked()));
    QObject::connect(radioButton_Stereo_Custom3, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Stereo_CustomThree_Clicked()));
    QObject::connect(radioButton_Stereo_Custom4, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Stereo_CustomFour_Clicked()));
    QObject::connect(radioButton_Stereo_Custom5, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Stereo_CustomFive_Clicked()));
    QObject::connect(radioButton_Surround_DeepBass, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Surround_DeepBass_Clicked()));
    QObject::connect(radioButton_Surround_FPS, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Surround_FPS_Clicked()));
    QObject::connect(radioButton_Surround_Moba, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Surround_Moba_Clicked()));
    QObject::connect(radioButton_Surround_VornStandard, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Surround_VornStandard_Clicked()));
    QObject::connect(radioButton_Surround_Customize, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Surround_Customize_Clicked()));
    QObject::connect(radioButton_Surround_Custom1, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Surround_CustomOne_Clicked()));
    QObject::connect(radioButton_Surround_Custom2, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Surround_CustomTwo_Clicked()));
    QObject::connect(radioButton_Surround_Custom3, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Surround_CustomThree_Clicked()));
    QObject::connect(radioButton_Surround_Custom4, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Surround_CustomFour_Clicked()));
    QObject::connect(radioButton_Surround_Custom5, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_RadioButton_Surround_CustomFive_Clicked()));
    QObject::connect(pushButton_Stereo_CustomAdd, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_PushButton_Stereo_CustomAdd_Clicked()));
    QObject::connect(pushButton_Stereo_CustomClear, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_PushButton_Stereo_CustomClear_Clicked()));
    QObject::connect(pushButton_Surround_CustomAdd, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_PushButton_Surround_CustomAdd_Clicked()));
    QObject::connect(pushButton_Surround_CustomClear, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_PushButton_Surround_CustomClear_Clicked()));
    QObject::connect(pushButton_CustomReset, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_PushButton_CustomReset_Clicked()));
    QObject::connect(pushButton_CustomSave, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_PushButton_CustomSave_Clicked()));
    for (int band = 0; band < 10; ++band) {
        QObject::connect(*stereoSliders[band], SIGNAL(valueChanged(int)), VoxBenchClass,
                         SLOT(on_VerticalSlider_Stereo_ValueChange()));
    }
    for (int band = 0; band < 10; ++band) {
        QObject::connect(*surroundSliders[band], SIGNAL(valueChanged(int)), VoxBenchClass,
                         SLOT(on_VerticalSlider_Surround_ValueChange()));
    }
    QObject::connect(checkBox_MicENC, SIGNAL(clicked()), VoxBenchClass, SLOT(on_CheckBox_MicENC_Clicked()));
    QObject::connect(tabWidget, SIGNAL(currentChanged(int)), VoxBenchClass, SLOT(on_TabWidget_Clicked(int)));
    QObject::connect(pushButton_SurroundTest, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_PushButton_PlayTest_Clicked()));
    QObject::connect(pushButton_Minimize, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_PushButton_Minimize_Clicked()));
    QObject::connect(pushButton_Close, SIGNAL(clicked()), VoxBenchClass, SLOT(on_PushButton_Close_Clicked()));
    QObject::connect(pushButton_DefaultClose, SIGNAL(clicked()), VoxBenchClass,
                     SLOT(on_PushButton_DefaultClose_Clicked()));

    tabWidget->setCurrentIndex(0);

    QMetaObject::connectSlotsByName(VoxBenchClass);
}

void VoxBenchForm::retranslateUi(QMainWindow *VoxBenchClass)
{
    const auto tr = [](const char *text) {
        return QCoreApplication::translate("VoxBenchClass", text, nullptr);
    };

    VoxBenchClass->setWindowTitle(tr("VoxBench"));
    radioButton_Surround_VornStandard->setText(tr("PelagoPlay Standard"));
    radioButton_Surround_FPS->setText(tr("FPS"));
    radioButton_Surround_Moba->setText(tr("Moba"));
    radioButton_Surround_DeepBass->setText(tr("Flat"));
    label_13->setText(QString());
    radioButton_Surround_Customize->setText(tr("Customize"));
    pushButton_Surround_CustomAdd->setText(tr("+"));
    pushButton_Surround_CustomClear->setText(QString());
    groupBox_Surround->setTitle(QString());
    radioButton_Surround_Custom1->setText(tr("Mode1"));
    radioButton_Surround_Custom2->setText(tr("Mode2"));
    radioButton_Surround_Custom3->setText(tr("Mode3"));
    radioButton_Surround_Custom4->setText(tr("Mode4"));
    radioButton_Surround_Custom5->setText(tr("Mode5"));
    tabWidget->setTabText(tabWidget->indexOf(widget_2), tr("7.1 Surround Sound (Game)"));

    radioButton_Stereo_VornStandard->setText(tr("PelagoPlay Standard"));
    radioButton_Stereo_Pop->setText(tr("FPS"));
    radioButton_Stereo_RockRoll->setText(tr("Moba"));
    radioButton_Stereo_DeepBass->setText(tr("Flat"));
    label_12->setText(QString());
    radioButton_Stereo_Customize->setText(tr("Customize"));
    pushButton_Stereo_CustomAdd->setText(QString());
    pushButton_Stereo_CustomClear->setText(QString());
    groupBox_Stereo->setTitle(QString());
    radioButton_Stereo_Custom1->setText(tr("Mode1"));
    radioButton_Stereo_Custom2->setText(tr("Mode2"));
    radioButton_Stereo_Custom3->setText(tr("Mode3"));
    radioButton_Stereo_Custom4->setText(tr("Mode4"));
    radioButton_Stereo_Custom5->setText(tr("Mode5"));
    radioButton_Stereo_Jazz->setText(tr("Jazz"));
    radioButton_Stereo_Classic->setText(tr("Classic"));
    tabWidget->setTabText(tabWidget->indexOf(widget), tr("Stereo Sound (Music)"));

    checkBox_MicENC->setText(tr("Mic ENC(Environment Noise Cancellation)"));
    label_5->setText(QString());
    tabWidget->setTabText(tabWidget->indexOf(widget_3), tr("Mic ENC"));

    label_Head->setText(QString());
    label_Head_One->setText(QString());
    pushButton_Minimize->setText(QString());
    pushButton_CustomSave->setText(tr("Save"));
    pushButton_Close->setText(QString());
    groupBox_SurroundTest->setTitle(QString());
    pushButton_SurroundTest->setText(QString());
    label_PersonGif->setText(QString());
    label_Horn_Left->setText(QString());
    label_Horn_Right->setText(QString());
    label_Horn_Up->setText(QString());
    label_Horn_LeftUp->setText(QString());
    label_Horn_RightUp->setText(QString());
    label_Horn_RightDown->setText(QString());
    label_Horn_LeftDown->setText(QString());
    label->setText(QString());
    pushButton_CustomReset->setText(tr("Reset"));

    QLabel *const stereoCaptions[10] = {label_2, label_3, label_4,  label_6,  label_7,
                                        label_8, label_9, label_14, label_10, label_11};
    QLabel *const surroundCaptions[10] = {label_23, label_24, label_25, label_26, label_27,
                                          label_28, label_29, label_15, label_30, label_31};
    for (int band = 0; band < 10; ++band) {
        stereoCaptions[band]->setText(tr(kBandNames[band]));
        surroundCaptions[band]->setText(tr(kBandNames[band]));
    }

    groupBox_Stereo_Spectrum->setTitle(QString());
    label_Spectrum->setText(QString());
    lineEdit_CustomName->setText(tr("Name"));
    label_dB->setText(tr("dB"));
    label_Hz->setText(tr("Hz"));
    label_DefaultBackground->setText(QString());
    label_DefaultHead->setText(tr(" PelagoPlay 7.1 Surround Sound Hub"));
    pushButton_DefaultClose->setText(QString());
}

QSlider *VoxBenchForm::bandSlider(int page, int band) const
{
    QSlider *const stereo[10] = {
        verticalSlider_30, verticalSlider_60, verticalSlider_120, verticalSlider_250, verticalSlider_500,
        verticalSlider_1k, verticalSlider_2k, verticalSlider_4k,  verticalSlider_8k,  verticalSlider_16k};
    QSlider *const surround[10] = {verticalSlider_30_2,  verticalSlider_60_2,  verticalSlider_120_2,
                                   verticalSlider_250_2, verticalSlider_500_2, verticalSlider_1k_2,
                                   verticalSlider_2k_2,  verticalSlider_4k_2,  verticalSlider_8k_2,
                                   verticalSlider_16k_2};
    // Bands outside 0..9 are outside the contract; give no slider rather
    // than read past the table.
    if (band < 0 || band > 9)
        return nullptr;
    return page == 1 ? surround[band] : stereo[band];
}
