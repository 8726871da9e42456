// Tray menu, hiding instead of closing, the program's end and dragging of the
// frameless window. Starts without a receiver, then plugs one in.
#include "support/BehaviourSupport.h"

#include "app/VoxBenchInstance.h"
#include "model/CloseChoice.h"
#include "platform/AutostartEntry.h"
#include "ui/MessageBox.h"
#include "window/MyThread_Two.h"
#include "window/VoxBench.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

using namespace behaviour;

class tst_VoxBenchTray : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void trayMenuHoldsMainPageAndQuit();
    void trayEntrySwitchesLogonStart();
    void playWithoutReceiverOnlyWarns();
    void noDevicePageDragArea();
    void closeHidesWhileThereIsATray();
    void trayClickAndMainPageShowTheWindow();
    void devicePageDragArea();
    void devicePageCloseSwitchesSpectrumOff();
    void closeWithoutTrayAsksOnceThenKeepsTheChoice();
    void quitSendsTheExitSwitchBeforeTheProgramEnds();
    void cleanupTestCase();

private:
    QAction *action(const QString &text) const;
    void press(Qt::MouseButton button, QPoint at);
    void release(Qt::MouseButton button, QPoint at);
    void moveTo(QPoint at);
    std::unique_ptr<VoxBenchInstance> m_instance;
    std::unique_ptr<VoxBench> m_window;
    QVector<MessageBox::Shown> m_boxes;
    QTemporaryDir m_iconTheme;
};

QAction *tst_VoxBenchTray::action(const QString &text) const
{
    for (QAction *a : m_window->findChildren<QAction *>()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}

void tst_VoxBenchTray::press(Qt::MouseButton button, QPoint at)
{
    QMouseEvent event(QEvent::MouseButtonPress, at, m_window->mapToGlobal(at), button, button,
                      Qt::NoModifier);
    m_window->mousePressEvent(&event);
}

void tst_VoxBenchTray::release(Qt::MouseButton button, QPoint at)
{
    QMouseEvent event(QEvent::MouseButtonRelease, at, m_window->mapToGlobal(at), button, Qt::NoButton,
                      Qt::NoModifier);
    m_window->mouseReleaseEvent(&event);
}

void tst_VoxBenchTray::moveTo(QPoint at)
{
    QMouseEvent event(QEvent::MouseMove, at, m_window->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                      Qt::NoModifier);
    m_window->mouseMoveEvent(&event);
}

void tst_VoxBenchTray::initTestCase()
{
    EmulatorControl::Config config;
    config.absent = true;
    EmulatorControl::configure(config);
    MessageBox::setHandler([this](const MessageBox::Shown &shown) { m_boxes.append(shown); });
    // An icon theme holding the package's symbolic icon, as installed.
    const QString hicolor = m_iconTheme.filePath("hicolor");
    QVERIFY(QDir().mkpath(hicolor + "/symbolic/apps"));
    QFile index(hicolor + "/index.theme");
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=Hicolor\nDirectories=symbolic/apps\n\n"
                "[symbolic/apps]\nSize=16\nMinSize=8\nMaxSize=512\nType=Scalable\n");
    index.close();
    const QString symbolic = QString(kApplicationId) + "-symbolic";
    QVERIFY(QFile::copy(SYMBOLIC_ICON, hicolor + "/symbolic/apps/" + symbolic + ".svg"));
    QIcon::setThemeSearchPaths({m_iconTheme.path()});
    QIcon::setThemeName("hicolor");
    m_instance = std::make_unique<VoxBenchInstance>();
    m_window = std::make_unique<VoxBench>(m_instance->model(), m_instance->ruleEngine());
    m_window->show();
    m_window->move(100, 50);
    QCOMPARE(m_window->pageState(), PageState::NoReceiver);
}

void tst_VoxBenchTray::trayMenuHoldsMainPageAndQuit()
{
    QSystemTrayIcon *tray = m_window->findChild<QSystemTrayIcon *>();
    QVERIFY(tray);
    QCOMPARE(tray->toolTip(), QStringLiteral("Pelago Didavada K10-RX"));
#if VOXBENCH_POSIX_TESTS
    // The rule in force is named there while its application runs.
    QTemporaryDir folder;
    const QString game = folder.filePath("tooltipgame");
    QVERIFY(QFile::copy("/bin/sleep", game));
    QVERIFY(m_instance->rules().add({"TooltipGame", "FPS", Surround}));
    QProcess running;
    running.start(game, {"30"});
    QTRY_COMPARE_WITH_TIMEOUT(
        tray->toolTip(), QStringLiteral("Pelago Didavada K10-RX\nWhile TooltipGame runs: FPS (7.1 surround)"),
        2 * RuleEngine::kPollMs + 500);
    running.kill();
    running.waitForFinished();
    QTRY_COMPARE_WITH_TIMEOUT(tray->toolTip(), QStringLiteral("Pelago Didavada K10-RX"),
                              2 * RuleEngine::kPollMs + 500);
    QVERIFY(m_instance->rules().remove("tooltipgame"));
#endif
    // The window keeps Icon.ico, every one of its sizes; the tray takes the
    // theme's symbolic icon, which the panel paints in its own colours.
    QCOMPARE(m_window->windowIcon().availableSizes(),
             QList<QSize>({{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {256, 256}}));
    QCOMPARE(tray->icon().name(), QString(kApplicationId) + "-symbolic");
    QVERIFY(!tray->icon().pixmap(22).isNull());
    QMenu *menu = tray->contextMenu();
    QVERIFY(menu);
    const QList<QAction *> entries = menu->actions();
    QCOMPARE(entries.size(), 4);
    QCOMPARE(entries[0]->text(), QStringLiteral("Main Page"));
    QCOMPARE(entries[1]->text(), QStringLiteral("Start at log-on"));
    QVERIFY(entries[1]->isCheckable());
    QVERIFY(entries[2]->isSeparator());
    QCOMPARE(entries[3]->text(), QStringLiteral("Quit"));
}

void tst_VoxBenchTray::trayEntrySwitchesLogonStart()
{
    QMenu *menu = m_window->findChild<QSystemTrayIcon *>()->contextMenu();
    QAction *entry = action("Start at log-on");
    QVERIFY(entry);
    const QString program = QCoreApplication::applicationFilePath();
    const LogonStart logon(program);
    // The same entry as another settings tool sees it.
    const AutostartEntry elsewhere(QFileInfo(program).completeBaseName(), program,
                                   QLatin1Char(' ') + QLatin1String(kAutorunSwitch));
    QCOMPARE(elsewhere.state(), AutostartEntry::State::Absent);
    QVERIFY(!entry->isChecked());
    const int boxes = m_boxes.size();

    entry->trigger();
    QVERIFY(entry->isChecked());
    QVERIFY(logon.enabled());

    // Switched off elsewhere: the menu shows it when it opens next.
    QVERIFY(elsewhere.remove());
    emit menu->aboutToShow();
    QVERIFY(!entry->isChecked());
    QVERIFY(logon.setEnabled(true));
    emit menu->aboutToShow();
    QVERIFY(entry->isChecked());

    entry->trigger();
    QVERIFY(!entry->isChecked());
    QCOMPARE(elsewhere.state(), AutostartEntry::State::Absent);
    QCOMPARE(m_boxes.size(), boxes);
}

void tst_VoxBenchTray::playWithoutReceiverOnlyWarns()
{
    m_boxes.clear();
    for (int i = 0; i < 2; ++i)
        m_window->form().pushButton_SurroundTest->click();
    QCOMPARE(m_boxes.size(), 2);
    QCOMPARE(m_boxes[0].kind, MessageBox::Kind::Warning);
    QCOMPARE(m_boxes[0].title, QStringLiteral("warning"));
    QCOMPARE(m_boxes[0].text, QStringLiteral("Pleasr Insert Device!"));
    QVERIFY(!m_window->testPlaying());
    QVERIFY(!m_window->testPlayer());
}

void tst_VoxBenchTray::noDevicePageDragArea()
{
    const QPoint start = m_window->pos();
    press(Qt::LeftButton, {999, 629});
    moveTo({1009, 634});
    QCOMPARE(m_window->pos(), start + QPoint(10, 5));
    release(Qt::LeftButton, {1009, 634});
    moveTo({1100, 700});
    QCOMPARE(m_window->pos(), start + QPoint(10, 5));

    const QPoint here = m_window->pos();
    for (const QPoint outside : {QPoint(1000, 10), QPoint(10, 630), QPoint(0, 10)}) {
        press(Qt::LeftButton, outside);
        moveTo(outside + QPoint(30, 30));
        QCOMPARE(m_window->pos(), here);
        release(Qt::LeftButton, outside);
    }
    // A press that moves less than the drag distance stays a click.
    press(Qt::LeftButton, {500, 300});
    moveTo(QPoint(500, 300) + QPoint(QApplication::startDragDistance() - 1, 0));
    QCOMPARE(m_window->pos(), here);
    release(Qt::LeftButton, {500, 300});
    // A right press never starts a drag.
    press(Qt::RightButton, {50, 50});
    moveTo({80, 80});
    QCOMPARE(m_window->pos(), here);
    release(Qt::RightButton, {80, 80});
}

void tst_VoxBenchTray::closeHidesWhileThereIsATray()
{
    m_window->setTrayAvailable(1);
    EmulatorControl::clearWrittenReports();
    m_window->close();
    QVERIFY(m_window->isHidden());
    m_window->show();
    m_window->form().pushButton_DefaultClose->click();
    QVERIFY(m_window->isHidden());
    // Alt+F4 reaches the window as a close event too.
    m_window->show();
    QCloseEvent closeEvent;
    QCoreApplication::sendEvent(m_window.get(), &closeEvent);
    QVERIFY(!closeEvent.isAccepted());
    QVERIFY(m_window->isHidden());
    spin(50);
    QCOMPARE(EmulatorControl::writtenReportCount(), 0);
}

void tst_VoxBenchTray::trayClickAndMainPageShowTheWindow()
{
    m_window->on_activatedSysTrayIcon(QSystemTrayIcon::DoubleClick);
    QVERIFY(m_window->isHidden());
    m_window->on_activatedSysTrayIcon(QSystemTrayIcon::Trigger);
    QVERIFY(m_window->isVisible());

    m_window->showMinimized();
    action(QStringLiteral("Main Page"))->trigger();
    QVERIFY(m_window->isVisible());
    QVERIFY(!m_window->isMinimized());
}

void tst_VoxBenchTray::devicePageDragArea()
{
    EmulatorControl::setPresent(true);
    m_instance->handleHidArrival();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->pageState(), PageState::Device, 5000);
    QVERIFY(waitForSettled(m_instance->session()));

    const QPoint start = m_window->pos();
    press(Qt::LeftButton, {10, 80});
    moveTo({40, 120});
    QCOMPARE(m_window->pos(), start);
    release(Qt::LeftButton, {40, 120});

    press(Qt::LeftButton, {1175, 79});
    moveTo({1165, 69});
    QCOMPARE(m_window->pos(), start - QPoint(10, 10));
    // Any button's release ends the drag.
    release(Qt::RightButton, {1165, 69});
    moveTo({1000, 10});
    QCOMPARE(m_window->pos(), start - QPoint(10, 10));
}

void tst_VoxBenchTray::devicePageCloseSwitchesSpectrumOff()
{
    m_window->form().tabWidget->setCurrentIndex(1);
    QVERIFY(waitForSettled(m_instance->session()));
    QCOMPARE(usbHidDeviceState().spectrumOn.load(), 1);
    // Back from the tray by the icon, then by "Main Page": the stereo tab streams again.
    const std::function<void()> showAgain[] = {
        [this] { m_window->on_activatedSysTrayIcon(QSystemTrayIcon::Trigger); },
        [this] { action(QStringLiteral("Main Page"))->trigger(); }};
    for (const auto &show : showAgain) {
        EmulatorControl::clearWrittenReports();
        m_window->form().pushButton_Close->click();
        QVERIFY(m_window->isHidden());
        QCOMPARE(usbHidDeviceState().spectrumOn.load(), 0);
        QCOMPARE(writtenReports(), QVector<QByteArray>{spectrumSwitch(0)});
        show();
        QVERIFY(m_window->isVisible());
        QCOMPARE(usbHidDeviceState().spectrumOn.load(), 1);
        QCOMPARE(writtenReports(), (QVector<QByteArray>{spectrumSwitch(0), spectrumSwitch(1)}));
    }
    // Shown once more while streaming, or on another tab: nothing more goes out.
    m_window->show();
    m_window->form().tabWidget->setCurrentIndex(2);
    QVERIFY(waitForSettled(m_instance->session()));
    EmulatorControl::clearWrittenReports();
    m_window->hide();
    m_window->show();
    QVERIFY(writtenReports().isEmpty());
}

// Stock GNOME: no tray to bring a hidden window back from.
void tst_VoxBenchTray::closeWithoutTrayAsksOnceThenKeepsTheChoice()
{
    m_window->setTrayAvailable(0);
    m_window->setCloseChoice(&m_instance->closeChoice());
    QVERIFY(m_window->isVisible());
    m_boxes.clear();
    EmulatorControl::clearWrittenReports();
    m_window->close();
    // A second close while the question is open asks nothing more, and ends nothing.
    m_window->close();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].kind, MessageBox::Kind::Question);
    QCOMPARE(m_boxes[0].choices.size(), 2);
    QVERIFY(m_window->isVisible());
    // Closed without an answer: the next close asks again.
    m_boxes[0].answer(-1);
    QVERIFY(m_window->isVisible());
    m_window->close();
    QCOMPARE(m_boxes.size(), 2);
    m_boxes[1].answer(0); // keep running
    QVERIFY(m_window->isHidden());
    spin(50);
    // No farewell to the receiver: VoxBench goes on.
    QVERIFY(writtenReports().isEmpty());
    QCOMPARE(QSettings(CloseChoice::defaultPath(), QSettings::IniFormat)
                 .value("window/keep-running-in-background"),
             QVariant(true));
    // Afterwards closing follows the choice without asking.
    m_window->show();
    QCloseEvent closeEvent;
    QCoreApplication::sendEvent(m_window.get(), &closeEvent);
    QVERIFY(!closeEvent.isAccepted());
    QVERIFY(m_window->isHidden());
    QCOMPARE(m_boxes.size(), 2);
    m_window->show();
}

void tst_VoxBenchTray::quitSendsTheExitSwitchBeforeTheProgramEnds()
{
    EmulatorControl::clearWrittenReports();
    QAction *quitAction = action(QStringLiteral("Quit"));
    QVERIFY(quitAction);
    QTimer::singleShot(0, quitAction, &QAction::trigger);
    const QuitResult quit = execUntilQuit();
    QCOMPARE(quit.code, 0);
    QCOMPARE(quit.sentAtQuit, QVector<QByteArray>{algorithmSwitch(2, 2, 2)});
    QVERIFY(m_window->isHidden());
    QVERIFY(!m_window->findChild<QSystemTrayIcon *>()->isVisible());
    // The sequencer ended with the event loop.
    QVERIFY(m_window->testThread()->isFinished());
}

void tst_VoxBenchTray::cleanupTestCase()
{
    m_window.reset();
    m_instance.reset();
    MessageBox::clearHandler();
}

QTEST_MAIN(tst_VoxBenchTray)
#include "tst_VoxBenchTray.moc"
