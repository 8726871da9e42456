// The receiver model without widgets or a display: the custom-mode rules, the
// 7.1 rule, what each call sends to the emulated receiver, what it saves, and
// the signals a view follows.
#include "support/AttachmentSupport.h"
#if VOXBENCH_POSIX_TESTS
#include "support/DiskSyncMeter.h"
#endif

#include "command/CommandWatchers.h"
#include "device/ReceiverSession.h"
#include "model/AppRules.h"
#include "model/CustomModes.h"
#include "model/ReceiverAttachment.h"
#include "model/ReceiverModel.h"
#include "model/RuleEngine.h"
#include "presets/WriteReadJson.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>
#if VOXBENCH_POSIX_TESTS
#include <csignal>
#endif
#include <functional>
#include <map>
#include <memory>
#if VOXBENCH_POSIX_TESTS
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {
// The GUI thread's fsyncs are counted where the C library's can be stood in
// for (tests/support/DiskSyncMeter, Linux): one save is the file, then its
// folder. Windows builds leave the count unchecked.
#if VOXBENCH_POSIX_TESTS
constexpr int kSyncsPerSave = 2;
int syncCount()
{
    return guiThreadDiskSyncs();
}
#else
constexpr int kSyncsPerSave = 0;
int syncCount()
{
    return 0;
}
#endif
} // namespace

using namespace behaviour;
using namespace attachment;

namespace {
const Gains10 kFlat = {};
const Gains10 kFps = {0, 0, 1, 2, 3, 4, 6, 7, 7, 8};
} // namespace

class tst_ReceiverModel : public QObject
{
    Q_OBJECT
private slots:
    void customModesKeepTheirRules();
    void eachCallSendsItsReports();
    void surroundIsOfferedByOneRule();
#if VOXBENCH_POSIX_TESTS
    void rulesFollowApplications();
    void processesAreReadSafely();
    void lateExecAndReusedIdsAreSeen();
    void everyFileIsSavedOneWay();
#endif
    void burstOfWakesResendsOnce();
    void watchersGetEveryChange();
    void attachmentLifeOnItsOwn();
    void customModeRulesOverTheStore();
    void cleanup();

private:
    bool attach(quint16 productId = 0x4152, bool offers71 = true);

    std::unique_ptr<WriteReadJson> m_store;
    std::unique_ptr<ReceiverSession> m_session;
    std::unique_ptr<ReceiverModel> m_model;
};

bool tst_ReceiverModel::attach(quint16 productId, bool offers71)
{
    EmulatorControl::Config config;
    config.productId = productId;
    config.flag71 = offers71 ? 1 : 0;
    EmulatorControl::configure(config);
    m_store = std::make_unique<WriteReadJson>(QCoreApplication::applicationDirPath());
    m_session = std::make_unique<ReceiverSession>();
    m_model = std::make_unique<ReceiverModel>(*m_store, *m_session);
    if (m_model->receiver().open() != OpenOk)
        return false;
    return waitFor([this] { return m_model->attached(); }, 3000) && waitForSettled(*m_session);
}

void tst_ReceiverModel::cleanup()
{
    m_model.reset();
    m_session.reset();
    m_store.reset();
    QFile::remove(configPath());
    QFile::remove(ReceiverModel::receiversFile());
}

void tst_ReceiverModel::customModesKeepTheirRules()
{
    QVERIFY(attach());
    QSignalSpy listed(m_model.get(), &ReceiverModel::customModesChanged);
    QCOMPARE(m_model->showCustomModes(Stereo).result, ReceiverModel::Result::Ok);
    QVERIFY(!m_model->selection(Stereo).chosen);

    // Five per tab, each in the lowest free slot under the first free name.
    for (int n = 0; n < kCustomSlots; ++n)
        QVERIFY(m_model->addCustomMode(Stereo).ok());
    QCOMPARE(m_model->customModes(Stereo).size(), size_t(kCustomSlots));
    QCOMPARE(m_model->customModes(Stereo).back().name, QStringLiteral("Mode05"));
    QCOMPARE(m_model->addCustomMode(Stereo).result, ReceiverModel::Result::Full);
    QCOMPARE(listed.count(), kCustomSlots);

    // A delete moves the later modes down; the slot takes the mode that moved in.
    // Each is one rewrite of config.json: the file, then its folder.
    int syncs = syncCount();
    QVERIFY(m_model->deleteCustomMode(Stereo, 1).ok());
    QCOMPARE(syncCount() - syncs, kSyncsPerSave);
    QCOMPARE(m_model->selection(Stereo).slot, 1);
    QCOMPARE(m_model->chosenName(Stereo), QStringLiteral("Mode03"));
    syncs = syncCount();
    QVERIFY(m_model->addCustomMode(Stereo).ok());
    QCOMPARE(syncCount() - syncs, kSyncsPerSave);
    QCOMPARE(m_model->selection(Stereo).slot, 4);
    QCOMPARE(m_model->chosenName(Stereo), QStringLiteral("Mode02"));

    // Names: unique per tab (the other tab may share them), not empty, at most 20.
    QCOMPARE(m_model->saveCustomMode(Stereo, QStringLiteral("Mode01")).message,
             QStringLiteral("The current name has been applied"));
    QCOMPARE(m_model->saveCustomMode(Stereo, QStringLiteral("  ")).result, ReceiverModel::Result::BadName);
    QCOMPARE(m_model->saveCustomMode(Stereo, QString(21, 'W')).result, ReceiverModel::Result::BadName);
    QVERIFY(m_model->addCustomMode(Surround, QStringLiteral("Mode01")).ok());

    // Save: the name and the gains on the tab, written to config.json once.
    QVERIFY(m_model->selectCustom(Stereo, 4).ok());
    QVERIFY(m_model->setGains(Stereo, {0, 5, 0, 0, 0, 0, 0, 0, 0, 40}).ok());
    QCOMPARE(m_model->gains(Stereo)[9], kMaxGain);
    syncs = syncCount();
    QVERIFY(m_model->saveCustomMode(Stereo, QStringLiteral("Bass Boost")).ok());
    QCOMPARE(syncCount() - syncs, kSyncsPerSave);
    const ModeData *saved = m_store->customizeModes(Stereo).value(QStringLiteral("Bass Boost"));
    QVERIFY(saved && saved->index == 4 && saved->parameter[1] == 5);
    QVERIFY(configJson().value("currentMode").toArray().first().toObject().value("uuid") == saved->uuid);

    // A mode that is not the chosen one renamed: saved too, once.
    syncs = syncCount();
    QVERIFY(m_model->renameCustomMode(Stereo, 0, QStringLiteral("Dusk")).ok());
    QCOMPARE(syncCount() - syncs, kSyncsPerSave);
    QStringList names;
    for (const QJsonValue mode : configJson().value("customizeMode")[0]["modes"].toArray())
        if (mode["type"] == Stereo)
            names << mode["name"].toString();
    QVERIFY2(names.contains("Dusk") && !names.contains("Mode01"), qPrintable(names.join(',')));
    QCOMPARE(m_model->chosenName(Stereo), QStringLiteral("Bass Boost"));

    // A preset has no gains to edit and no name to give.
    QVERIFY(m_model->selectPreset(Stereo, 1).ok());
    QCOMPARE(m_model->setGains(Stereo, {}).result, ReceiverModel::Result::NotCustom);
    QCOMPARE(m_model->saveCustomMode(Stereo, QStringLiteral("x")).result, ReceiverModel::Result::NotCustom);

    // A config.json written elsewhere may leave a slot free between two modes:
    // a new mode takes the lowest free one, not the one after the last.
    QJsonObject config = configJson();
    QJsonArray receivers = config.value("customizeMode").toArray();
    QJsonObject receiver = receivers.at(0).toObject();
    QJsonArray kept;
    for (const QJsonValue mode : receiver.value("modes").toArray())
        if (mode["type"] != Stereo || mode["index"] != 1)
            kept.append(mode);
    receiver.insert("modes", kept);
    receivers.replace(0, receiver);
    config.insert("customizeMode", receivers);
    cleanup();
    QVERIFY(writeConfig(QJsonDocument(config).toJson()));
    QVERIFY(attach());
    QCOMPARE(m_model->customModes(Stereo).size(), size_t(kCustomSlots - 1));
    QVERIFY(m_model->addCustomMode(Stereo).ok());
    QCOMPARE(m_model->selection(Stereo).slot, 1);
}

void tst_ReceiverModel::eachCallSendsItsReports()
{
    QVERIFY(attach());
    QSignalSpy pages(m_model.get(), &ReceiverModel::pageChanged);
    QVERIFY(m_model->selectPage(Page::Surround).ok());
    QCOMPARE(pages.count(), 1);
    QVERIFY(waitForSettled(*m_session));

    // A preset: bands 0-4, bands 5-9 no sooner than 20 ms later, then the page's switch.
    EmulatorControl::clearWrittenReports();
    QVERIFY(m_model->selectPreset(Surround, 1).ok());
    QVERIFY(waitForSettled(*m_session));
    QCOMPARE(writtenReports(),
             QVector<QByteArray>({setPeq(0, 4, 17, kFps), setPeq(5, 9, 17, kFps), algorithmSwitch(1, 0, 0)}));
    const std::vector<EmulatorControl::Report> peq = peqReports();
    QVERIFY2(peq[1].ns - peq[0].ns >= 20000000, qPrintable(QString::number(peq[1].ns - peq[0].ns)));
    QCOMPARE(m_store->currentMode()->name, QStringLiteral("FPS"));

    // A new custom mode is one upload of its own slot's code, flat.
    QVERIFY(m_model->showCustomModes(Surround).ok());
    EmulatorControl::clearWrittenReports();
    QVERIFY(m_model->addCustomMode(Surround).ok());
    QVERIFY(waitForSettled(*m_session));
    QCOMPARE(writtenReports(), QVector<QByteArray>({setPeq(0, 4, 22, kFlat), setPeq(5, 9, 22, kFlat),
                                                    algorithmSwitch(1, 0, 0)}));

    // An edit goes out when the gate is open, and shuts it for the next.
    QTRY_VERIFY_WITH_TIMEOUT(m_model->gateOpen(), 3000);
    EmulatorControl::clearWrittenReports();
    QSignalSpy gains(m_model.get(), &ReceiverModel::gainsChanged);
    QVERIFY(m_model->setGains(Surround, {3}).ok());
    QVERIFY(!m_model->gateOpen());
    QCOMPARE(gains.count(), 1);
    QVERIFY(waitForSettled(*m_session));
    QCOMPARE(withCommand(writtenReports(), kSetPeq).first(), setPeq(0, 4, 22, {3}));

    // Mic ENC is its own switch, and says so.
    QSignalSpy enc(m_model.get(), &ReceiverModel::micEncChanged);
    EmulatorControl::clearWrittenReports();
    QVERIFY(m_model->setMicEnc(false).ok());
    QVERIFY(waitForSettled(*m_session));
    QCOMPARE(writtenReports(), QVector<QByteArray>({algorithmSwitch(0, 2, 0)}));
    QCOMPARE(enc.count(), 1);
    QVERIFY(!m_model->micEnc());

    // Kept for this receiver: its next attachment sends it in place of the default.
    const auto reattach = [this](quint32 identity) {
        EmulatorControl::setPresent(false);
        m_model->receiver().handleRemoval(m_session->vendorId(), m_session->productId());
        EmulatorControl::Config config = EmulatorControl::config();
        config.identity = identity;
        EmulatorControl::configure(config);
        EmulatorControl::clearWrittenReports();
        m_model->receiver().handleArrival();
        return waitFor([this] { return m_model->attached(); }, 3000) && waitForSettled(*m_session);
    };
    QVERIFY(reattach(EmulatorControl::config().identity));
    QVERIFY(!m_model->micEnc());
    QCOMPARE(withCommand(writtenReports(), kSetAlgorithmSwitch).count(algorithmSwitch(0, 2, 0)), 1);
    QCOMPARE(withCommand(writtenReports(), kSetAlgorithmSwitch).count(algorithmSwitch(0, 1, 0)), 0);
    // A receiver never seen starts as its model's default.
    QVERIFY(reattach(0x11223344));
    QVERIFY(m_model->micEnc());
    QCOMPARE(withCommand(writtenReports(), kSetAlgorithmSwitch).count(algorithmSwitch(0, 1, 0)), 1);
}

void tst_ReceiverModel::surroundIsOfferedByOneRule()
{
    // A receiver without 7.1: the surround page is refused, the stereo page chosen.
    QVERIFY(attach(0x4152, false));
    QVERIFY(!m_model->offersSurround());
    QCOMPARE(m_model->page(), Page::Stereo);
    const ReceiverModel::Outcome refused = m_model->selectPage(Page::Surround);
    QCOMPARE(refused.result, ReceiverModel::Result::NotOffered);
    QCOMPARE(refused.message, QStringLiteral("The device does not support this algorithm"));
    QCOMPARE(m_model->page(), Page::Stereo);
    cleanup();

    // Headset A offers 7.1 whatever it says, and plays it through the stereo algorithm.
    QVERIFY(attach(0x1054, false));
    QVERIFY(m_model->offersSurround());
    QVERIFY(m_model->selectPage(Page::Surround).ok());
    QCOMPARE(m_model->page(), Page::Surround);
    cleanup();

    // Headset B: its picture in place of the spectrum, 7.1 as a plain receiver plays it.
    QVERIFY(attach(0x1029, false));
    QVERIFY(!m_model->offersSurround());
    QCOMPARE(m_model->picture(), "HeadsetB");
    EmulatorControl::clearWrittenReports();
    QVERIFY(m_model->selectPage(Page::Stereo).ok());
    QVERIFY(waitForSettled(*m_session));
    QVERIFY(!m_model->pageWantsSpectrum());
    QCOMPARE(withCommand(writtenReports(), kSpectrumSwitch), QVector<QByteArray>({spectrumSwitch(0)}));
    QCOMPARE(modeCode(PeqKind::Surround, ModeSource::Preset, 1, m_model->capabilities()), 17);
}

#if VOXBENCH_POSIX_TESTS
namespace {
// A real process under a name a rule can match; ended when it goes out of scope.
struct Application
{
    QProcess process;
    Application(const QString &program, const QStringList &arguments)
    {
        process.start(program, arguments);
        process.waitForStarted();
    }
    ~Application() { end(); }
    void end()
    {
        process.kill();
        process.waitForFinished();
    }
};

bool isPreset(const ReceiverModel &model, ModeType type, int button)
{
    const ReceiverModel::Selection &selection = model.selection(type);
    return selection.chosen && selection.origin == ModeOrigin::BuiltIn && selection.preset == button;
}
} // namespace

// Real processes: a native one found by its executable's name, a Proton-style
// one by the .exe in its command line. A start or an end is followed within
// two polls.
void tst_ReceiverModel::rulesFollowApplications()
{
    constexpr int kFollowMs = 2 * RuleEngine::kPollMs + 500;
    constexpr int kSurroundFps = 1, kStereoMoba = 1, kStereoStandard = 5;
    QVERIFY(attach());
    QTemporaryDir folder;
    const QString native = folder.filePath(QStringLiteral("quake3"));
    QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), native));
    AppRules rules(folder.filePath(QStringLiteral("rules.conf")));
    RuleEngine engine(*m_model, rules);
    QVERIFY2(!engine.watching(), "no rules: no process is looked at");
    QVERIFY(m_model->selectPage(Page::Stereo).ok());
    QVERIFY(m_model->selectPreset(Stereo, kStereoStandard).ok());
    QVERIFY(waitForSettled(*m_session));

    QVERIFY(rules.add({QStringLiteral("Quake3"), QStringLiteral("fps"), Surround}));
    QVERIFY(rules.add({QStringLiteral("Game"), QStringLiteral("Moba"), Stereo}));
    QVERIFY(engine.watching());
    QCOMPARE(AppRules(folder.filePath(QStringLiteral("rules.conf"))).rules().size(), size_t(2));

    // Switch, tab included, and back.
    EmulatorControl::clearWrittenReports();
    auto game = std::make_unique<Application>(native, QStringList{QStringLiteral("30")});
    QTRY_VERIFY_WITH_TIMEOUT(engine.inForce(), kFollowMs);
    QCOMPARE(m_model->page(), Page::Surround);
    QVERIFY(isPreset(*m_model, Surround, kSurroundFps));
    QVERIFY(waitForSettled(*m_session));
    QCOMPARE(withCommand(writtenReports(), kSetPeq).last(), setPeq(5, 9, 17, kFps));
    QCOMPARE(configJson().value("currentMode").toArray().at(0).toObject().value("uuid").toString(),
             m_model->preset(Surround, kSurroundFps)->uuid);
    game->end();
    QTRY_VERIFY_WITH_TIMEOUT(!engine.inForce(), kFollowMs);
    QCOMPARE(m_model->page(), Page::Stereo);
    QVERIFY(isPreset(*m_model, Stereo, kStereoStandard));

    // Two in turn: the one started last wins; when it ends, the one before applies again.
    game = std::make_unique<Application>(native, QStringList{QStringLiteral("30")});
    QTRY_VERIFY_WITH_TIMEOUT(engine.inForce(), kFollowMs);
    Application proton(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("read x"),
                                                   QStringLiteral("Z:\\Games\\GAME.EXE")});
    QTRY_VERIFY_WITH_TIMEOUT(isPreset(*m_model, Stereo, kStereoMoba), kFollowMs);
    QCOMPARE(engine.inForce()->application, QStringLiteral("Game"));
    QCOMPARE(m_model->page(), Page::Stereo);
    proton.end();
    QTRY_COMPARE_WITH_TIMEOUT(m_model->page(), Page::Surround, kFollowMs);
    QCOMPARE(engine.inForce()->application, QStringLiteral("Quake3"));

    // Another receiver plugged in meanwhile gets the rule's mode after its own start.
    EmulatorControl::setPresent(false);
    m_model->receiver().handleRemoval(0x5A17, 0x4152);
    QVERIFY(!m_model->attached());
    EmulatorControl::Config other;
    other.productId = 0x4153;
    EmulatorControl::configure(other);
    m_model->receiver().handleArrival();
    QVERIFY(waitFor([this] { return m_model->attached(); }, 3000));
    QTRY_VERIFY_WITH_TIMEOUT(isPreset(*m_model, Surround, kSurroundFps) && m_model->page() == Page::Surround,
                             1000);
    QVERIFY(waitForSettled(*m_session));
    QCOMPARE(withCommand(writtenReports(), kSetPeq).last(), setPeq(5, 9, 17, kFps));

    // The user wins: a mode chosen by hand stays when the application ends.
    QVERIFY(m_model->selectPreset(Surround, 0).ok());
    game->end();
    QTRY_VERIFY_WITH_TIMEOUT(!engine.inForce(), kFollowMs);
    QCOMPARE(m_model->page(), Page::Surround);
    QVERIFY(isPreset(*m_model, Surround, 0));

    // A rule for a mode this receiver lacks is passed over, with one log line.
    QVERIFY(rules.add({QStringLiteral("quake3.exe"), QStringLiteral("No Such Mode"), Stereo}));
    QCOMPARE(rules.rules().size(), size_t(2));
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("rule for quake3.exe skipped")));
    game = std::make_unique<Application>(native, QStringList{QStringLiteral("30")});
    QTest::qWait(kFollowMs);
    QVERIFY(!engine.inForce());

    // A game already running when the receiver comes: afterwards, the receiver's own modes.
    QVERIFY(rules.remove(QStringLiteral("quake3")));
    EmulatorControl::setPresent(false);
    m_model->receiver().handleRemoval(0x5A17, 0x4153);
    QVERIFY(rules.add({QStringLiteral("Quake3"), QStringLiteral("fps"), Surround}));
    QTRY_VERIFY_WITH_TIMEOUT(engine.inForce(), kFollowMs);
    EmulatorControl::setPresent(true);
    m_model->receiver().handleArrival();
    QVERIFY(waitFor([this] { return m_model->attached(); }, 3000));
    QTRY_VERIFY_WITH_TIMEOUT(isPreset(*m_model, Surround, kSurroundFps) && m_model->page() == Page::Surround,
                             1000);
    game->end();
    QTRY_VERIFY_WITH_TIMEOUT(!engine.inForce(), kFollowMs);
    // The choice this receiver remembered, made by hand above.
    QVERIFY(isPreset(*m_model, Surround, 0));

    // Paused: nothing is watched.
    QVERIFY(rules.setPaused(true));
    QVERIFY(!engine.watching());
}
#endif

#if VOXBENCH_POSIX_TESTS
namespace {
// Runs `path` with `arguments` as a process of its own group, under `uid` if given.
pid_t spawn(const QByteArray &path, const QList<QByteArray> &arguments, uid_t uid = 0)
{
    std::vector<char *> argv{const_cast<char *>(path.constData())};
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        if (uid && (setgid(uid) != 0 || setuid(uid) != 0))
            _exit(126);
        execv(path.constData(), argv.data());
        _exit(127);
    }
    return pid;
}

void end(pid_t pid)
{
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}
} // namespace
#endif

#if VOXBENCH_POSIX_TESTS
// Odd names, huge command lines, other users' processes and ended ones.
void tst_ReceiverModel::processesAreReadSafely()
{
    QTemporaryDir folder;
    const QByteArray odd = QFile::encodeName(folder.path()) + "/g\xff\x01me";
    QCOMPARE(symlink("/bin/sleep", odd.constData()), 0);
    const pid_t oddPid = spawn(odd, {"30"});
    QTRY_VERIFY(ProcessTable::read(oddPid) &&
                ProcessTable::read(oddPid)->names.contains(QString::fromLocal8Bit("g\xff\x01me")));
    end(oddPid);
    QVERIFY2(!ProcessTable::read(oddPid), "an ended process");

    // A command line of megabytes is read only as far as a program's .exe comes.
    QList<QByteArray> huge{"-c", "sleep 30; :", "early.exe"};
    for (int n = 0; n < 16; ++n)
        huge << QByteArray(64 * 1024, 'x');
    huge << "late.exe";
    const pid_t hugePid = spawn("/bin/sh", huge);
    QTRY_VERIFY(ProcessTable::read(hugePid) && ProcessTable::read(hugePid)->names.contains("early.exe"));
    QVERIFY(!ProcessTable::read(hugePid)->names.contains("late.exe"));
    end(hugePid);

    // Another user's process is not looked at.
    constexpr uid_t kNobody = 65534;
    const pid_t otherPid = spawn("/bin/sleep", {"30"}, kNobody);
    QTRY_COMPARE(QFileInfo(QStringLiteral("/proc/%1").arg(otherPid)).ownerId(), kNobody);
    QVERIFY(!ProcessTable::read(otherPid));
    end(otherPid);
}
#endif

#if VOXBENCH_POSIX_TESTS
// A launcher that exec()s the game after it stopped being young, and a game
// that got the id of a process that ended since the last poll.
void tst_ReceiverModel::lateExecAndReusedIdsAreSeen()
{
    QVERIFY(attach());
    QTemporaryDir folder;
    const QString native = folder.filePath(QStringLiteral("quake3"));
    QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), native));
    AppRules rules(folder.filePath(QStringLiteral("rules.conf")));
    RuleEngine engine(*m_model, rules);
    QVERIFY(rules.add({QStringLiteral("quake3"), QStringLiteral("fps"), Surround}));
    // No longer young by the time its id is reused below.
    const pid_t other = spawn("/bin/sleep", {"60"});
    const qint64 lateMs = RuleEngine::kYoungMs + 1500;
    {
        Application launcher(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("sleep %1; exec \"$0\" 30").arg(lateMs / 1000.0), native});
        QTest::qWait(int(lateMs) - 500);
        QVERIFY(!engine.inForce());
        QTRY_VERIFY_WITH_TIMEOUT(engine.inForce(),
                                 500 + (RuleEngine::kExecCheckPolls + 1) * RuleEngine::kPollMs);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!engine.inForce(), 3 * RuleEngine::kPollMs);

    // Between two polls: seen, ended, and its id given to the game, started through
    // a link to the same executable, so that only the id's new instance tells them apart.
    const QString linked = folder.filePath(QStringLiteral("link/quake3"));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("link")) &&
            QFile::link(QStringLiteral("/bin/sleep"), linked));
    engine.poll();
    end(other);
    pid_t game = 0;
    // Other processes on a busy machine may take the id first: a few tries.
    for (int attempt = 0; attempt < 20 && game != other; ++attempt) {
        if (game > 0)
            end(game);
        QFile lastPid(QStringLiteral("/proc/sys/kernel/ns_last_pid"));
        if (!lastPid.open(QIODevice::WriteOnly) || lastPid.write(QByteArray::number(other - 1)) < 0 ||
            !lastPid.flush())
            QSKIP("process ids cannot be chosen here (root and /proc/sys/kernel/ns_last_pid needed)");
        lastPid.close();
        game = spawn(QFile::encodeName(linked), {"30"});
    }
    QTest::qWait(50);
    engine.poll();
    const bool seen = engine.inForce();
    end(game);
    if (game != other)
        QSKIP("another process took the id first");
    QVERIFY(seen);
}
#endif

// A flaky lid: 200 sleeps and wakes in a row re-send what the model holds once, as one wake does.
#if VOXBENCH_POSIX_TESTS
// config.json, rules.conf and receivers.conf go through the one saver: on a full
// disk the old file stays whole, no temporary is left beside it, and the failure
// is told with the disk's reason.
void tst_ReceiverModel::everyFileIsSavedOneWay()
{
    constexpr int kDiskBytes = 64 * 1024;
    struct Unmount
    {
        explicit Unmount(QByteArray folder) : path(std::move(folder)) {}
        Unmount(const Unmount &) = delete;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
        const QByteArray path;
    };
    std::vector<std::unique_ptr<Unmount>> mounts;
    const QString settings = QFileInfo(ReceiverModel::receiversFile()).path();
    for (const QString &folder : {QFileInfo(configPath()).path(), settings}) {
        QVERIFY(QDir().mkpath(folder));
        const QByteArray name = QFile::encodeName(folder);
        if (::mount("tmpfs", name.constData(), "tmpfs", 0,
                    QByteArray("mode=0755,size=" + QByteArray::number(kDiskBytes)).constData()) != 0)
            QSKIP(qPrintable("cannot mount a small tmpfs (needs root or CAP_SYS_ADMIN): " +
                             qt_error_string(errno)));
        mounts.push_back(std::make_unique<Unmount>(name));
    }
    QVERIFY(attach());
    const QString rulesPath = settings + QStringLiteral("/rules.conf");
    AppRules rules(rulesPath);
    QSignalSpy failed(m_model.get(), &ReceiverModel::saveFailed);
    bool on = m_model->micEnc();
    int added = 0;
    const struct
    {
        QString path;
        std::function<void()> change;
    } files[] = {
        {configPath(), [&] { QVERIFY(m_model->addCustomMode(Stereo).ok()); }},
        {rulesPath,
         [&] {
             rules.add({QStringLiteral("game%1").arg(++added), QStringLiteral("fps"), Stereo});
         }},
        {ReceiverModel::receiversFile(), [&] { QVERIFY(m_model->setMicEnc(on = !on).ok()); }},
    };
    for (const auto &file : files)
        file.change();
    QVERIFY(rules.saved());
    QCOMPARE(failed.count(), 0);

    std::map<QString, QByteArray> before;
    for (const auto &file : files) {
        before[file.path] = readFile(file.path);
        QVERIFY2(!before[file.path].isEmpty(), qPrintable(file.path));
    }
    for (const std::unique_ptr<Unmount> &mount : mounts) {
        QFile filler(QFile::decodeName(mount->path) + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        // Bounded: were the small disk not there, the real one is not filled.
        while (filler.size() < kDiskBytes && filler.write(QByteArray(512, 'x')) == 512) {
        }
        while (filler.size() < kDiskBytes && filler.write("x", 1) == 1) {
        }
        QVERIFY(filler.size() < kDiskBytes);
    }
    for (const auto &file : files)
        file.change();
    for (const auto &file : files)
        QVERIFY2(readFile(file.path) == before[file.path], qPrintable(file.path));
    QCOMPARE(QDir(QFileInfo(configPath()).path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"config.json", "filler"}));
    QCOMPARE(QDir(settings).entryList(QDir::Files | QDir::Hidden),
             QStringList({"filler", "receivers.conf", "rules.conf"}));
    QVERIFY2(!rules.saved() && rules.saveProblem().contains("space"), qPrintable(rules.saveProblem()));
    QCOMPARE(failed.count(), 2);
    QCOMPARE(failed.at(0).at(0).toString(), configPath());
    QCOMPARE(failed.at(1).at(0).toString(), ReceiverModel::receiversFile());
    QVERIFY2(failed.at(1).at(1).toString().contains("space"), qPrintable(failed.at(1).at(1).toString()));
}
#endif

void tst_ReceiverModel::burstOfWakesResendsOnce()
{
    QVERIFY(attach());
    const auto resent = [this](int wakes) {
        EmulatorControl::clearWrittenReports();
        QSignalSpy due(&m_model->receiver(), &ReceiverAttachment::resendDue);
        for (int n = 0; n < wakes; ++n) {
            m_model->receiver().noteSleep();
            m_model->receiver().reapplyAfterResume();
            spin(2);
        }
        // The settle timer may fire late on a loaded machine: wait for the resend
        // itself, then long enough for a second one to show.
        if (!due.wait(3000))
            return -1;
        spin(ReceiverModel::kResumeSettleMs + 100);
        waitForSettled(*m_session);
        return due.count() == 1 ? withCommand(writtenReports(), kSetPeq).size() : -due.count();
    };
    const int once = resent(1);
    QVERIFY(once > 0);
    QCOMPARE(resent(200), once);

    // Replaced while asleep: the new attachment's own status reply brings no
    // second re-apply of the old one's settings.
    const auto replaced = [this](bool asleep) {
        if (asleep) {
            m_model->receiver().noteSleep();
            m_model->receiver().reapplyAfterResume();
        }
        EmulatorControl::setPresent(false);
        m_model->receiver().handleRemoval(m_session->vendorId(), m_session->productId());
        spin(ReceiverModel::kResumeSettleMs + 100);
        EmulatorControl::setPresent(true);
        EmulatorControl::clearWrittenReports();
        m_model->receiver().handleArrival();
        waitFor([this] { return m_model->attached(); }, 3000);
        spin(ReceiverModel::kResumeSettleMs);
        waitForSettled(*m_session);
        return withCommand(writtenReports(), kSetPeq).size() +
               withCommand(writtenReports(), kSetAlgorithmSwitch).size();
    };
    const int arrival = replaced(false);
    QVERIFY(arrival > 0);
    QCOMPARE(replaced(true), arrival);
}

// The command line's watchers: one line per change, even two of one kind in one
// turn of the event loop; at most kMaxWatchers at once, and a place freed is free.
void tst_ReceiverModel::watchersGetEveryChange()
{
    QVERIFY(attach());
    CommandWatchers watchers(*m_model, [this] { return QJsonObject{{"mic_enc", m_model->micEnc()}}; });
    QList<QByteArray> lines;
    const CommandWatchers::Watcher recording{[&lines](const QByteArray &line) {
                                                 lines << line;
                                                 return true;
                                             },
                                             [] {}};
    QVERIFY(watchers.add(recording) != 0);
    const bool on = m_model->micEnc();
    QVERIFY(m_model->setMicEnc(!on).ok());
    QVERIFY(m_model->setMicEnc(on).ok());
    spin(10);
    QCOMPARE(lines.size(), 1 + 2);
    QCOMPARE(QJsonDocument::fromJson(lines[1])["mic_enc"].toBool(), !on);
    QCOMPARE(QJsonDocument::fromJson(lines[2])["mic_enc"].toBool(), on);

    std::vector<quint64> ids;
    const CommandWatchers::Watcher quiet{[](const QByteArray &) { return true; }, [] {}};
    while (watchers.count() < CommandWatchers::kMaxWatchers)
        ids.push_back(watchers.add(quiet));
    QCOMPARE(watchers.add(quiet), quint64(0));
    watchers.remove(ids.back());
    QVERIFY(watchers.add(quiet) != 0);
}

// The attachment's life without the model: its settings come up no sooner than
// kPageDelayMs after the open, another node's removal ends nothing, a resume
// resends once the receiver answers, and not after a replug while asleep.
void tst_ReceiverModel::attachmentLifeOnItsOwn()
{
    EmulatorControl::configure(EmulatorControl::Config());
    WriteReadJson store(QCoreApplication::applicationDirPath());
    ReceiverSession session;
    ReceiverAttachment attachment(session, store);
    QSignalSpy up(&attachment, &ReceiverAttachment::cameUp);
    QSignalSpy ended(&attachment, &ReceiverAttachment::ended);
    QSignalSpy resend(&attachment, &ReceiverAttachment::resendDue);
    QElapsedTimer clock;
    clock.start();
    attachment.handleArrival();
    QVERIFY(session.opened());
    QCOMPARE(attachment.pageState(), PageState::NoReceiver);
    QVERIFY(up.wait(3000));
    QVERIFY(clock.elapsed() >= ReceiverAttachment::kPageDelayMs);
    QVERIFY(attachment.up());
    QVERIFY(waitForSettled(session));

    attachment.handleRemoval(0x5A17, 0x4152, QStringLiteral("/dev/hidraw-elsewhere"));
    QVERIFY(attachment.up());
    QCOMPARE(ended.count(), 0);

    attachment.noteSleep();
    attachment.reapplyAfterResume();
    QCOMPARE(resend.count(), 0); // not before the wakes settled and the receiver answered
    QVERIFY(resend.wait(3000));
    QVERIFY(waitForSettled(session));

    attachment.noteSleep();
    EmulatorControl::setPresent(false);
    attachment.handleRemoval(0x5A17, 0x4152);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(attachment.pageState(), PageState::NoReceiver);
    EmulatorControl::setPresent(true);
    attachment.handleArrival();
    QVERIFY(up.wait(3000));
    attachment.reapplyAfterResume();
    spin(ReceiverAttachment::kResumeSettleMs + 300);
    QCOMPARE(resend.count(), 1);
}

// The custom modes' rules on the store alone: the lowest free slot under the
// first free name, gains clamped, five per tab, names unique per tab, and
// nothing kept for a receiver without an identity.
void tst_ReceiverModel::customModeRulesOverTheStore()
{
    WriteReadJson store(QCoreApplication::applicationDirPath());
    store.setDevice(0x4152, QStringLiteral("0a1b2c3d"));
    CustomModes modes(store);
    int slot = -1;
    for (int n = 0; n < 3; ++n) {
        QVERIFY(modes.add(Stereo, QString(), Gains{}, &slot).ok());
        QCOMPARE(slot, n);
    }
    QVERIFY(modes.remove(Stereo, 0).ok());
    QVERIFY(modes.add(Stereo, QString(), Gains{40, -40}, &slot).ok());
    QCOMPARE(slot, 2);
    QCOMPARE(modes.list(Stereo).back().name, QStringLiteral("Mode01"));
    QCOMPARE(modes.list(Stereo).back().gains[0], ReceiverLimits::kMaxGain);
    QCOMPARE(modes.list(Stereo).back().gains[1], ReceiverLimits::kMinGain);

    QCOMPARE(modes.checkName(Stereo, QStringLiteral("Mode02"), nullptr).result, ModelResult::NameTaken);
    QVERIFY(modes.checkName(Surround, QStringLiteral("Mode02"), nullptr).ok());
    QCOMPARE(modes.rename(Stereo, 0, QStringLiteral("Mode03")).result, ModelResult::NameTaken);
    QVERIFY(modes.rename(Stereo, 0, QStringLiteral("Dawn")).ok());
    QVERIFY(readFile(configPath()).contains("\"Dawn\""));
    QCOMPARE(modes.rename(Stereo, 4, QStringLiteral("x")).result, ModelResult::NoSuchMode);

    QVERIFY(modes.add(Stereo, QStringLiteral("Four"), Gains{}, &slot).ok());
    QVERIFY(modes.add(Stereo, QStringLiteral("Five"), Gains{}, &slot).ok());
    QCOMPARE(modes.add(Stereo, QStringLiteral("Six"), Gains{}, &slot).result, ModelResult::Full);

    store.setDevice(0x4152, QString());
    QCOMPARE(modes.add(Surround, QString(), Gains{}, &slot).result, ModelResult::NotKept);
}

QTEST_GUILESS_MAIN(tst_ReceiverModel)
#include "tst_ReceiverModel.moc"
