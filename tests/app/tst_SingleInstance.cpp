// The single-instance guard across real processes: second starts, starts at the
// same moment, a first instance killed with SIGKILL, another user, and the ways
// out of the first instance.

#include "app/SingleInstance.h"
#include "platform/InstanceActivator.h"
#include "platform/InstanceKeys.h"
#include "platform/InstanceLock.h"
#include "support/ProbeProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kBox = QStringLiteral("box prompt|Program is running");

bool markerExists()
{
    InstanceLock lock;
    return lock.claim() == InstanceLock::Claim::Running;
}

// A throwaway account for the squatter, removed again at the end.
struct ThrowawayUser
{
    QString name = QStringLiteral("vbsquat%1").arg(::getpid());
    bool made = QProcess::execute(
                    "useradd", {"--system", "--no-create-home", "--shell", "/usr/sbin/nologin", name}) == 0;
    ~ThrowawayUser()
    {
        if (made)
            QProcess::execute("userdel", {name});
    }
};
} // namespace

class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondStartShowsHiddenFirstAndReturnsZero();
    void secondStartWithoutReachableFirstReturnsMinusOne();
    void heldBoxDoesNotStallLaterStarts();
    void simultaneousStartsMakeOneFirstInstance();
    void startAfterKillMinusNineIsFirst();
    void terminationEndsCleanly_data();
    void terminationEndsCleanly();
    void oneInstanceWhateverTheRuntimeFolder();
    void nothingAtTheInstancePathLetsASecondRun_data();
    void nothingAtTheInstancePathLetsASecondRun();
    void noGuardNoInstance();
    void anotherUserRunsOwnInstance();
    void anotherUserCannotSquatTheGuard_data();
    void anotherUserCannotSquatTheGuard();
};

void tst_SingleInstance::secondStartShowsHiddenFirstAndReturnsZero()
{
    ProbeProcess first(PROBE_PATH, {"-autorun"});
    QCOMPARE(first.waitForLine("running"), QStringLiteral("running visible=0"));

    ProbeProcess second(PROBE_PATH);
    QCOMPARE(second.waitForLine("box"), kBox);
    QVERIFY(second.finished());
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(!second.lines().contains("running visible=1"));
    QCOMPARE(first.waitForLine("shown"), QStringLiteral("shown"));

    // Shown already: asking again still succeeds.
    ProbeProcess third(PROBE_PATH);
    QVERIFY(third.finished());
    QCOMPARE(third.exitCode(), 0);

    ::kill(first.pid(), SIGTERM);
    QVERIFY(first.finished());
    QCOMPARE(first.exitCode(), 0);
}

void tst_SingleInstance::secondStartWithoutReachableFirstReturnsMinusOne()
{
    // The marker held by this process, with nobody listening behind it.
    SingleInstance holder;
    QCOMPARE(holder.claim(), InstanceLock::Claim::First);
    holder.releaseLock();

    ProbeProcess second(PROBE_PATH);
    QCOMPARE(second.waitForLine("box"), kBox);
    QVERIFY(second.finished(15000));
    QCOMPARE(second.exitCode(), -1);
}

void tst_SingleInstance::heldBoxDoesNotStallLaterStarts()
{
    ProbeProcess first(PROBE_PATH, {"-autorun"});
    QVERIFY(!first.waitForLine("running").isEmpty());

    QProcessEnvironment holding = QProcessEnvironment::systemEnvironment();
    holding.insert("PROBE_HOLD_BOX", "1");
    ProbeProcess second(PROBE_PATH, {}, holding);
    QCOMPARE(second.waitForLine("box"), kBox);

    // The second start's box is still open; a third must not wait for it.
    QElapsedTimer clock;
    clock.start();
    ProbeProcess third(PROBE_PATH);
    QCOMPARE(third.waitForLine("box", 3000), kBox);
    QVERIFY(third.finished(5000));
    QCOMPARE(third.exitCode(), 0);
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(second.process().state(), QProcess::Running);

    second.process().write("\n");
    QVERIFY(second.finished());
    QCOMPARE(second.exitCode(), 0);
}

void tst_SingleInstance::simultaneousStartsMakeOneFirstInstance()
{
    std::vector<std::unique_ptr<ProbeProcess>> probes;
    for (int i = 0; i < 4; ++i)
        probes.push_back(std::make_unique<ProbeProcess>(PROBE_PATH, QStringList{"-autorun"}));

    int firsts = 0;
    int seconds = 0;
    ProbeProcess *first = nullptr;
    for (auto &probe : probes) {
        const QString line = probe->waitForLine("", 15000);
        if (line.startsWith("running")) {
            ++firsts;
            first = probe.get();
        } else if (line == kBox) {
            QVERIFY(probe->finished());
            QCOMPARE(probe->exitCode(), 0);
            ++seconds;
        }
    }
    QCOMPARE(firsts, 1);
    QCOMPARE(seconds, 3);
    // Every second start showed the hidden first instance.
    QCOMPARE(first->waitForLine("shown"), QStringLiteral("shown"));
}

void tst_SingleInstance::startAfterKillMinusNineIsFirst()
{
    {
        ProbeProcess first(PROBE_PATH, {"-autorun"});
        QVERIFY(!first.waitForLine("running").isEmpty());
        ::kill(first.pid(), SIGKILL);
        QVERIFY(first.finished());
    }
    // The lock file and the socket of the killed instance are still there, its lock is not.
    QVERIFY(QFile::exists(InstanceKeys::scoped("instance")));
    QVERIFY(QFile::exists(InstanceActivator::runningServerName()));
    QVERIFY(!markerExists());

    ProbeProcess next(PROBE_PATH, {"-autorun"});
    QCOMPARE(next.waitForLine("running"), QStringLiteral("running visible=0"));

    // And the new first instance is guarded like any other.
    ProbeProcess second(PROBE_PATH);
    QCOMPARE(second.waitForLine("box"), kBox);
    QVERIFY(second.finished());
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(next.waitForLine("shown"), QStringLiteral("shown"));

    ::kill(next.pid(), SIGTERM);
    QVERIFY(next.finished());
    QCOMPARE(next.exitCode(), 0);
}

void tst_SingleInstance::terminationEndsCleanly_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void tst_SingleInstance::terminationEndsCleanly()
{
    QFETCH(int, signal);
    ProbeProcess first(PROBE_PATH);
    QCOMPARE(first.waitForLine("running"), QStringLiteral("running visible=1"));
    QVERIFY(markerExists());

    QElapsedTimer clock;
    clock.start();
    ::kill(first.pid(), signal);
    QVERIFY(first.finished(2000));
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(first.exitedNormally());
    QCOMPARE(first.exitCode(), 0);
    QVERIFY(!markerExists());
}

// The instance that owns the data folder is found whatever XDG_RUNTIME_DIR a later
// start or command has: none, another private one, or one that is not private.
void tst_SingleInstance::oneInstanceWhateverTheRuntimeFolder()
{
    ProbeProcess first(PROBE_PATH, {"-autorun"});
    QCOMPARE(first.waitForLine("running"), QStringLiteral("running visible=0"));

    QTemporaryDir other;
    QVERIFY(other.isValid());
    const QString open = other.filePath("open");
    QVERIFY(QDir().mkpath(open));
    QCOMPARE(::chmod(QFile::encodeName(open).constData(), 0755), 0);
    bool hidden = true;
    for (const QString &runtime : {QString(), other.path(), open}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("XDG_RUNTIME_DIR");
        if (!runtime.isEmpty())
            env.insert("XDG_RUNTIME_DIR", runtime);
        ProbeProcess second(PROBE_PATH, {"-autorun"}, env);
        QCOMPARE(second.waitForLine("", 15000), kBox);
        QVERIFY(second.finished());
        QCOMPARE(second.exitCode(), 0); // the first answered that it showed its window
        if (std::exchange(hidden, false))
            QCOMPARE(first.waitForLine("shown"), QStringLiteral("shown"));
    }

    // A home of its own is another user's data: an instance of its own.
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    ProbeProcess apart(PROBE_PATH, {"-autorun"}, env);
    QCOMPARE(apart.waitForLine("running"), QStringLiteral("running visible=0"));
    ::kill(apart.pid(), SIGTERM);
    QVERIFY(apart.finished());
    ::kill(first.pid(), SIGTERM);
    QVERIFY(first.finished());
    QCOMPARE(first.exitCode(), 0);
}

void tst_SingleInstance::nothingAtTheInstancePathLetsASecondRun_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("file") << "file";
    QTest::newRow("dangling link") << "link";
}

// What is at the socket's folder can cost the command line, never the guard.
void tst_SingleInstance::nothingAtTheInstancePathLetsASecondRun()
{
    QFETCH(QString, kind);
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    const QString path = runtime.filePath("voxbench-instance");
    if (kind == "file")
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));
    else
        QVERIFY(QFile::link(runtime.filePath("gone"), path));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());

    std::vector<std::unique_ptr<ProbeProcess>> starts;
    int running = 0;
    for (int i = 0; i < 3; ++i) {
        starts.push_back(std::make_unique<ProbeProcess>(PROBE_PATH, QStringList{"-autorun"}, env));
        const QString line = starts.back()->waitForLine("", 15000);
        running += line.startsWith("running");
        if (i > 0) {
            QCOMPARE(line, kBox);
            QVERIFY(starts.back()->finished());
        }
    }
    QCOMPARE(running, 1);
    QCOMPARE(starts.front()->process().state(), QProcess::Running);
}

// No data folder to hold the guard in: say so, and do not run.
void tst_SingleInstance::noGuardNoInstance()
{
    QTemporaryDir home;
    QVERIFY(QFile(home.filePath("Documents")).open(QIODevice::WriteOnly));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    for (int i = 0; i < 2; ++i) {
        ProbeProcess start(PROBE_PATH, {"-autorun"}, env);
        QVERIFY(start.waitForLine("", 15000).startsWith("box warning|VoxBench cannot make sure"));
        QVERIFY(start.finished());
        QCOMPARE(start.exitCode(), 1);
        QVERIFY(!start.lines().contains("running visible=0"));
    }
}

void tst_SingleInstance::anotherUserRunsOwnInstance()
{
    if (::geteuid() != 0)
        QSKIP("starting a process as another user needs root");
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody || QStandardPaths::findExecutable("setpriv").isEmpty())
        QSKIP("no user nobody or no setpriv");

    // A folder the other user can enter, with the probe, a home and a runtime folder.
    QTemporaryDir shared(QStringLiteral("/tmp/voxbench-other-user.XXXXXX"));
    QVERIFY(shared.isValid());
    QFile::setPermissions(shared.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                             QFile::ReadOther | QFile::ExeOther);
    const QString probe = shared.filePath("StartupProbe");
    QVERIFY(QFile::copy(PROBE_PATH, probe));
    const QString home = shared.filePath("home");
    const QString runtime = shared.filePath("run");
    for (const QString &dir : {home, runtime}) {
        QVERIFY(QDir().mkpath(dir));
        QCOMPARE(::chown(QFile::encodeName(dir).constData(), nobody->pw_uid, nobody->pw_gid), 0);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    ProbeProcess mine(PROBE_PATH, {"-autorun"});
    QVERIFY(!mine.waitForLine("running").isEmpty());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    const QStringList asNobody = {"--reuid=" + QString::number(nobody->pw_uid),
                                  "--regid=" + QString::number(nobody->pw_gid), "--clear-groups", probe,
                                  "-autorun"};
    ProbeProcess theirs("setpriv", asNobody, env);
    QCOMPARE(theirs.waitForLine("running"), QStringLiteral("running visible=0"));

    // Each user's instance still refuses a second start of that user.
    ProbeProcess theirSecond("setpriv", asNobody, env);
    QCOMPARE(theirSecond.waitForLine("box"), kBox);
    QVERIFY(theirSecond.finished());
    QCOMPARE(theirSecond.exitCode(), 0);
    QCOMPARE(theirs.waitForLine("shown"), QStringLiteral("shown"));
    QVERIFY(!mine.lines().contains("shown"));

    ::kill(theirs.pid(), SIGTERM);
    QVERIFY(theirs.finished());
    QCOMPARE(theirs.exitCode(), 0);
    ::kill(mine.pid(), SIGTERM);
    QVERIFY(mine.finished());
    QCOMPARE(mine.exitCode(), 0);
}

void tst_SingleInstance::anotherUserCannotSquatTheGuard_data()
{
    QTest::addColumn<bool>("runtimeFolder");
    QTest::newRow("XDG_RUNTIME_DIR set") << true;
    // Qt would fall back to <temp>/runtime-<user>, which the squatter makes first;
    // without a runtime folder of its own the victim has no socket, but one instance.
    QTest::newRow("no XDG_RUNTIME_DIR") << false;
}

// Another account makes, before this user's first start, the named objects that
// the guard's keys would name (the keys are paths anyone can work out, and Qt puts
// the key files in the shared temporary folder), and in the second row also the
// runtime folder Qt falls back to. This user must still get one instance, with the
// second start showing "Program is running" and bringing the first forward.
void tst_SingleInstance::anotherUserCannotSquatTheGuard()
{
    QFETCH(bool, runtimeFolder);
    const passwd *nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || !nobody || QStandardPaths::findExecutable("setpriv").isEmpty() ||
        QStandardPaths::findExecutable("useradd").isEmpty())
        QSKIP("two other accounts need root, the user nobody, useradd and setpriv");
    const ThrowawayUser squatter;
    const passwd *account = ::getpwnam(qPrintable(squatter.name));
    if (!squatter.made || !account)
        QSKIP("useradd could not make a throwaway account here");
    const QString victim = QString::fromLocal8Bit(nobody->pw_name);

    // A shared temporary folder as /tmp is, with the probe; the victim's private folders.
    QTemporaryDir shared(QStringLiteral("/tmp/voxbench-squat.XXXXXX"));
    QVERIFY(shared.isValid());
    QCOMPARE(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
    const QString probe = shared.filePath("StartupProbe");
    QVERIFY(QFile::copy(PROBE_PATH, probe));
    const QString home = shared.filePath("home");
    const QString runtime = shared.filePath("run");
    for (const QString &dir : {home, runtime}) {
        QVERIFY(QDir().mkpath(dir));
        QCOMPARE(::chown(QFile::encodeName(dir).constData(), nobody->pw_uid, nobody->pw_gid), 0);
        QCOMPARE(::chmod(QFile::encodeName(dir).constData(), 0700), 0);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", shared.path());
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.remove("XDG_RUNTIME_DIR");
    if (runtimeFolder)
        env.insert("XDG_RUNTIME_DIR", runtime);
    else
        QVERIFY(QDir().mkpath(shared.filePath("runtime-" + victim)));
    const QString folder = (runtimeFolder ? runtime : home + "/.cache") + "/voxbench-instance/";

    const auto as = [](const passwd *user, const QStringList &command) {
        return QStringList{"--reuid=" + QString::number(user->pw_uid),
                           "--regid=" + QString::number(user->pw_gid), "--clear-groups"} +
               command;
    };
    QProcessEnvironment squatting = env;
    squatting.insert("PROBE_SQUAT_KEYS", folder + "a;" + folder + "b");
    if (!runtimeFolder)
        QCOMPARE(::chown(QFile::encodeName(shared.filePath("runtime-" + victim)).constData(), account->pw_uid,
                         account->pw_gid),
                 0);
    ProbeProcess squat("setpriv", as(account, {probe}), squatting);
    QCOMPARE(squat.waitForLine("squatting"), QStringLiteral("squatting"));

    ProbeProcess mine("setpriv", as(nobody, {probe, "-autorun"}), env);
    QCOMPARE(mine.waitForLine("running"), QStringLiteral("running visible=0"));
    ProbeProcess second("setpriv", as(nobody, {probe}), env);
    QCOMPARE(second.waitForLine("box"), kBox);
    QVERIFY(second.finished());
    QCOMPARE(second.exitCode(), runtimeFolder ? 0 : -1);
    if (runtimeFolder)
        QCOMPARE(mine.waitForLine("shown"), QStringLiteral("shown"));

    ::kill(mine.pid(), SIGTERM);
    QVERIFY(mine.finished());
    QCOMPARE(mine.exitCode(), 0);
    ::kill(squat.pid(), SIGTERM);
    QVERIFY(squat.finished());
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_SingleInstance.moc"
