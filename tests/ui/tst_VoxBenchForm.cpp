// The built form: its widget tree, geometry, texts, stacking and wiring.
#include "FormHost.h"
#include "ui/CustomTabStyle.h"

#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabBar>
#include <QtTest>
#include <qcustomplot.h>

namespace {

QStringList widgetChildren(const QWidget *parent)
{
    QStringList names;
    for (QObject *child : parent->children()) {
        if (child->isWidgetType())
            names << child->objectName();
    }
    return names;
}

} // namespace

class tst_VoxBenchForm : public QObject
{
    Q_OBJECT

private slots:
    void windowIsFixedAndNamed();
    void keepsAnExistingWindowName();
    void widgetTree_data();
    void widgetTree();
    void topLevelGeometry_data();
    void topLevelGeometry();
    void tabWidgetIsHeldToItsLimits();
    void pagesInOrder();
    void textsAfterRetranslation();
    void stackingOrder();
    void layoutsOfThePresetPages();
    void bandSlidersAndCaptions();
    void bandSliderLookup();
    void eachClickReachesItsSlotOnce_data();
    void eachClickReachesItsSlotOnce();
    void slidersReachTheirPanelsSlot();
    void tabChangeReachesTheWindow();
    void hiddenPresetsStillClickable();
    void styleSheetsNameOnlyShippedPictures();
    void lookOnScreen();
};

void tst_VoxBenchForm::windowIsFixedAndNamed()
{
    FormHost host;
    QCOMPARE(host.objectName(), QStringLiteral("VoxBenchClass"));
    QCOMPARE(host.size(), QSize(1176, 700));
    QCOMPARE(host.minimumSize(), QSize(1176, 700));
    QCOMPARE(host.maximumSize(), QSize(1176, 700));
    host.resize(1400, 900);
    QCOMPARE(host.size(), QSize(1176, 700));
    host.resize(800, 400);
    QCOMPARE(host.size(), QSize(1176, 700));
    QCOMPARE(host.windowTitle(), QStringLiteral("VoxBench"));
    QVERIFY(host.styleSheet().isEmpty());
    QVERIFY(!host.windowIcon().isNull());
    QVERIFY(!host.windowIcon().pixmap(32, 32).isNull());
    QCOMPARE(host.centralWidget(), host.ui.centralWidget);
    QCOMPARE(host.ui.centralWidget->objectName(), QStringLiteral("centralWidget"));
}

void tst_VoxBenchForm::keepsAnExistingWindowName()
{
    FormHost host(QStringLiteral("AlreadyNamed"));
    QCOMPARE(host.objectName(), QStringLiteral("AlreadyNamed"));
}

void tst_VoxBenchForm::widgetTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");

    const auto row = [](const char *name, const char *cls, const char *parent) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(cls)
                            << QString::fromLatin1(parent);
    };
    row("label_Head", "QLabel", "centralWidget");
    row("label_Head_One", "QLabel", "centralWidget");
    row("label__Head_Two", "QLabel", "centralWidget");
    row("pushButton_Minimize", "QPushButton", "centralWidget");
    row("pushButton_Close", "QPushButton", "centralWidget");
    row("label", "QLabel", "centralWidget");
    row("tabWidget", "QTabWidget", "centralWidget");
    row("widget_Param_Stereo", "QCustomPlot", "centralWidget");
    row("layoutWidget", "QWidget", "widget_Param_Stereo");
    row("widget_Param_Surround", "QCustomPlot", "centralWidget");
    row("layoutWidget_3", "QWidget", "widget_Param_Surround");
    row("label_dB", "QLabel", "centralWidget");
    row("label_Hz", "QLabel", "centralWidget");
    row("groupBox_Stereo_Spectrum", "QGroupBox", "centralWidget");
    row("label_Spectrum", "QLabel", "groupBox_Stereo_Spectrum");
    row("widget_Spectrum", "QCustomPlot", "groupBox_Stereo_Spectrum");
    row("groupBox_SurroundTest", "QGroupBox", "centralWidget");
    row("pushButton_SurroundTest", "QPushButton", "groupBox_SurroundTest");
    row("label_PersonGif", "QLabel", "groupBox_SurroundTest");
    row("label_Horn_Left", "QLabel", "groupBox_SurroundTest");
    row("label_Horn_Right", "QLabel", "groupBox_SurroundTest");
    row("label_Horn_Up", "QLabel", "groupBox_SurroundTest");
    row("label_Horn_LeftUp", "QLabel", "groupBox_SurroundTest");
    row("label_Horn_RightUp", "QLabel", "groupBox_SurroundTest");
    row("label_Horn_RightDown", "QLabel", "groupBox_SurroundTest");
    row("label_Horn_LeftDown", "QLabel", "groupBox_SurroundTest");
    row("lineEdit_CustomName", "QLineEdit", "centralWidget");
    row("pushButton_CustomReset", "QPushButton", "centralWidget");
    row("pushButton_CustomSave", "QPushButton", "centralWidget");
    row("label_DefaultBackground", "QLabel", "centralWidget");
    row("label_DefaultHead", "QLabel", "centralWidget");
    row("pushButton_DefaultClose", "QPushButton", "centralWidget");
    // Surround page.
    row("radioButton_Surround_VornStandard", "QRadioButton", "widget_2");
    row("radioButton_Surround_FPS", "QRadioButton", "widget_2");
    row("radioButton_Surround_Moba", "QRadioButton", "widget_2");
    row("radioButton_Surround_DeepBass", "QRadioButton", "widget_2");
    row("label_13", "QLabel", "widget_2");
    row("radioButton_Surround_Customize", "QRadioButton", "widget_2");
    row("pushButton_Surround_CustomAdd", "QPushButton", "widget_2");
    row("pushButton_Surround_CustomClear", "QPushButton", "widget_2");
    row("groupBox_Surround", "QGroupBox", "widget_2");
    for (int i = 1; i <= 5; ++i) {
        const QByteArray name = "radioButton_Surround_Custom" + QByteArray::number(i);
        QTest::newRow(name.constData()) << QString::fromLatin1(name) << QStringLiteral("QRadioButton")
                                        << QStringLiteral("groupBox_Surround");
    }
    // Stereo page.
    row("radioButton_Stereo_VornStandard", "QRadioButton", "widget");
    row("radioButton_Stereo_Pop", "QRadioButton", "widget");
    row("radioButton_Stereo_RockRoll", "QRadioButton", "widget");
    row("radioButton_Stereo_DeepBass", "QRadioButton", "widget");
    row("radioButton_Stereo_Jazz", "QRadioButton", "widget");
    row("radioButton_Stereo_Classic", "QRadioButton", "widget");
    row("label_12", "QLabel", "widget");
    row("radioButton_Stereo_Customize", "QRadioButton", "widget");
    row("pushButton_Stereo_CustomAdd", "QPushButton", "widget");
    row("pushButton_Stereo_CustomClear", "QPushButton", "widget");
    row("groupBox_Stereo", "QGroupBox", "widget");
    for (int i = 1; i <= 5; ++i) {
        const QByteArray name = "radioButton_Stereo_Custom" + QByteArray::number(i);
        QTest::newRow(name.constData()) << QString::fromLatin1(name) << QStringLiteral("QRadioButton")
                                        << QStringLiteral("groupBox_Stereo");
    }
    // Microphone page.
    row("checkBox_MicENC", "QCheckBox", "widget_3");
    row("label_5", "QLabel", "widget_3");
}

void tst_VoxBenchForm::widgetTree()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);

    FormHost host;
    const QList<QWidget *> found = host.findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    QWidget *const w = found.first();
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    QVERIFY(w->parentWidget());
    QCOMPARE(w->parentWidget()->objectName(), parentName);
}

void tst_VoxBenchForm::topLevelGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");

    const QSize none(0, 0);
    const QSize unlimited(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const auto row = [](const char *name, QRect g, QSize min, QSize max) {
        QTest::newRow(name) << QString::fromLatin1(name) << g << min << max;
    };
    row("label_Head", QRect(0, 0, 1176, 80), QSize(1176, 80), QSize(1176, 80));
    row("label_Head_One", QRect(20, 10, 120, 57), QSize(120, 57), QSize(120, 57));
    row("label__Head_Two", QRect(160, 20, 400, 51), none, unlimited);
    row("pushButton_Minimize", QRect(1040, 30, 25, 18), none, unlimited);
    row("pushButton_Close", QRect(1111, 30, 22, 22), none, unlimited);
    row("label", QRect(0, 0, 1176, 700), QSize(1176, 700), QSize(1176, 700));
    row("tabWidget", QRect(44, 100, 1087, 192), QSize(1087, 162), QSize(1087, 192));
    row("widget_Param_Stereo", QRect(45, 300, 551, 340), none, unlimited);
    row("layoutWidget", QRect(49, -1, 501, 341), none, unlimited);
    row("widget_Param_Surround", QRect(45, 300, 551, 340), none, unlimited);
    row("layoutWidget_3", QRect(49, -1, 501, 341), none, unlimited);
    row("label_dB", QRect(65, 298, 50, 15), none, unlimited);
    row("label_Hz", QRect(570, 602, 50, 15), none, unlimited);
    row("groupBox_Stereo_Spectrum", QRect(600, 300, 520, 380), none, unlimited);
    row("label_Spectrum", QRect(10, 40, 500, 300), none, unlimited);
    row("widget_Spectrum", QRect(10, 40, 500, 300), none, unlimited);
    row("groupBox_SurroundTest", QRect(600, 300, 520, 380), none, unlimited);
    row("pushButton_SurroundTest", QRect(20, 10, 62, 33), QSize(62, 33), QSize(62, 33));
    row("label_PersonGif", QRect(140, 30, 330, 330), none, unlimited);
    row("label_Horn_Left", QRect(135, 130, 50, 150), none, unlimited);
    row("label_Horn_Right", QRect(430, 130, 50, 150), none, unlimited);
    row("label_Horn_Up", QRect(230, 40, 150, 50), none, unlimited);
    row("label_Horn_LeftUp", QRect(145, 55, 120, 120), none, unlimited);
    row("label_Horn_RightUp", QRect(345, 55, 120, 120), none, unlimited);
    row("label_Horn_RightDown", QRect(320, 230, 150, 150), none, unlimited);
    row("label_Horn_LeftDown", QRect(155, 230, 150, 150), none, unlimited);
    row("lineEdit_CustomName", QRect(70, 650, 180, 34), none, unlimited);
    row("pushButton_CustomReset", QRect(390, 650, 87, 32), QSize(87, 32), QSize(87, 32));
    row("pushButton_CustomSave", QRect(490, 650, 87, 32), QSize(87, 32), QSize(87, 32));
    row("label_DefaultBackground", QRect(0, 30, 1176, 700), QSize(1176, 700), QSize(1176, 700));
    row("label_DefaultHead", QRect(0, 0, 1176, 30), QSize(1176, 30), QSize(1176, 30));
    row("pushButton_DefaultClose", QRect(1150, 5, 20, 20), QSize(20, 20), QSize(20, 20));
}

void tst_VoxBenchForm::topLevelGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);

    FormHost host;
    QWidget *const w = host.findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(), geometry);
    QCOMPARE(w->minimumSize(), minimum);
    QCOMPARE(w->maximumSize(), maximum);
}

void tst_VoxBenchForm::tabWidgetIsHeldToItsLimits()
{
    FormHost host;
    QTabWidget *const tabs = host.ui.tabWidget;
    QCOMPARE(tabs->elideMode(), Qt::ElideNone);
    // The window asks for one pixel more than the limit on each side.
    tabs->setGeometry(44, 100, 1089, 162);
    QCOMPARE(tabs->size(), QSize(1087, 162));
    tabs->resize(2000, 400);
    QCOMPARE(tabs->size(), QSize(1087, 192));
    tabs->resize(10, 10);
    QCOMPARE(tabs->size(), QSize(1087, 162));
}

void tst_VoxBenchForm::pagesInOrder()
{
    FormHost host;
    QTabWidget *const tabs = host.ui.tabWidget;
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->widget(0), host.ui.widget_2);
    QCOMPARE(tabs->widget(1), host.ui.widget);
    QCOMPARE(tabs->widget(2), host.ui.widget_3);
    QCOMPARE(tabs->currentIndex(), 0);
    for (QWidget *page : {host.ui.widget_2, host.ui.widget, host.ui.widget_3}) {
        QCOMPARE(QString::fromLatin1(page->metaObject()->className()), QStringLiteral("QWidget"));
        QVERIFY(qobject_cast<QStackedWidget *>(page->parentWidget()));
        QCOMPARE(page->parentWidget()->parentWidget(), tabs);
    }
}

void tst_VoxBenchForm::textsAfterRetranslation()
{
    FormHost host;
    VoxBenchForm &ui = host.ui;
    // Scribble over every text, then let the retranslation step put them back.
    const QList<QAbstractButton *> buttons = host.findChildren<QAbstractButton *>();
    for (QAbstractButton *b : buttons)
        b->setText(QStringLiteral("x"));
    for (QLabel *l : host.findChildren<QLabel *>())
        l->setText(QStringLiteral("x"));
    ui.lineEdit_CustomName->setText(QStringLiteral("x"));
    for (int i = 0; i < 3; ++i)
        ui.tabWidget->setTabText(i, QStringLiteral("x"));
    host.setWindowTitle(QStringLiteral("x"));
    ui.retranslateUi(&host);

    QCOMPARE(host.windowTitle(), QStringLiteral("VoxBench"));
    QCOMPARE(ui.tabWidget->tabText(0), QStringLiteral("7.1 Surround Sound (Game)"));
    QCOMPARE(ui.tabWidget->tabText(1), QStringLiteral("Stereo Sound (Music)"));
    QCOMPARE(ui.tabWidget->tabText(2), QStringLiteral("Mic ENC"));
    for (QRadioButton *b : {ui.radioButton_Surround_VornStandard, ui.radioButton_Stereo_VornStandard})
        QCOMPARE(b->text(), QStringLiteral("PelagoPlay Standard"));
    QCOMPARE(ui.radioButton_Surround_FPS->text(), QStringLiteral("FPS"));
    QCOMPARE(ui.radioButton_Stereo_Pop->text(), QStringLiteral("FPS"));
    QCOMPARE(ui.radioButton_Surround_Moba->text(), QStringLiteral("Moba"));
    QCOMPARE(ui.radioButton_Stereo_RockRoll->text(), QStringLiteral("Moba"));
    QCOMPARE(ui.radioButton_Surround_DeepBass->text(), QStringLiteral("Flat"));
    QCOMPARE(ui.radioButton_Stereo_DeepBass->text(), QStringLiteral("Flat"));
    QCOMPARE(ui.radioButton_Stereo_Jazz->text(), QStringLiteral("Jazz"));
    QCOMPARE(ui.radioButton_Stereo_Classic->text(), QStringLiteral("Classic"));
    QCOMPARE(ui.radioButton_Surround_Customize->text(), QStringLiteral("Customize"));
    QCOMPARE(ui.radioButton_Stereo_Customize->text(), QStringLiteral("Customize"));
    QCOMPARE(ui.pushButton_Surround_CustomAdd->text(), QStringLiteral("+"));
    QCOMPARE(ui.pushButton_Stereo_CustomAdd->text(), QString());
    QCOMPARE(ui.pushButton_Surround_CustomClear->text(), QString());
    QRadioButton *const surroundCustom[5] = {ui.radioButton_Surround_Custom1, ui.radioButton_Surround_Custom2,
                                             ui.radioButton_Surround_Custom3, ui.radioButton_Surround_Custom4,
                                             ui.radioButton_Surround_Custom5};
    QRadioButton *const stereoCustom[5] = {ui.radioButton_Stereo_Custom1, ui.radioButton_Stereo_Custom2,
                                           ui.radioButton_Stereo_Custom3, ui.radioButton_Stereo_Custom4,
                                           ui.radioButton_Stereo_Custom5};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(surroundCustom[i]->text(), QStringLiteral("Mode%1").arg(i + 1));
        QCOMPARE(stereoCustom[i]->text(), QStringLiteral("Mode%1").arg(i + 1));
    }
    QCOMPARE(ui.checkBox_MicENC->text(), QStringLiteral("Mic ENC(Environment Noise Cancellation)"));
    QCOMPARE(ui.pushButton_CustomSave->text(), QStringLiteral("Save"));
    QCOMPARE(ui.pushButton_CustomReset->text(), QStringLiteral("Reset"));
    QCOMPARE(ui.lineEdit_CustomName->text(), QStringLiteral("Name"));
    QVERIFY(ui.lineEdit_CustomName->placeholderText().isEmpty());
    QCOMPARE(ui.label_DefaultHead->text(), QStringLiteral(" PelagoPlay 7.1 Surround Sound Hub"));
    QCOMPARE(ui.label_dB->text(), QStringLiteral("dB"));
    QCOMPARE(ui.label_Hz->text(), QStringLiteral("Hz"));
    // The title picture's label is left alone by the retranslation.
    QCOMPARE(ui.label__Head_Two->text(), QStringLiteral("x"));
    for (QLabel *l : {ui.label_Head, ui.label_Head_One, ui.label, ui.label_PersonGif, ui.label_Horn_Left,
                      ui.label_Spectrum, ui.label_DefaultBackground, ui.label_5, ui.label_13, ui.label_12})
        QVERIFY2(l->text().isEmpty(), qPrintable(l->objectName()));
    for (QAbstractButton *b : {static_cast<QAbstractButton *>(ui.pushButton_Minimize),
                               static_cast<QAbstractButton *>(ui.pushButton_Close),
                               static_cast<QAbstractButton *>(ui.pushButton_DefaultClose),
                               static_cast<QAbstractButton *>(ui.pushButton_SurroundTest)})
        QVERIFY2(b->text().isEmpty(), qPrintable(b->objectName()));
}

void tst_VoxBenchForm::stackingOrder()
{
    FormHost host;
    const QStringList expected = {"label_DefaultBackground",
                                  "label",
                                  "tabWidget",
                                  "label_Head",
                                  "label_Head_One",
                                  "label__Head_Two",
                                  "pushButton_Minimize",
                                  "pushButton_Close",
                                  "pushButton_CustomSave",
                                  "pushButton_CustomReset",
                                  "widget_Param_Stereo",
                                  "lineEdit_CustomName",
                                  "widget_Param_Surround",
                                  "groupBox_Stereo_Spectrum",
                                  "groupBox_SurroundTest",
                                  "label_Hz",
                                  "label_dB",
                                  "label_DefaultHead",
                                  "pushButton_DefaultClose"};
    QCOMPARE(widgetChildren(host.ui.centralWidget), expected);

    const QStringList panel = {"label_PersonGif",    "label_Horn_Left",         "label_Horn_Right",
                               "label_Horn_Up",      "pushButton_SurroundTest", "label_Horn_LeftUp",
                               "label_Horn_RightUp", "label_Horn_RightDown",    "label_Horn_LeftDown"};
    QCOMPARE(widgetChildren(host.ui.groupBox_SurroundTest), panel);

    // What a user sees at start: the surround panels over their stereo twins.
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    const QPoint inPlot = host.ui.widget_Param_Stereo->geometry().center();
    QWidget *const top = host.ui.centralWidget->childAt(inPlot);
    QVERIFY(top);
    QVERIFY(top == host.ui.widget_Param_Surround || host.ui.widget_Param_Surround->isAncestorOf(top));
}

void tst_VoxBenchForm::layoutsOfThePresetPages()
{
    FormHost host;
    const VoxBenchForm &ui = host.ui;

    QCOMPARE(ui.widget_2->layout(), ui.horizontalLayout_13);
    QCOMPARE(ui.horizontalLayout_13->spacing(), 6);
    QCOMPARE(ui.horizontalLayout_13->contentsMargins(), QMargins(11, 11, 11, 11));
    QCOMPARE(ui.verticalLayout_2->spacing(), 1);
    QCOMPARE(ui.verticalLayout_2->count(), 4);
    QCOMPARE(ui.verticalLayout_2->itemAt(0)->layout(), ui.horizontalLayout_11);
    QCOMPARE(ui.verticalLayout_2->itemAt(1)->widget(), ui.label_13);
    QCOMPARE(ui.verticalLayout_2->itemAt(2)->layout(), ui.horizontalLayout_10);
    QCOMPARE(ui.verticalLayout_2->itemAt(3)->layout(), ui.horizontalLayout_3);
    QCOMPARE(ui.horizontalLayout_11->contentsMargins(), QMargins(0, 0, 20, 0));
    QCOMPARE(ui.horizontalLayout_11->count(), 7);
    QCOMPARE(ui.horizontalLayout_11->itemAt(6)->widget(), ui.radioButton_Surround_DeepBass);
    QCOMPARE(ui.horizontalLayout_10->stretch(0), 1);
    QCOMPARE(ui.horizontalLayout_10->stretch(1), 3);
    QCOMPARE(ui.horizontalSpacer_4->sizeHint(), QSize(318, 20));
    QCOMPARE(ui.horizontalLayout_9->spacing(), 0);
    const int surroundStretch[6] = {8, 1, 1, 1, 0, 8};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(ui.horizontalLayout_9->stretch(i), surroundStretch[i]);
    QCOMPARE(ui.horizontalLayout_9->itemAt(2)->widget(), ui.pushButton_Surround_CustomAdd);
    QCOMPARE(ui.horizontalLayout_9->itemAt(4)->widget(), ui.pushButton_Surround_CustomClear);
    QCOMPARE(ui.horizontalLayout_20->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(ui.horizontalLayout_20->count(), 5);

    QCOMPARE(ui.widget->layout(), ui.horizontalLayout_5);
    QCOMPARE(ui.horizontalLayout_8->count(), 3);
    const int stereoStretch[6] = {8, 1, 1, 1, 1, 8};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(ui.horizontalLayout_2->stretch(i), stereoStretch[i]);
    QCOMPARE(ui.horizontalSpacer_7->sizeHint(), QSize(20, 20));
    QCOMPARE(ui.horizontalLayout_21->count(), 5);
    // The hidden presets belong to no layout.
    QCOMPARE(ui.horizontalLayout_5->indexOf(ui.radioButton_Stereo_Jazz), -1);
    QVERIFY(!ui.radioButton_Stereo_Jazz->isVisibleTo(ui.widget));
    QVERIFY(!ui.radioButton_Stereo_Classic->isVisibleTo(ui.widget));

    QCOMPARE(ui.radioButton_Surround_FPS->minimumSize(), QSize(268, 30));
    QCOMPARE(ui.radioButton_Surround_FPS->maximumSize(), QSize(268, 30));
    QCOMPARE(ui.radioButton_Stereo_Jazz->maximumSize(), QSize(268, 30));
    QCOMPARE(ui.radioButton_Stereo_Classic->minimumHeight(), 25);
    QCOMPARE(ui.radioButton_Stereo_Classic->maximumHeight(), 25);
    QCOMPARE(ui.radioButton_Stereo_Custom3->maximumHeight(), 20);
    QCOMPARE(ui.pushButton_Stereo_CustomAdd->maximumSize(), QSize(18, 18));
    QCOMPARE(ui.pushButton_Stereo_CustomClear->maximumSize(), QSize(19, 19));
    QCOMPARE(ui.label_5->maximumSize(), QSize(20, 27));
    QCOMPARE(ui.groupBox_Stereo->maximumHeight(), 25);
    QCOMPARE(ui.label_12->maximumHeight(), 8);

    QCOMPARE(ui.horizontalLayout_6->count(), 3);
    QCOMPARE(ui.horizontalLayout_6->itemAt(0)->widget(), ui.checkBox_MicENC);
    QCOMPARE(ui.horizontalLayout_6->itemAt(1)->widget(), ui.label_5);
}

void tst_VoxBenchForm::bandSlidersAndCaptions()
{
    FormHost host;
    const VoxBenchForm &ui = host.ui;
    const char *const captions[10] = {"30", "60", "120", "250", "500", "1k", "2k", "4k", "8k", "16k"};
    QLabel *const stereoCaptions[10] = {ui.label_2, ui.label_3, ui.label_4,  ui.label_6,  ui.label_7,
                                        ui.label_8, ui.label_9, ui.label_14, ui.label_10, ui.label_11};
    QLabel *const surroundCaptions[10] = {ui.label_23, ui.label_24, ui.label_25, ui.label_26, ui.label_27,
                                          ui.label_28, ui.label_29, ui.label_15, ui.label_30, ui.label_31};
    for (int page : {0, 1}) {
        QHBoxLayout *const row = page == 1 ? ui.horizontalLayout_17 : ui.horizontalLayout_7;
        QHBoxLayout *const captionRow = page == 1 ? ui.horizontalLayout_18 : ui.horizontalLayout_15;
        QWidget *const strip = page == 1 ? ui.layoutWidget_3 : ui.layoutWidget;
        QCOMPARE(strip->layout()->spacing(), 1);
        QCOMPARE(strip->layout()->contentsMargins().top(), 0);
        QCOMPARE(strip->layout()->contentsMargins().bottom(), 0);
        QCOMPARE(row->spacing(), 2);
        QCOMPARE(row->contentsMargins(), QMargins(0, 15, 0, 9));
        QCOMPARE(captionRow->count(), 12);
        QCOMPARE(captionRow->stretch(0), 1);
        QCOMPARE(captionRow->stretch(11), 1);
        for (int band = 0; band < 10; ++band) {
            QSlider *const s = ui.bandSlider(page, band);
            QCOMPARE(row->itemAt(band)->widget(), s);
            QCOMPARE(row->stretch(band), 1);
            QCOMPARE(s->minimum(), -12);
            QCOMPARE(s->maximum(), 12);
            QCOMPARE(s->pageStep(), 1);
            QCOMPARE(s->orientation(), Qt::Vertical);
            QCOMPARE(s->tickPosition(), QSlider::NoTicks);
            QCOMPARE(s->tickInterval(), 2);
            QCOMPARE(s->minimumSize(), QSize(band == 0 ? 0 : 20, 20));
            QLabel *const caption = page == 1 ? surroundCaptions[band] : stereoCaptions[band];
            QCOMPARE(captionRow->itemAt(band + 1)->widget(), caption);
            QCOMPARE(captionRow->stretch(band + 1), 3);
            QCOMPARE(caption->text(), QString::fromLatin1(captions[band]));
            QCOMPARE(caption->alignment(), Qt::AlignCenter);
            QCOMPARE(caption->minimumHeight(), 15);
        }
    }
}

void tst_VoxBenchForm::bandSliderLookup()
{
    FormHost host;
    const VoxBenchForm &ui = host.ui;
    QSlider *const stereo[10] = {ui.verticalSlider_30,  ui.verticalSlider_60,  ui.verticalSlider_120,
                                 ui.verticalSlider_250, ui.verticalSlider_500, ui.verticalSlider_1k,
                                 ui.verticalSlider_2k,  ui.verticalSlider_4k,  ui.verticalSlider_8k,
                                 ui.verticalSlider_16k};
    QSlider *const surround[10] = {ui.verticalSlider_30_2,  ui.verticalSlider_60_2,  ui.verticalSlider_120_2,
                                   ui.verticalSlider_250_2, ui.verticalSlider_500_2, ui.verticalSlider_1k_2,
                                   ui.verticalSlider_2k_2,  ui.verticalSlider_4k_2,  ui.verticalSlider_8k_2,
                                   ui.verticalSlider_16k_2};
    for (int band = 0; band < 10; ++band) {
        QCOMPARE(ui.bandSlider(0, band), stereo[band]);
        QCOMPARE(ui.bandSlider(1, band), surround[band]);
        QCOMPARE(ui.bandSlider(2, band), stereo[band]);
        QVERIFY(stereo[band]);
        QVERIFY(surround[band]);
        QVERIFY(stereo[band]->parentWidget() == ui.layoutWidget);
        QVERIFY(surround[band]->parentWidget() == ui.layoutWidget_3);
    }
    QCOMPARE(ui.bandSlider(1, 0)->objectName(), QStringLiteral("verticalSlider_30_2"));
    QCOMPARE(ui.bandSlider(0, 9)->objectName(), QStringLiteral("verticalSlider_16k"));
    QCOMPARE(ui.bandSlider(2, 9)->objectName(), QStringLiteral("verticalSlider_16k"));
    QCOMPARE(ui.bandSlider(0, 10), static_cast<QSlider *>(nullptr));
    QCOMPARE(ui.bandSlider(1, -1), static_cast<QSlider *>(nullptr));
}

void tst_VoxBenchForm::eachClickReachesItsSlotOnce_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("slot");
    const auto row = [](const char *widget, const char *slot) {
        QTest::newRow(widget) << QString::fromLatin1(widget) << QString::fromLatin1(slot);
    };
    row("radioButton_Stereo_Pop", "on_RadioButton_Stereo_Pop_Clicked");
    row("radioButton_Stereo_Jazz", "on_RadioButton_Stereo_Jazz_Clicked");
    row("radioButton_Stereo_RockRoll", "on_RadioButton_Stereo_RockRoll_Clicked");
    row("radioButton_Stereo_Classic", "on_RadioButton_Stereo_Classic_Clicked");
    row("radioButton_Stereo_DeepBass", "on_RadioButton_Stereo_DeepBass_Clicked");
    row("radioButton_Stereo_VornStandard", "on_RadioButton_Stereo_VornStandard_Clicked");
    row("radioButton_Stereo_Customize", "on_RadioButton_Stereo_Customize_Clicked");
    row("radioButton_Stereo_Custom1", "on_RadioButton_Stereo_CustomOne_Clicked");
    row("radioButton_Stereo_Custom2", "on_RadioButton_Stereo_CustomTwo_Clicked");
    row("radioButton_Stereo_Custom3", "on_RadioButton_Stereo_CustomThree_Clicked");
    row("radioButton_Stereo_Custom4", "on_RadioButton_Stereo_CustomFour_Clicked");
    row("radioButton_Stereo_Custom5", "on_RadioButton_Stereo_CustomFive_Clicked");
    row("radioButton_Surround_DeepBass", "on_RadioButton_Surround_DeepBass_Clicked");
    row("radioButton_Surround_FPS", "on_RadioButton_Surround_FPS_Clicked");
    row("radioButton_Surround_Moba", "on_RadioButton_Surround_Moba_Clicked");
    row("radioButton_Surround_VornStandard", "on_RadioButton_Surround_VornStandard_Clicked");
    row("radioButton_Surround_Customize", "on_RadioButton_Surround_Customize_Clicked");
    row("radioButton_Surround_Custom1", "on_RadioButton_Surround_CustomOne_Clicked");
    row("radioButton_Surround_Custom2", "on_RadioButton_Surround_CustomTwo_Clicked");
    row("radioButton_Surround_Custom3", "on_RadioButton_Surround_CustomThree_Clicked");
    row("radioButton_Surround_Custom4", "on_RadioButton_Surround_CustomFour_Clicked");
    row("radioButton_Surround_Custom5", "on_RadioButton_Surround_CustomFive_Clicked");
    row("pushButton_Stereo_CustomAdd", "on_PushButton_Stereo_CustomAdd_Clicked");
    row("pushButton_Stereo_CustomClear", "on_PushButton_Stereo_CustomClear_Clicked");
    row("pushButton_Surround_CustomAdd", "on_PushButton_Surround_CustomAdd_Clicked");
    row("pushButton_Surround_CustomClear", "on_PushButton_Surround_CustomClear_Clicked");
    row("pushButton_CustomReset", "on_PushButton_CustomReset_Clicked");
    row("pushButton_CustomSave", "on_PushButton_CustomSave_Clicked");
    row("checkBox_MicENC", "on_CheckBox_MicENC_Clicked");
    row("pushButton_SurroundTest", "on_PushButton_PlayTest_Clicked");
    row("pushButton_Minimize", "on_PushButton_Minimize_Clicked");
    row("pushButton_Close", "on_PushButton_Close_Clicked");
    row("pushButton_DefaultClose", "on_PushButton_DefaultClose_Clicked");
}

void tst_VoxBenchForm::eachClickReachesItsSlotOnce()
{
    QFETCH(QString, widget);
    QFETCH(QString, slot);

    FormHost host;
    auto *const button = host.findChild<QAbstractButton *>(widget);
    QVERIFY(button);
    button->click();
    QCOMPARE(host.calls.value(slot), 1);
    QCOMPARE(host.total(), 1);
}

void tst_VoxBenchForm::slidersReachTheirPanelsSlot()
{
    FormHost host;
    for (int page : {0, 1}) {
        const QString slot = page == 1 ? QStringLiteral("on_VerticalSlider_Surround_ValueChange")
                                       : QStringLiteral("on_VerticalSlider_Stereo_ValueChange");
        for (int band = 0; band < 10; ++band) {
            host.calls.clear();
            host.ui.bandSlider(page, band)->setValue(band - 5 == 0 ? 3 : band - 5);
            QCOMPARE(host.calls.value(slot), 1);
            QCOMPARE(host.total(), 1);
        }
    }
}

void tst_VoxBenchForm::tabChangeReachesTheWindow()
{
    FormHost host;
    // Setting the first page at the end of set-up emits nothing.
    QCOMPARE(host.total(), 0);
    host.ui.tabWidget->setCurrentIndex(1);
    host.ui.tabWidget->setCurrentIndex(2);
    host.ui.tabWidget->setCurrentIndex(2);
    QCOMPARE(host.calls.value(QStringLiteral("on_TabWidget_Clicked")), 2);
    QCOMPARE(host.tabIndexes, QList<int>({1, 2}));
    QCOMPARE(host.total(), 2);
}

void tst_VoxBenchForm::hiddenPresetsStillClickable()
{
    FormHost host;
    host.ui.tabWidget->setCurrentIndex(1);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    host.calls.clear();
    for (QRadioButton *b : {host.ui.radioButton_Stereo_Jazz, host.ui.radioButton_Stereo_Classic}) {
        QVERIFY(!b->isVisible());
        b->click();
        QVERIFY(b->isChecked());
    }
    QCOMPARE(host.calls.value(QStringLiteral("on_RadioButton_Stereo_Jazz_Clicked")), 1);
    QCOMPARE(host.calls.value(QStringLiteral("on_RadioButton_Stereo_Classic_Clicked")), 1);
    QCOMPARE(host.total(), 2);
}

void tst_VoxBenchForm::styleSheetsNameOnlyShippedPictures()
{
    FormHost host;
    const QRegularExpression url(QStringLiteral("url\\(([^)]*)\\)"));
    int seen = 0;
    for (QWidget *w : host.findChildren<QWidget *>()) {
        auto it = url.globalMatch(w->styleSheet());
        while (it.hasNext()) {
            const QString path = it.next().captured(1);
            QVERIFY2(QFile::exists(path), qPrintable(w->objectName() + QLatin1Char(' ') + path));
            ++seen;
        }
    }
    // Every picture button, background and the 20 slider handles.
    QVERIFY(seen > 60);
    QCOMPARE(host.ui.label_Head->styleSheet(),
             QStringLiteral("border-image: url(:/controls/pic/control/Head_Background.jpg);"));
    QCOMPARE(host.ui.label_Horn_LeftUp->styleSheet(),
             QStringLiteral("border-image: url(:/png/pic/png/leftup.png);"));
    QCOMPARE(host.ui.label_dB->styleSheet(), QStringLiteral("color:rgb(255, 255, 255);  "));
    QCOMPARE(host.ui.groupBox_Stereo_Spectrum->styleSheet(),
             QStringLiteral("border:2px solid rgb(10, 6, 30)"));
    QCOMPARE(host.ui.groupBox_SurroundTest->styleSheet(), QStringLiteral("border:0px solid rgb(10, 6, 30);"));
    QVERIFY(host.ui.label_PersonGif->styleSheet().isEmpty());
    QVERIFY(host.ui.widget_Spectrum->styleSheet().isEmpty());
}

void tst_VoxBenchForm::lookOnScreen()
{
    FormHost host;
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    // Device page: the no-receiver screen below everything else.
    host.ui.label_DefaultBackground->lower();
    host.ui.label_DefaultHead->hide();
    host.ui.pushButton_DefaultClose->hide();
    host.ui.radioButton_Surround_FPS->setChecked(true);
    // As the window dresses it at start.
    CustomTabStyle tabStyle;
    host.ui.tabWidget->tabBar()->setStyle(&tabStyle);
    host.ui.groupBox_Stereo_Spectrum->hide();
    host.ui.label_PersonGif->setStyleSheet(QStringLiteral("border-image: url(:/png/pic/png/head.png);"));
    host.ui.widget_Param_Surround->axisRect()->setBackground(
        QPixmap(QStringLiteral(":/controls/pic/control/Background3.png")), true,
        Qt::KeepAspectRatioByExpanding);
    host.ui.widget_Param_Surround->yAxis->setRange(-12, 12);
    host.ui.widget_Param_Surround->replot();
    QCoreApplication::processEvents();
    const QImage shot = host.grab().toImage();
    if (qEnvironmentVariableIsSet("VOXBENCH_FORM_SHOT"))
        shot.save(qEnvironmentVariable("VOXBENCH_FORM_SHOT"));

    const auto isViolet = [](QRgb c) { return qRed(c) < 170 && qBlue(c) > 200 && qGreen(c) < 120; };
    const auto hasViolet = [&](const QRect &area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (isViolet(shot.pixel(x, y)))
                    return true;
        return false;
    };
    // The checked preset is written in violet, its neighbour in white.
    const QRect fps(host.ui.radioButton_Surround_FPS->mapTo(&host, QPoint(24, 0)),
                    QSize(host.ui.radioButton_Surround_FPS->width() - 30, 30));
    QVERIFY(hasViolet(fps));
    const QRect moba(host.ui.radioButton_Surround_Moba->mapTo(&host, QPoint(24, 0)), QSize(60, 30));
    QVERIFY(!hasViolet(moba));
    // The surround tab (selected) has violet text, the others none.
    QTabBar *const bar = host.ui.tabWidget->tabBar();
    const QRect tab0 = bar->tabRect(0).translated(bar->mapTo(&host, QPoint(0, 0))).adjusted(4, 4, -4, -4);
    const QRect tab1 = bar->tabRect(1).translated(bar->mapTo(&host, QPoint(0, 0))).adjusted(4, 4, -4, -4);
    QVERIFY(hasViolet(tab0));
    QVERIFY(!hasViolet(tab1));
    host.ui.tabWidget->tabBar()->setStyle(nullptr);

    // Mic ENC reads at a glance: a violet box when on, none of it when off.
    QCheckBox *const enc = host.ui.checkBox_MicENC;
    for (const bool on : {true, false}) {
        enc->setChecked(on);
        const QImage box = enc->grab(QRect(0, 0, 24, enc->height())).toImage();
        int violet = 0;
        for (int y = 0; y < box.height(); ++y)
            for (int x = 0; x < box.width(); ++x)
                violet += isViolet(box.pixel(x, y)) ? 1 : 0;
        QVERIFY2(on ? violet > 150 : violet == 0, qPrintable(QString::number(violet)));
    }
    // The no-receiver title strip is dark over the window's whole width.
    const QImage strip = host.ui.label_DefaultHead->grab().toImage();
    for (const int x : {400, 800, 1170})
        QVERIFY(qGray(strip.pixel(x, 15)) < 60);
}

QTEST_MAIN(tst_VoxBenchForm)
#include "tst_VoxBenchForm.moc"
