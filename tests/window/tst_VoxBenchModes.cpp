// Built-in and custom modes and the equalizer's send gate, driven through the
// window's buttons and sliders against the emulated receiver.
#include "support/AttachmentSupport.h"

#include "app/VoxBenchInstance.h"
#include "presets/WriteReadJson.h"
#include "ui/FocusMark.h"
#include "ui/MessageBox.h"
#include "ui/VoxBenchStyle.h"
#include "window/CurvePreview.h"
#include "window/VoxBench.h"

#include <QDir>
#include <QMimeData>
#include <QRegularExpression>
#include <QTabBar>
#include <QtTest>
#include <memory>

using namespace behaviour;
using namespace attachment;

namespace {
const Gains10 kFlat = {};
const Gains10 kFps = {0, 0, 1, 2, 3, 4, 6, 7, 7, 8};

QVector<QByteArray> peqSent()
{
    return withCommand(writtenReports(), kSetPeq);
}

QStringList names(const QMap<QString, ModeData *> &modes)
{
    return modes.keys();
}
} // namespace

class tst_VoxBenchModes : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void addNamesModesIntoSlots();
    void deleteInTheMiddleSelectsTheModeThatMoved();
    void addTakesTheFirstFreeName();
    void editsPassTheSendGate();
    void saveRenamesTheStoredModeByUuid();
    void resetZeroesTheSlidersAndSendsOnce();
    void deleteWhileHiddenInTheTray();
    void surroundCodesOfOtherModels();
    void surroundCodesOfHeadsetModelOne();
    void restartRestoresTheRememberedCustomMode();
    void slotsFromConfigStayWithinFiveButtons();
    void keysReachAndWorkEveryControl();
    void dropOnTheStripImportsACurve();
    void cleanupTestCase();

private:
    void start(quint16 productId);
    void switchReceiver(quint16 productId);
    QRadioButton *slot(ModeType type, int index) const;
    std::unique_ptr<VoxBenchInstance> m_instance;
    std::unique_ptr<VoxBench> m_window;
    QVector<MessageBox::Shown> m_boxes;
};

QRadioButton *tst_VoxBenchModes::slot(ModeType type, int index) const
{
    VoxBenchForm &ui = m_window->form();
    QRadioButton *stereo[] = {ui.radioButton_Stereo_Custom1, ui.radioButton_Stereo_Custom2,
                              ui.radioButton_Stereo_Custom3, ui.radioButton_Stereo_Custom4,
                              ui.radioButton_Stereo_Custom5};
    QRadioButton *surround[] = {ui.radioButton_Surround_Custom1, ui.radioButton_Surround_Custom2,
                                ui.radioButton_Surround_Custom3, ui.radioButton_Surround_Custom4,
                                ui.radioButton_Surround_Custom5};
    return type == Stereo ? stereo[index] : surround[index];
}

void tst_VoxBenchModes::start(quint16 productId)
{
    EmulatorControl::Config config;
    config.productId = productId;
    EmulatorControl::configure(config);
    m_instance = std::make_unique<VoxBenchInstance>();
    m_window = std::make_unique<VoxBench>(m_instance->model(), m_instance->ruleEngine());
    QTRY_COMPARE_WITH_TIMEOUT(m_window->pageState(), PageState::Device, 3000);
    QVERIFY(waitForSettled(m_instance->session()));
}

void tst_VoxBenchModes::switchReceiver(quint16 productId)
{
    EmulatorControl::setPresent(false);
    m_instance->handleHidRemoval(0x5A17, EmulatorControl::config().productId);
    QCOMPARE(m_window->pageState(), PageState::NoReceiver);
    EmulatorControl::Config config;
    config.productId = productId;
    EmulatorControl::configure(config);
    EmulatorControl::clearWrittenReports();
    m_instance->handleHidArrival();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->pageState(), PageState::Device, 3000);
    QVERIFY(waitForSettled(m_instance->session()));
}

void tst_VoxBenchModes::initTestCase()
{
    MessageBox::setHandler([this](const MessageBox::Shown &shown) { m_boxes.append(shown); });
    start(0x4152);
}

void tst_VoxBenchModes::addNamesModesIntoSlots()
{
    VoxBenchForm &ui = m_window->form();
    ui.radioButton_Stereo_Customize->click();
    QVERIFY(ui.groupBox_Stereo->isHidden());
    QVERIFY(!ui.pushButton_Stereo_CustomAdd->isHidden());
    QVERIFY(!ui.pushButton_Stereo_CustomClear->isHidden());
    QVERIFY(ui.lineEdit_CustomName->isHidden());

    for (int n = 0; n < 3; ++n) {
        EmulatorControl::clearWrittenReports();
        ui.pushButton_Stereo_CustomAdd->click();
        const QString name = QStringLiteral("Mode0%1").arg(n + 1);
        QVERIFY(!ui.groupBox_Stereo->isHidden());
        QCOMPARE(slot(Stereo, n)->text(), name);
        QVERIFY(slot(Stereo, n)->isChecked());
        QVERIFY(!slot(Stereo, n)->isHidden());
        QCOMPARE(ui.lineEdit_CustomName->text(), name);
        QVERIFY(!ui.pushButton_CustomSave->isHidden());
        QVERIFY(ui.bandSlider(2, 0)->isEnabled());

        const ModeData *mode = m_instance->store().customizeModes(Stereo).value(name, nullptr);
        QVERIFY(mode);
        QCOMPARE(mode->index, n);
        QCOMPARE(mode->type, int(Stereo));
        QCOMPARE(mode->customizeType, 1);
        QCOMPARE(mode->algorithm, QStringLiteral("Stereo"));
        QCOMPARE(mode->parameter, std::vector<int>(10, 0));
        QVERIFY(QRegularExpression(QStringLiteral("^\\{[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}\\}$"))
                    .match(mode->uuid)
                    .hasMatch());
        QCOMPARE(m_instance->store().currentMode()->uuid, mode->uuid);

        // Selecting the new mode sends its flat gains with the slot's code.
        QVERIFY(waitForSettled(m_instance->session()));
        // The second half follows 20 ms later: on a slow machine after the session settled.
        QTRY_COMPARE(peqSent().last(), setPeq(5, 9, 6 + n, kFlat));
        const QVector<QByteArray> peq = peqSent();
        QVERIFY(peq.contains(setPeq(0, 4, 6 + n, kFlat)));
        // (Add first resets the sliders, which may resend the previous slot's mode.)
        for (const QByteArray &report : peq)
            QVERIFY(peqCode(report) == 6 + n || (n > 0 && peqCode(report) == 5 + n));
    }
    const QJsonArray records = configJson().value(QStringLiteral("customizeMode")).toArray();
    QCOMPARE(records.size(), 1);
    QCOMPARE(records.at(0).toObject().value(QStringLiteral("modes")).toArray().size(), 3);
}

void tst_VoxBenchModes::deleteInTheMiddleSelectsTheModeThatMoved()
{
    VoxBenchForm &ui = m_window->form();
    slot(Stereo, 1)->click();
    QCOMPARE(m_instance->store().currentMode()->name, QStringLiteral("Mode02"));
    ui.pushButton_Stereo_CustomClear->click();

    QCOMPARE(names(m_instance->store().customizeModes(Stereo)), QStringList({"Mode01", "Mode03"}));
    QCOMPARE(m_instance->store().customizeModes(Stereo).value("Mode03")->index, 1);
    QCOMPARE(slot(Stereo, 1)->text(), QStringLiteral("Mode03"));
    QVERIFY(slot(Stereo, 1)->isChecked());
    QVERIFY(slot(Stereo, 2)->isHidden());
    QCOMPARE(ui.lineEdit_CustomName->text(), QStringLiteral("Mode03"));
    QCOMPARE(m_instance->store().currentMode()->name, QStringLiteral("Mode03"));
}

void tst_VoxBenchModes::addTakesTheFirstFreeName()
{
    m_window->form().pushButton_Stereo_CustomAdd->click();
    QCOMPARE(slot(Stereo, 2)->text(), QStringLiteral("Mode02"));
    QVERIFY(slot(Stereo, 2)->isChecked());
    QCOMPARE(m_instance->store().customizeModes(Stereo).value("Mode02")->index, 2);
    QCOMPARE(m_window->customizeName(Stereo), QStringLiteral("Mode04"));
}

void tst_VoxBenchModes::editsPassTheSendGate()
{
    VoxBenchForm &ui = m_window->form();
    // Once the gate is open an edit goes out at once.
    QTRY_VERIFY_WITH_TIMEOUT(m_window->peqGateOpen(), 15000);
    QVERIFY(waitForSettled(m_instance->session()));
    EmulatorControl::clearWrittenReports();
    ui.verticalSlider_60->setValue(5);
    QCOMPARE(peqSent().size(), 1);
    QCOMPARE(peqSent()[0], setPeq(0, 4, 8, {0, 5, 0, 0, 0, 0, 0, 0, 0, 0}));
    spin(100);
    QCOMPARE(peqSent().size(), 2);
    QCOMPARE(peqSent()[1], setPeq(5, 9, 8, {0, 5, 0, 0, 0, 0, 0, 0, 0, 0}));

    // The send closed the gate: these edits are held back ...
    EmulatorControl::clearWrittenReports();
    ui.verticalSlider_16k->setValue(-3);
    ui.verticalSlider_16k->setValue(-12);
    spin(100);
    QCOMPARE(peqSent().size(), 0);
    // ... and reach the receiver once when the gate opens.
    const Gains10 held = {0, 5, 0, 0, 0, 0, 0, 0, 0, -12};
    QTRY_COMPARE_WITH_TIMEOUT(peqSent().size(), 2, 15000);
    QCOMPARE(peqSent()[0], setPeq(0, 4, 8, held));
    QCOMPARE(peqSent()[1], setPeq(5, 9, 8, held));
    QVERIFY(m_window->peqGateOpen());
    spin(500);
    QCOMPARE(peqSent().size(), 2);

    // The gate stayed open: the next edit goes out at once.
    EmulatorControl::clearWrittenReports();
    ui.verticalSlider_16k->setValue(-11);
    QCOMPARE(peqSent().size(), 1);
    QCOMPARE(peqSent()[0], setPeq(0, 4, 8, {0, 5, 0, 0, 0, 0, 0, 0, 0, -11}));
    QVERIFY(waitForSettled(m_instance->session()));
}

void tst_VoxBenchModes::saveRenamesTheStoredModeByUuid()
{
    VoxBenchForm &ui = m_window->form();
    WriteReadJson *store = &m_instance->store();
    const QString uuid = store->customizeModes(Stereo).value("Mode02")->uuid;
    m_boxes.clear();

    ui.lineEdit_CustomName->setText(QStringLiteral("Bass Boost"));
    ui.pushButton_CustomSave->click();
    QCOMPARE(slot(Stereo, 2)->text(), QStringLiteral("Bass Boost"));
    QCOMPARE(names(store->customizeModes(Stereo)), QStringList({"Bass Boost", "Mode01", "Mode03"}));
    const ModeData *saved = store->customizeModes(Stereo).value("Bass Boost");
    QCOMPARE(saved->uuid, uuid);
    QCOMPARE(saved->index, 2);
    QCOMPARE(saved->parameter, std::vector<int>({0, 5, 0, 0, 0, 0, 0, 0, 0, -11}));
    QCOMPARE(store->currentMode()->name, QStringLiteral("Bass Boost"));
    const QByteArray file = QJsonDocument(configJson()).toJson();
    QVERIFY(file.contains("Bass Boost"));
    QVERIFY(!file.contains("Mode02"));

    // Its own name again is no collision.
    ui.pushButton_CustomSave->click();
    QCOMPARE(m_boxes.size(), 0);

    // Another mode's name: the box, and nothing changes.
    ui.lineEdit_CustomName->setText(QStringLiteral("Mode01"));
    ui.pushButton_CustomSave->click();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].kind, MessageBox::Kind::Information);
    QCOMPARE(m_boxes[0].title, QStringLiteral("warning"));
    QCOMPARE(m_boxes[0].text, QStringLiteral("The current name has been applied"));
    QCOMPARE(slot(Stereo, 2)->text(), QStringLiteral("Bass Boost"));
    QCOMPARE(names(store->customizeModes(Stereo)), QStringList({"Bass Boost", "Mode01", "Mode03"}));

    // A current mode that no stored mode of the tab carries changes nothing.
    ModeData stray = *saved;
    stray.uuid = QStringLiteral("{00000000-0000-0000-0000-000000000000}");
    store->setCurrentMode(&stray);
    ui.lineEdit_CustomName->setText(QStringLiteral("Stray"));
    ui.pushButton_CustomSave->click();
    QCOMPARE(slot(Stereo, 2)->text(), QStringLiteral("Bass Boost"));
    QCOMPARE(names(store->customizeModes(Stereo)), QStringList({"Bass Boost", "Mode01", "Mode03"}));
    slot(Stereo, 2)->click();
    QCOMPARE(store->currentMode()->uuid, uuid);

    // A name of the full 20 characters is cut on its button, whole in the tool
    // tip, the store and the name field, and its button still chooses it.
    const QString longName = QStringLiteral("WWWWWWWWWWWWWWWWWWWW");
    ui.lineEdit_CustomName->setText(longName);
    ui.pushButton_CustomSave->click();
    QVERIFY(slot(Stereo, 2)->text().endsWith(QChar(0x2026)));
    QVERIFY(slot(Stereo, 2)->fontMetrics().horizontalAdvance(slot(Stereo, 2)->text()) <
            slot(Stereo, 2)->width() - 20);
    QCOMPARE(slot(Stereo, 2)->toolTip(), longName);
    QVERIFY(slot(Stereo, 1)->toolTip().isEmpty());
    QCOMPARE(store->customizeModes(Stereo).value(longName)->uuid, uuid);
    slot(Stereo, 1)->click();
    slot(Stereo, 2)->click();
    QCOMPARE(store->currentMode()->name, longName);
    QCOMPARE(ui.lineEdit_CustomName->text(), longName);
    ui.lineEdit_CustomName->setText(QStringLiteral("Bass Boost"));
    ui.pushButton_CustomSave->click();
    QCOMPARE(slot(Stereo, 2)->text(), QStringLiteral("Bass Boost"));
    QVERIFY(slot(Stereo, 2)->toolTip().isEmpty());
    QVERIFY(waitForSettled(m_instance->session()));
}

void tst_VoxBenchModes::resetZeroesTheSlidersAndSendsOnce()
{
    VoxBenchForm &ui = m_window->form();
    QCOMPARE(ui.bandSlider(2, 1)->value(), 5);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->peqGateOpen(), 15000);
    EmulatorControl::clearWrittenReports();
    ui.pushButton_CustomReset->click();
    for (int band = 0; band < 10; ++band)
        QCOMPARE(ui.bandSlider(2, band)->value(), 0);
    // Both halves, however late the second comes (under Wine later than the
    // session's quiet), and nothing more.
    const QVector<QByteArray> flat{setPeq(0, 4, 8, kFlat), setPeq(5, 9, 8, kFlat)};
    QTRY_COMPARE_WITH_TIMEOUT(peqSent(), flat, 3000);
    QVERIFY(waitForSettled(m_instance->session()));
    QCOMPARE(peqSent(), flat);
    // The stored mode keeps its gains until saved.
    QCOMPARE(m_instance->store().customizeModes(Stereo).value("Bass Boost")->parameter[1], 5);
}

void tst_VoxBenchModes::deleteWhileHiddenInTheTray()
{
    VoxBenchForm &ui = m_window->form();
    m_window->hide();

    // The last used slot: the mode in slot 0 is selected.
    slot(Stereo, 2)->click();
    ui.pushButton_Stereo_CustomClear->click();
    QCOMPARE(names(m_instance->store().customizeModes(Stereo)), QStringList({"Mode01", "Mode03"}));
    QVERIFY(slot(Stereo, 0)->isChecked());
    QVERIFY(!slot(Stereo, 2)->isChecked());
    QVERIFY(slot(Stereo, 2)->isHidden());
    QCOMPARE(m_instance->store().currentMode()->name, QStringLiteral("Mode01"));

    ui.pushButton_Stereo_CustomClear->click();
    QCOMPARE(names(m_instance->store().customizeModes(Stereo)), QStringList({"Mode03"}));
    QVERIFY(slot(Stereo, 0)->isChecked());
    QCOMPARE(slot(Stereo, 0)->text(), QStringLiteral("Mode03"));

    // The only mode: slots, name field, Save and Reset go, and no slot is checked.
    ui.pushButton_Stereo_CustomClear->click();
    QVERIFY(m_instance->store().customizeModes(Stereo).isEmpty());
    QVERIFY(ui.groupBox_Stereo->isHidden());
    QVERIFY(ui.lineEdit_CustomName->isHidden());
    QVERIFY(ui.pushButton_CustomSave->isHidden());
    QVERIFY(ui.pushButton_CustomReset->isHidden());
    for (int n = 0; n < 5; ++n)
        QVERIFY(!slot(Stereo, n)->isChecked());
    m_window->show();
    QVERIFY(waitForSettled(m_instance->session()));
}

void tst_VoxBenchModes::surroundCodesOfOtherModels()
{
    VoxBenchForm &ui = m_window->form();
    QVERIFY(!m_window->model()->capabilities().surroundAsStereo);
    m_window->setTabWidgetIndex(0);
    QCOMPARE(ui.tabWidget->currentIndex(), 0);
    QVERIFY(waitForSettled(m_instance->session()));

    EmulatorControl::clearWrittenReports();
    ui.radioButton_Surround_FPS->click();
    QVERIFY(waitForSettled(m_instance->session()));
    QCOMPARE(peqSent(), QVector<QByteArray>({setPeq(0, 4, 17, kFps), setPeq(5, 9, 17, kFps)}));
    QVERIFY(withCommand(writtenReports(), kSetAlgorithmSwitch).contains(algorithmSwitch(1, 0, 0)));
    // The sliders' names follow a preset's gains as a screen reader reads them.
    for (int band = 0; band < kBands; ++band)
        QCOMPARE(ui.bandSlider(1, band)->accessibleName(), VoxBenchForm::bandSliderName(band, kFps[band]));

    ui.radioButton_Surround_Customize->click();
    for (int n = 0; n < 3; ++n)
        ui.pushButton_Surround_CustomAdd->click();
    QVERIFY(waitForSettled(m_instance->session()));
    QCOMPARE(peqSent().last(), setPeq(5, 9, 24, kFlat));
    EmulatorControl::clearWrittenReports();
    slot(Surround, 0)->click();
    QVERIFY(waitForSettled(m_instance->session()));
    QCOMPARE(peqSent().last(), setPeq(5, 9, 22, kFlat));

    // Two more fill the five slots; Add on a full tab leaves the modes, the
    // sliders and the receiver alone.
    ui.pushButton_Surround_CustomAdd->click();
    ui.pushButton_Surround_CustomAdd->click();
    QCOMPARE(m_instance->store().customizeModes(Surround).size(), 5);
    ui.bandSlider(1, 4)->setValue(6);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->peqGateOpen(), 15000);
    QVERIFY(waitForSettled(m_instance->session()));
    EmulatorControl::clearWrittenReports();
    ui.pushButton_Surround_CustomAdd->click();
    QCOMPARE(m_instance->store().customizeModes(Surround).size(), 5);
    QCOMPARE(ui.bandSlider(1, 4)->value(), 6);
    QVERIFY(slot(Surround, 4)->isChecked());
    QVERIFY(waitForSettled(m_instance->session()));
    QCOMPARE(EmulatorControl::writtenReportCount(), 0);
}

void tst_VoxBenchModes::surroundCodesOfHeadsetModelOne()
{
    VoxBenchForm &ui = m_window->form();
    switchReceiver(0x1054);
    QVERIFY(m_window->model()->capabilities().surroundAsStereo);
    // A receiver met for the first time gets "Vorn Standard" on both tabs (3 and 5 here).
    QVector<int> codes;
    for (const QByteArray &report : peqSent())
        codes.append(peqCode(report));
    QVERIFY(codes.contains(3));
    QVERIFY(codes.contains(5));
    QVERIFY(!codes.contains(19));
    // The surround custom modes of the other receiver are not this one's.
    QVERIFY(m_instance->store().customizeModes(Surround).isEmpty());

    m_window->setTabWidgetIndex(0);
    QVERIFY(waitForSettled(m_instance->session()));
    EmulatorControl::clearWrittenReports();
    ui.radioButton_Surround_FPS->click();
    QVERIFY(waitForSettled(m_instance->session()));
    const QVector<QByteArray> fps = peqSent();
    QVERIFY(fps.size() >= 2);
    QVERIFY(fps.contains(setPeq(0, 4, 1, kFps)));
    QCOMPARE(fps.last(), setPeq(5, 9, 1, kFps));
    // On headset model 1 the 7.1 tab's acknowledgement sets the stereo byte.
    QVERIFY(withCommand(writtenReports(), kSetAlgorithmSwitch).contains(algorithmSwitch(0, 0, 1)));

    ui.radioButton_Surround_Customize->click();
    for (int n = 0; n < 3; ++n)
        ui.pushButton_Surround_CustomAdd->click();
    QVERIFY(waitForSettled(m_instance->session()));
    QCOMPARE(peqSent().last(), setPeq(5, 9, 8, kFlat));

    // Gains for the restart below.
    ui.bandSlider(1, 0)->setValue(4);
    ui.bandSlider(1, 9)->setValue(-2);
    ui.lineEdit_CustomName->setText(QStringLiteral("Mode03"));
    ui.pushButton_CustomSave->click();
    QCOMPARE(m_instance->store().customizeModes(Surround).value("Mode03")->parameter[0], 4);
    QVERIFY(waitForSettled(m_instance->session()));
}

void tst_VoxBenchModes::restartRestoresTheRememberedCustomMode()
{
    m_window.reset();
    m_instance.reset();
    start(0x1054);
    VoxBenchForm &ui = m_window->form();
    QCOMPARE(ui.tabWidget->currentIndex(), 0);
    QVERIFY(ui.radioButton_Surround_Customize->isChecked());
    QVERIFY(slot(Surround, 2)->isChecked());
    QCOMPARE(slot(Surround, 2)->text(), QStringLiteral("Mode03"));
    QCOMPARE(ui.lineEdit_CustomName->text(), QStringLiteral("Mode03"));
    QCOMPARE(ui.bandSlider(1, 0)->value(), 4);
    QCOMPARE(ui.bandSlider(1, 9)->value(), -2);
    QVERIFY(ui.radioButton_Stereo_VornStandard->isChecked());
    QCOMPARE(m_instance->store().currentMode()->name, QStringLiteral("Mode03"));
    const QVector<QByteArray> peq = peqSent();
    QVERIFY(peq.contains(setPeq(5, 9, 8, {4, 0, 0, 0, 0, 0, 0, 0, 0, -2})));
}

void tst_VoxBenchModes::slotsFromConfigStayWithinFiveButtons()
{
    m_window.reset();
    m_instance.reset();
    // Six stereo modes, one in slot 7, one in slot -1, one with only three gains.
    QJsonArray modes;
    const QList<QPair<QString, int>> entries = {{"A", 0}, {"B", 1}, {"C", 7}, {"D", -1}, {"E", 3}, {"F", 4}};
    for (const auto &entry : entries) {
        QJsonArray gains;
        for (int band = 0; band < (entry.first == "A" ? 3 : 10); ++band)
            gains.append(band + 1);
        modes.append(QJsonObject{
            {"algorithm", "Stereo"},
            {"customizeType", 1},
            {"index", entry.second},
            {"name", entry.first},
            {"parameter", gains},
            {"type", 1},
            {"uuid", QStringLiteral("{00000000-0000-0000-0000-00000000000%1}").arg(entry.second + 2)}});
    }
    const QJsonObject config{
        {"currentMode", QJsonArray{QJsonObject{{"deviceUuid", "0a1b2c3d"},
                                               {"pid", "0x4152"},
                                               {"uuid", "{00000000-0000-0000-0000-000000000002}"},
                                               {"vid", "0x5A17"}}}},
        {"customizeMode",
         QJsonArray{QJsonObject{
             {"deviceUuid", "0a1b2c3d"}, {"modes", modes}, {"pid", "0x4152"}, {"vid", "0x5A17"}}}}};
    QVERIFY(writeConfig(QJsonDocument(config).toJson()));

    start(0x4152);
    VoxBenchForm &ui = m_window->form();
    QCOMPARE(ui.tabWidget->currentIndex(), 1);
    QVERIFY(ui.radioButton_Stereo_Customize->isChecked());
    QVERIFY(slot(Stereo, 0)->isChecked());
    QCOMPARE(slot(Stereo, 0)->text(), QStringLiteral("A"));
    QCOMPARE(slot(Stereo, 1)->text(), QStringLiteral("B"));
    QVERIFY(slot(Stereo, 2)->isHidden());
    QCOMPARE(slot(Stereo, 3)->text(), QStringLiteral("E"));
    QCOMPARE(slot(Stereo, 4)->text(), QStringLiteral("F"));
    // Missing gains are flat.
    QCOMPARE(m_window->getSliderValue(Stereo), std::vector<int>({1, 2, 3, 0, 0, 0, 0, 0, 0, 0}));

    // Six modes are more than the tab can take: Add does nothing.
    ui.pushButton_Stereo_CustomAdd->click();
    QCOMPARE(m_instance->store().customizeModes(Stereo).size(), 6);
    QVERIFY(waitForSettled(m_instance->session()));
    const QJsonArray kept =
        configJson().value("customizeMode").toArray().at(0).toObject().value("modes").toArray();
    QCOMPARE(kept.size(), 6);
}

// Keys alone: Tab visits the shown controls in reading order, every stop shows
// something, arrows move within a group and choose, Enter and Space act, a
// slider moves by one dB per key, and the focus is plainly marked.
void tst_VoxBenchModes::keysReachAndWorkEveryControl()
{
    VoxBenchForm &ui = m_window->form();
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QWidget *const bar = ui.tabWidget->tabBar();
    bar->setFocus(Qt::TabFocusReason);
    QTest::keyClick(bar, Qt::Key_Left);
    QCOMPARE(m_window->page(), Page::Surround);
    // On the tab bar the frame follows the current tab.
    const QRect tab = ui.tabWidget->tabBar()->tabRect(0).translated(bar->mapTo(m_window.get(), QPoint()));
    QTRY_VERIFY(m_window->focusMark()->geometry().contains(tab));
    QVERIFY(waitForSettled(m_instance->session()));

    // The tab's presets are one stop, on the chosen one; Right chooses the next.
    QTest::keyClick(bar, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ui.radioButton_Surround_VornStandard);
    EmulatorControl::clearWrittenReports();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget()->objectName(), ui.radioButton_Surround_FPS->objectName());
    QVERIFY(ui.radioButton_Surround_FPS->isChecked());
    QTRY_COMPARE(peqSent().size(), 2);
    QCOMPARE(peqSent()[1], setPeq(5, 9, peqCode(peqSent()[1]), kFps));
    // The mark frames the focused control, in a colour apart from the theme's.
    QCOMPARE(m_window->focusMark()->target(), ui.radioButton_Surround_FPS);
    const QImage shot = m_window->grab().toImage();
    const QPoint corner = m_window->focusMark()->geometry().topLeft();
    QCOMPARE(shot.pixel(corner) & 0xffffff, QRgb(VoxBenchStyle::focusMarkRgb));

    // Customize, then Enter on + adds a mode: the whole chain is shown.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), ui.radioButton_Surround_Customize);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ui.pushButton_Surround_CustomAdd);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(slot(Surround, 0)->isChecked());
    QVERIFY(waitForSettled(m_instance->session()));

    QList<QWidget *> expected{bar, ui.radioButton_Surround_Customize, ui.pushButton_Surround_CustomAdd,
                              ui.pushButton_Surround_CustomClear, slot(Surround, 0)};
    for (int band = 0; band < 10; ++band)
        expected << ui.bandSlider(1, band);
    expected << ui.lineEdit_CustomName << ui.pushButton_CustomReset << ui.pushButton_CustomSave
             << ui.pushButton_SurroundTest << ui.pushButton_Minimize << ui.pushButton_Close;
    QList<QWidget *> visited{bar};
    bar->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *const now = QApplication::focusWidget();
        if (now == bar)
            break;
        visited << now;
        // Shown on top at its centre: not a stop that shows nothing.
        QWidget *const top = m_window->childAt(now->mapTo(m_window.get(), now->rect().center()));
        QVERIFY2(top == now || now->isAncestorOf(top), qPrintable(now->objectName()));
    }
    QCOMPARE(visited, expected);

    // One dB per arrow key, sent to the receiver.
    QSlider *const slider = ui.bandSlider(1, 3);
    slider->setFocus(Qt::TabFocusReason);
    EmulatorControl::clearWrittenReports();
    QTest::keyClick(slider, Qt::Key_Up);
    QCOMPARE(slider->value(), 1);
    QTest::keyClick(slider, Qt::Key_Down);
    QTest::keyClick(slider, Qt::Key_Down);
    QCOMPARE(slider->value(), -1);
    QTRY_COMPARE(m_window->getSliderValue(Surround), std::vector<int>({0, 0, 0, -1, 0, 0, 0, 0, 0, 0}));
    const Gains10 lowered = {0, 0, 0, -1, 0, 0, 0, 0, 0, 0};
    // The upload of the first key carries bands 5 to 9 as flat as the last
    // one's: wait for the last upload's first half, then its second.
    const auto lastFirstHalf = [] {
        QByteArray last;
        for (const QByteArray &report : peqSent())
            last = peqFirst(report) == 0 ? report : last;
        return last;
    };
    const auto lowest = [&lastFirstHalf, &lowered](int first, int last) {
        const QByteArray half = lastFirstHalf();
        const QByteArray report = first == 0 ? half : peqSent().value(peqSent().size() - 1);
        return !half.isEmpty() && report == setPeq(first, last, peqCode(half), lowered);
    };
    QTRY_VERIFY_WITH_TIMEOUT(lowest(0, 4), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(lowest(5, 9), 5000);

    // Space on the bin deletes the mode; a mouse press takes the mark away.
    ui.pushButton_Surround_CustomClear->setFocus(Qt::TabFocusReason);
    QTest::keyClick(ui.pushButton_Surround_CustomClear, Qt::Key_Space);
    QVERIFY(slot(Surround, 0)->isHidden());
    QVERIFY(m_window->focusMark()->target());
    QTest::mouseClick(ui.label_dB, Qt::LeftButton);
    QVERIFY(!m_window->focusMark()->target());
}

namespace {
void dropFile(QWidget *strip, const QString &path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &drop);
    QVERIFY(drop.isAccepted());
}
} // namespace

// Follows slotsFromConfigStayWithinFiveButtons: six stereo modes, no surround one.
void tst_VoxBenchModes::dropOnTheStripImportsACurve()
{
    VoxBenchForm &ui = m_window->form();
    QTemporaryDir folder;
    const QString curve = folder.filePath(QStringLiteral("Bright Curve.txt"));
    QFile file(curve);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("GraphicEQ: 20 -2; 40 4; 100 0; 1000 6; 10000 -20; 20000 -20\n");
    file.close();

    // A full tab takes nothing, and says so.
    m_boxes.clear();
    dropFile(ui.groupBox_Stereo, curve);
    QCOMPARE(m_instance->store().customizeModes(Stereo).size(), 6);
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY(m_boxes[0].text.contains(QStringLiteral("5 custom modes")));

    // Nothing is added before the preview's Add; Cancel adds nothing.
    m_boxes.clear();
    EmulatorControl::clearWrittenReports();
    dropFile(ui.groupBox_Surround, curve);
    CurvePreview *preview = m_window->findChild<CurvePreview *>();
    QVERIFY(preview && preview->isVisible());
    QVERIFY(m_instance->store().customizeModes(Surround).isEmpty());
    QVERIFY(preview->summary().contains(QStringLiteral("4 5 2 4 6 8 2 -7 -12 -12")));
    QVERIFY(preview->summary().contains(QStringLiteral("moved by +3.0 dB")));
    QVERIFY(preview->summary().contains(QStringLiteral("2 bands were cut")));
    QTest::mouseClick(preview->cancelButton(), Qt::LeftButton);
    QTRY_VERIFY(!m_window->findChild<CurvePreview *>());
    QVERIFY(m_instance->store().customizeModes(Surround).isEmpty());

    dropFile(ui.groupBox_Surround, curve);
    QTRY_VERIFY(m_window->findChild<CurvePreview *>());
    QTest::mouseClick(m_window->findChild<CurvePreview *>()->addButton(), Qt::LeftButton);
    const Gains10 fitted = {4, 5, 2, 4, 6, 8, 2, -7, -12, -12};
    const ModeData *mode = m_instance->store().customizeModes(Surround).value(QStringLiteral("Bright Curve"));
    QVERIFY(mode);
    QCOMPARE(mode->parameter, std::vector<int>(fitted.begin(), fitted.end()));
    QVERIFY(waitForSettled(m_instance->session()));
    QCOMPARE(peqSent().last(), setPeq(5, 9, 22, fitted));
    QCOMPARE(m_boxes.size(), 0);
    // A screen reader reads the gains the import put on the sliders, not 0 dB.
    for (int band = 0; band < kBands; ++band)
        QCOMPARE(ui.bandSlider(1, band)->accessibleName(), VoxBenchForm::bandSliderName(band, fitted[band]));

    // The same name again gets the tab's next free name; what is no mode, a box.
    dropFile(ui.groupBox_Surround, curve);
    QTRY_VERIFY(m_window->findChild<CurvePreview *>());
    QTest::mouseClick(m_window->findChild<CurvePreview *>()->addButton(), Qt::LeftButton);
    QVERIFY(m_instance->store().customizeModes(Surround).contains(QStringLiteral("Mode01")));
    m_boxes.clear();
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("just some notes\n");
    file.close();
    dropFile(ui.groupBox_Surround, curve);
    QCOMPARE(m_instance->store().customizeModes(Surround).size(), 2);
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY(m_boxes[0].text.contains(QStringLiteral("is not a mode file")));
}

void tst_VoxBenchModes::cleanupTestCase()
{
    m_window.reset();
    m_instance.reset();
    MessageBox::clearHandler();
}

QTEST_MAIN(tst_VoxBenchModes)
#include "tst_VoxBenchModes.moc"
