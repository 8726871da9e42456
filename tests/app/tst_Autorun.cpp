// The "-autorun" switch read from the process command line, and the autostart
// entry: registered at the first start, refreshed by later ones while it exists,
// switched by `voxbench autostart`, by a settings tool or by hand.

#include "app/Autorun.h"
#include "platform/AutostartEntry.h"
#include "platform/ProcessCommandLine.h"
#include "support/ProbeProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {
// A desktop entry string value with its escapes undone.
QString unescapeDesktopString(const QString &value)
{
    QString out;
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        out += next == 'n'   ? QChar('\n')
               : next == 't' ? QChar('\t')
               : next == 'r' ? QChar('\r')
               : next == 's' ? QChar(' ')
                             : next;
    }
    return out;
}

// Splits an Exec value the way a desktop reads it: quoting, then field codes.
QStringList splitExec(const QString &exec)
{
    const QString line = unescapeDesktopString(exec);
    QStringList arguments;
    QString current;
    bool inArgument = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == '"') {
            inArgument = true;
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size())
                    ++i;
                current += line[i];
            }
        } else if (c == ' ') {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else {
            inArgument = true;
            current += c;
        }
    }
    if (inArgument)
        arguments << current;
    for (QString &argument : arguments)
        argument.replace(QLatin1String("%%"), QLatin1String("%"));
    return arguments;
}

struct DesktopEntry
{
    QString group;
    QMap<QString, QString> keys;
};

DesktopEntry readDesktopEntry(const QString &path)
{
    QFile file(path);
    DesktopEntry entry;
    if (!file.open(QIODevice::ReadOnly))
        return entry;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            entry.group = line;
            continue;
        }
        const int equals = line.indexOf('=');
        if (equals > 0)
            entry.keys.insert(line.left(equals), line.mid(equals + 1));
    }
    return entry;
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(contents), contents.size());
}

struct ClientRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// `voxbench autostart ...` of the real program; it needs no display and no running VoxBench.
ClientRun runClient(const QStringList &arguments)
{
    QProcess client;
    client.start(VOXBENCH_PATH, arguments);
    ClientRun run;
    if (!client.waitForFinished(20000))
        return run;
    run.exitCode = client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1;
    run.out = QString::fromUtf8(client.readAllStandardOutput());
    run.err = QString::fromUtf8(client.readAllStandardError());
    return run;
}

void startAndStop(const QString &program, const QStringList &arguments, QString *firstLine = nullptr)
{
    ProbeProcess probe(program, arguments);
    const QString line = probe.waitForLine("");
    if (firstLine)
        *firstLine = line;
    if (line.startsWith("running")) {
        ::kill(probe.pid(), SIGTERM);
        probe.finished();
    }
}
} // namespace

class tst_Autorun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void splitsProcCmdline_data();
    void splitsProcCmdline();
    void readsOwnCommandLine();
    void switchDecidesVisibility_data();
    void switchDecidesVisibility();
    void execQuotesThePath_data();
    void execQuotesThePath();
    void entryLocationFollowsXdgConfigHome();
    void firstStartRegistersLaterStartsRefresh();
    void renamedExecutableAddsSecondEntry();
    void userChoiceSurvivesAStart_data();
    void userChoiceSurvivesAStart();
    void userSwitchHoldsAcrossStarts();
    void failedWriteIsIgnored();
};

void tst_Autorun::init()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(QDir::homePath() + "/.config"));
    QDir(QDir::homePath() + "/.config/autostart").removeRecursively();
    QFile::remove(LogonStart::settingsPath());
}

void tst_Autorun::splitsProcCmdline_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("program only") << QByteArray("/bin/VoxBench\0", 14) << true
                                  << QStringList{"/bin/VoxBench"};
    QTest::newRow("switch") << QByteArray("VoxBench\0-autorun\0", 18) << true
                            << QStringList{"VoxBench", "-autorun"};
    QTest::newRow("empty argument kept") << QByteArray("a\0\0b\0", 5) << true << QStringList{"a", "", "b"};
    QTest::newRow("blank inside an argument")
        << QByteArray("a\0x -autorun\0", 13) << true << QStringList{"a", "x -autorun"};
    QTest::newRow("nothing") << QByteArray() << false << QStringList();
    QTest::newRow("cut off") << QByteArray("a\0-auto", 7) << false << QStringList();
}

void tst_Autorun::splitsProcCmdline()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, ok);
    QFETCH(QStringList, arguments);
    QStringList result;
    QCOMPARE(ProcessCommandLine::splitProcCmdline(contents, &result), ok);
    QCOMPARE(result, arguments);
}

void tst_Autorun::readsOwnCommandLine()
{
    QStringList arguments;
    QVERIFY(ProcessCommandLine::read(&arguments));
    QCOMPARE(arguments, QCoreApplication::arguments());
    QVERIFY(!isAutorunLaunch());
}

void tst_Autorun::switchDecidesVisibility_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("state");
    QTest::newRow("no switch") << QStringList() << "running visible=1";
    QTest::newRow("switch") << QStringList{"-autorun"} << "running visible=0";
    QTest::newRow("switch among others") << QStringList{"x", "-autorun", "y"} << "running visible=0";
    QTest::newRow("capital A") << QStringList{"-Autorun"} << "running visible=1";
    QTest::newRow("two hyphens") << QStringList{"--autorun"} << "running visible=1";
    QTest::newRow("inside an argument") << QStringList{"x -autorun"} << "running visible=1";
    // Qt takes its own options out of argv; the switch is read from the whole line.
    QTest::newRow("after a Qt option")
        << QStringList{"-platform", "offscreen", "-autorun"} << "running visible=0";
}

void tst_Autorun::switchDecidesVisibility()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, state);
    QString line;
    startAndStop(PROBE_PATH, arguments, &line);
    QCOMPARE(line, state);
}

void tst_Autorun::execQuotesThePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << "/opt/voxbench/VoxBench";
    QTest::newRow("blanks") << "/home/me/My Programs/VoxBench";
    QTest::newRow("quote dollar backtick") << "/tmp/a\"b$HOME`id`/VoxBench";
    QTest::newRow("backslash") << "/tmp/back\\slash/VoxBench";
    QTest::newRow("percent") << "/tmp/100%u/VoxBench";
    QTest::newRow("non-ASCII") << QString::fromUtf8("/home/\xe7\x94\xa8\xe6\x88\xb7/VoxBench");
}

void tst_Autorun::execQuotesThePath()
{
    QFETCH(QString, path);
    QVERIFY(AutostartEntry("VoxBench", path, " -autorun").refresh());
    const DesktopEntry entry = readDesktopEntry(QDir::homePath() + "/.config/autostart/VoxBench.desktop");
    QCOMPARE(entry.group, QStringLiteral("[Desktop Entry]"));
    QCOMPARE(entry.keys.value("Type"), QStringLiteral("Application"));
    QCOMPARE(entry.keys.value("Name"), QStringLiteral("VoxBench"));
    QVERIFY(entry.keys.value("Exec").endsWith(" -autorun"));
    QCOMPARE(splitExec(entry.keys.value("Exec")), (QStringList{path, "-autorun"}));
}

void tst_Autorun::entryLocationFollowsXdgConfigHome()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const AutostartEntry entry("VoxBench", "/x/VoxBench", " -autorun");
    QVERIFY(entry.refresh());
    QVERIFY(QFile::exists(config.path() + "/autostart/VoxBench.desktop"));
    // The first start is remembered beside it, in a file of our own.
    QCOMPARE(LogonStart::settingsPath(), config.path() + "/VoxBench/logon.conf");

    // Unset or relative: the default below the home folder.
    const QString fallback = QDir::homePath() + "/.config/autostart/VoxBench.desktop";
    qputenv("XDG_CONFIG_HOME", "relative/config");
    QVERIFY(entry.refresh());
    QVERIFY(QFile::exists(fallback));
    QVERIFY(!QFile::exists("relative/config/autostart/VoxBench.desktop"));
    QFile::remove(fallback);
    qunsetenv("XDG_CONFIG_HOME");
    QVERIFY(entry.refresh());
    QVERIFY(QFile::exists(fallback));
}

void tst_Autorun::firstStartRegistersLaterStartsRefresh()
{
    const QString path = QDir::homePath() + "/.config/autostart/voxbench_startup_probe.desktop";
    const QString exec = AutostartEntry::desktopExec(PROBE_PATH, " -autorun");

    ProbeProcess first(PROBE_PATH, {"-autorun"});
    QVERIFY(!first.waitForLine("running").isEmpty());
    QCOMPARE(readDesktopEntry(path).keys.value("Exec"), exec);

    // A refused second start brings an entry that is still there up to date.
    writeFile(path, "[Desktop Entry]\nType=Application\nExec=/old/place -autorun\n");
    ProbeProcess second(PROBE_PATH);
    QVERIFY(!second.waitForLine("box").isEmpty());
    QVERIFY(second.finished());
    QCOMPARE(readDesktopEntry(path).keys.value("Exec"), exec);

    ::kill(first.pid(), SIGTERM);
    QVERIFY(first.finished());
}

void tst_Autorun::renamedExecutableAddsSecondEntry()
{
    QTemporaryDir bin;
    const QString renamed = bin.filePath("Renamed.bin");
    QVERIFY(QFile::copy(PROBE_PATH, renamed));
    startAndStop(PROBE_PATH, {});
    startAndStop(renamed, {});

    const QString folder = QDir::homePath() + "/.config/autostart/";
    QCOMPARE(readDesktopEntry(folder + "voxbench_startup_probe.desktop").keys.value("Exec"),
             AutostartEntry::desktopExec(PROBE_PATH, " -autorun"));
    // The complete base name drops only the last extension.
    QCOMPARE(readDesktopEntry(folder + "Renamed.desktop").keys.value("Exec"),
             AutostartEntry::desktopExec(renamed, " -autorun"));
}

void tst_Autorun::userChoiceSurvivesAStart_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("gnomeEnabled");
    QTest::addColumn<QString>("hidden");
    // As an older VoxBench wrote it, with the icon's former name.
    const QByteArray head = "[Desktop Entry]\nType=Application\nName=voxbench_startup_probe\n"
                            "Icon=voxbench\nExec=/old/place/voxbench_startup_probe -autorun\n";
    QTest::newRow("GNOME switch off") << head + "X-GNOME-Autostart-enabled=false\n"
                                      << "false"
                                      << "";
    QTest::newRow("KDE switch off") << head + "X-GNOME-Autostart-enabled=true\nHidden=true\n"
                                    << "true"
                                    << "true";
    QTest::newRow("by hand") << "# mine\n" + head + "Hidden = true\n[Other]\nHidden=false\n"
                             << "true"
                             << "true";
    QTest::newRow("left on") << head + "X-GNOME-Autostart-enabled=true\nHidden=false\n"
                             << "true"
                             << "";
    // Only the entry's own group counts.
    QTest::newRow("other group") << head + "[Desktop Action x]\nHidden=true\n"
                                 << "true"
                                 << "";
}

void tst_Autorun::userChoiceSurvivesAStart()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, gnomeEnabled);
    QFETCH(QString, hidden);
    const QString path = QDir::homePath() + "/.config/autostart/voxbench_startup_probe.desktop";
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(before);
    file.close();

    QString line;
    startAndStop(PROBE_PATH, {"-autorun"}, &line);
    QCOMPARE(line, QStringLiteral("running visible=0"));
    const DesktopEntry entry = readDesktopEntry(path);
    QCOMPARE(entry.keys.value("Exec"), AutostartEntry::desktopExec(PROBE_PATH, " -autorun"));
    QCOMPARE(entry.keys.value("X-GNOME-Autostart-enabled"), gnomeEnabled);
    QCOMPARE(entry.keys.value("Hidden"), hidden);
    // What the log-on settings dialogs show.
    QCOMPARE(entry.keys.value("Icon"), QString(kApplicationId));
    QVERIFY(!entry.keys.value("Comment").isEmpty());
}

void tst_Autorun::userSwitchHoldsAcrossStarts()
{
    // The probe under the real program's name, so that starts and `voxbench
    // autostart` meet at one entry.
    QTemporaryDir bin;
    const QString program = bin.filePath("VoxBench");
    QVERIFY(QFile::copy(PROBE_PATH, program));
    const QString path = QDir::homePath() + "/.config/autostart/VoxBench.desktop";
    const auto start = [&program] {
        QString line;
        startAndStop(program, {"-autorun"}, &line);
        QCOMPARE(line, QStringLiteral("running visible=0"));
    };
    const auto state = [] { return runClient({"autostart"}).out; };

    // Switched off before VoxBench ever started: the first start leaves it off.
    QCOMPARE(runClient({"autostart", "off"}).exitCode, 0);
    start();
    QVERIFY(!QFile::exists(path));
    QCOMPARE(state(), QStringLiteral("off\n"));

    // First start registers it, later starts keep it on.
    QFile::remove(LogonStart::settingsPath());
    start();
    QCOMPARE(readDesktopEntry(path).keys.value("Exec"), AutostartEntry::desktopExec(program, " -autorun"));
    QCOMPARE(state(), QStringLiteral("on\n"));

    // Deleted by a settings tool: it stays deleted, start after start.
    QVERIFY(QFile::remove(path));
    start();
    start();
    QVERIFY(!QFile::exists(path));
    QCOMPARE(state(), QStringLiteral("off\n"));

    // Switched on in VoxBench: the entry starts the real program, and a start keeps it.
    const ClientRun on = runClient({"autostart", "on"});
    QCOMPARE(on.exitCode, 0);
    QVERIFY(on.out.isEmpty());
    QCOMPARE(readDesktopEntry(path).keys.value("Exec"),
             AutostartEntry::desktopExec(VOXBENCH_PATH, " -autorun"));
    start();
    QCOMPARE(state(), QStringLiteral("on\n"));

    // Switched off in VoxBench.
    QCOMPARE(runClient({"--no-start", "autostart", "off"}).exitCode, 0);
    QVERIFY(!QFile::exists(path));
    start();
    QVERIFY(!QFile::exists(path));

    // Switched off by hand or by a settings tool's switch: off for VoxBench too, and
    // "on" clears both keys.
    for (const QByteArray &off :
         {QByteArray("Hidden=true\n"), QByteArray("X-GNOME-Autostart-enabled=false\n")}) {
        writeFile(path, "[Desktop Entry]\nType=Application\nExec=/x/VoxBench -autorun\n" + off);
        start();
        QVERIFY(QFile::exists(path));
        QCOMPARE(state(), QStringLiteral("off\n"));
        QCOMPARE(runClient({"autostart", "on"}).exitCode, 0);
        const DesktopEntry entry = readDesktopEntry(path);
        QCOMPARE(entry.keys.value("Hidden"), QString());
        QCOMPARE(entry.keys.value("X-GNOME-Autostart-enabled"), QStringLiteral("true"));
        QCOMPARE(state(), QStringLiteral("on\n"));
    }

    const ClientRun wrong = runClient({"autostart", "maybe"});
    QCOMPARE(wrong.exitCode, 2);
    QVERIFY(wrong.err.contains("autostart takes on or off"));
}

void tst_Autorun::failedWriteIsIgnored()
{
    // A file where the folder should be: nothing can be written below it.
    QDir(QDir::homePath() + "/.config").removeRecursively();
    QVERIFY(QDir().mkpath(QDir::homePath() + "/.config"));
    QFile blocker(QDir::homePath() + "/.config/autostart");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    QVERIFY(!AutostartEntry("VoxBench", "/x/VoxBench", " -autorun").refresh());
    registerAutorun("/x/VoxBench");
    QString line;
    startAndStop(PROBE_PATH, {"-autorun"}, &line);
    QCOMPARE(line, QStringLiteral("running visible=0"));
    // A switch that cannot be written is reported, not claimed.
    const ClientRun on = runClient({"autostart", "on"});
    QCOMPARE(on.exitCode, 1);
    QCOMPARE(on.err, "voxbench: cannot write " + QDir::homePath() + "/.config/autostart/VoxBench.desktop\n");
    QVERIFY(QFile::remove(blocker.fileName()));

    // The failed first start is not taken as done: the next one registers.
    startAndStop(PROBE_PATH, {"-autorun"}, &line);
    QVERIFY(QFile::exists(QDir::homePath() + "/.config/autostart/voxbench_startup_probe.desktop"));
}

QTEST_GUILESS_MAIN(tst_Autorun)
#include "tst_Autorun.moc"
