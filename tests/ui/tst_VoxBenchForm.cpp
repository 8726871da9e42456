// The built form: its wiring, its pictures and what it shows. Its widget
// tree, geometry and texts are data in ui/VoxBenchForm.ui.
#include "support/FormHost.h"
#include "ui/CustomTabStyle.h"

#include <QRegularExpression>
#include <QTabBar>
#include <QTranslator>
#include <QtTest>
#include <qcustomplot.h>

namespace {

QStringList *g_messages = nullptr;

void collectMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    g_messages->append(message);
}

} // namespace

class tst_VoxBenchForm : public QObject
{
    Q_OBJECT

private slots:
    void windowIsFixedAndNamed();
    void keepsAnExistingWindowName();
    void setUpIsQuiet();
    void tabWidgetIsHeldToItsLimits();
    void bandSliderLookup();
    void eachClickReachesItsSlotOnce_data();
    void eachClickReachesItsSlotOnce();
    void slidersReachTheirPanelsSlot();
    void tabChangeReachesTheWindow();
    void hiddenPresetsStillClickable();
    void surroundPanelsLieOnTop();
    void styleSheetsNameOnlyShippedPictures();
    void lookOnScreen();
    void catalogueCoversEveryVisibleText();
    void everyControlHasAName();
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

void tst_VoxBenchForm::setUpIsQuiet()
{
    // The host's slots are named on_..., so an automatic by-name connection
    // would warn about every one of them.
    QStringList messages;
    g_messages = &messages;
    const QtMessageHandler previous = qInstallMessageHandler(collectMessage);
    {
        FormHost host;
    }
    qInstallMessageHandler(previous);
    g_messages = nullptr;
    QCOMPARE(messages, QStringList());
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

void tst_VoxBenchForm::surroundPanelsLieOnTop()
{
    // What a user sees at start: the surround panels over their stereo twins.
    FormHost host;
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QWidget *const panels[] = {host.ui.widget_Param_Surround, host.ui.groupBox_SurroundTest};
    for (QWidget *panel : panels) {
        QWidget *const top = host.ui.centralWidget->childAt(panel->geometry().center());
        QVERIFY(top);
        QVERIFY2(top == panel || panel->isAncestorOf(top), qPrintable(top->objectName()));
    }
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

// Every text of the form has a Simplified Chinese translation in the shipped
// catalogue, and the form built under it shows them; the window's title is
// how a second start finds the window, so it is never translated.
void tst_VoxBenchForm::catalogueCoversEveryVisibleText()
{
    QTranslator chinese;
    QVERIFY(chinese.load(QStringLiteral(VOXBENCH_TRANSLATIONS_DIR "/voxbench_zh_CN.qm")));

    FormHost english;
    QSet<QString> texts;
    for (const QAbstractButton *button : english.findChildren<QAbstractButton *>())
        texts << button->text();
    for (const QLabel *label : english.findChildren<QLabel *>())
        texts << label->text();
    for (int i = 0; i < english.ui.tabWidget->count(); ++i)
        texts << english.ui.tabWidget->tabText(i);
    for (const QWidget *widget : english.findChildren<QWidget *>()) {
        // The tab bar's scroll buttons are Qt's, named in Qt's own catalogue.
        if (qobject_cast<const QTabBar *>(widget->parentWidget()))
            continue;
        texts << widget->toolTip() << widget->accessibleDescription();
        // A slider's name carries its gain; its parts are in the catalogue test.
        if (!qobject_cast<const QSlider *>(widget))
            texts << widget->accessibleName();
    }
    texts << english.ui.lineEdit_CustomName->placeholderText();
    texts.remove(QString());
    QVERIFY2(texts.size() > 40, qPrintable(QString::number(texts.size())));
    QStringList missing;
    for (const QString &text : qAsConst(texts)) {
        if (chinese.translate("VoxBenchClass", text.toUtf8().constData()).isEmpty())
            missing << text;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(" | "))));

    QCoreApplication::installTranslator(&chinese);
    FormHost translated;
    QCoreApplication::removeTranslator(&chinese);
    QCOMPARE(translated.ui.tabWidget->tabText(0), QStringLiteral("7.1 环绕声（游戏）"));
    QCOMPARE(translated.ui.pushButton_CustomSave->text(), QStringLiteral("保存"));
    QCOMPARE(translated.ui.checkBox_MicENC->text(), QStringLiteral("麦克风 ENC（环境噪声消除）"));
    QCOMPARE(translated.windowTitle(), QStringLiteral("VoxBench"));
}

// A screen reader says a control's text or its accessible name: none is left
// without one, and a band slider's name follows its gain.
void tst_VoxBenchForm::everyControlHasAName()
{
    FormHost host;
    QStringList unnamed;
    for (const QWidget *widget : host.findChildren<QWidget *>()) {
        const auto *button = qobject_cast<const QAbstractButton *>(widget);
        const bool control = button || qobject_cast<const QAbstractSlider *>(widget) ||
                             qobject_cast<const QLineEdit *>(widget);
        const QString said =
            widget->accessibleName().isEmpty() && button ? button->text() : widget->accessibleName();
        if (control && said.trimmed().isEmpty())
            unnamed << widget->objectName();
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char(' '))));
    QCOMPARE(host.ui.pushButton_Surround_CustomAdd->accessibleName(), QStringLiteral("Add mode"));

    QSlider *const slider = host.ui.bandSlider(1, 3);
    QCOMPARE(slider->accessibleName(), QStringLiteral("250 Hz, 0 dB"));
    slider->setValue(-3);
    QCOMPARE(slider->accessibleName(), QStringLiteral("250 Hz, \u22123 dB"));
    host.ui.bandSlider(0, 9)->setValue(12);
    QCOMPARE(host.ui.bandSlider(0, 9)->accessibleName(), QStringLiteral("16 kHz, +12 dB"));
}

QTEST_MAIN(tst_VoxBenchForm)
#include "tst_VoxBenchForm.moc"
