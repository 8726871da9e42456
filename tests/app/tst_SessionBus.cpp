// The session bus's interface against the real program and the preloaded
// receiver emulator, on a private bus (CTest runs it under dbus-run-session):
// properties follow the command line and a rule, each failure names its
// error with the command line's text, 1,000 toggles are 1,000 signals in
// order, and listeners cost an idle VoxBench nothing.

#include "support/EventLoop.h"
#include "support/ProbeProcess.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

namespace {
const QString kService = QStringLiteral("io.github.voxbench.VoxBench");
const QString kPath = QStringLiteral("/io/github/voxbench/VoxBench");
const QString kInterface = QStringLiteral("io.github.voxbench.VoxBench1");
const QString kError = kInterface + QStringLiteral(".Error.");

QProcessEnvironment environment(const QString &emulator = QString())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_PRELOAD", EMULATOR_PATH);
    env.insert("VOXBENCH_EMU_LOG", QDir::homePath() + "/emu.log");
    env.insert("QT_LOGGING_RULES", "*.debug=false");
    if (!emulator.isEmpty())
        env.insert(emulator.section('=', 0, 0), emulator.section('=', 1));
    return env;
}

struct Run
{
    int code = -1;
    QString out, err;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    const int code = process.waitForFinished(30000) ? process.exitCode() : -1;
    return {code, process.readAllStandardOutput(), process.readAllStandardError()};
}

Run voxbench(const QStringList &arguments)
{
    return run(CLIENT_PATH, arguments);
}

QDBusInterface *bus()
{
    static QDBusInterface *interface =
        new QDBusInterface(kService, kPath, kInterface, QDBusConnection::sessionBus());
    return interface;
}

QVariant busProperty(const QString &name)
{
    return bus()->property(qPrintable(name));
}

bool owned()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(kService);
}

// The threads of a process, by name: their voluntary and involuntary switches.
qint64 switchesOf(qint64 pid, const QString &thread)
{
    qint64 total = 0;
    for (const QString &task : QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs)) {
        QFile status(QStringLiteral("/proc/%1/task/%2/status").arg(pid).arg(task));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = status.readAll().split('\n');
        if (lines.first().mid(6).trimmed() != thread.toUtf8())
            continue;
        for (const QByteArray &line : lines) {
            if (line.contains("ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
    }
    return total;
}
} // namespace

// Every PropertiesChanged of the interface, as it came.
class Listener : public QObject
{
    Q_OBJECT
public:
    Listener()
    {
        QDBusConnection::sessionBus().connect(kService, kPath, "org.freedesktop.DBus.Properties",
                                              "PropertiesChanged", this,
                                              SLOT(changed(QString, QVariantMap, QStringList)));
    }
    QList<QVariantMap> changes;
    // The values `name` was announced with, in order.
    QVariantList values(const QString &name) const
    {
        QVariantList list;
        for (const QVariantMap &change : changes) {
            if (!change.contains(name))
                continue;
            // Arrays of numbers come unmarshalled only on request.
            const QVariant value = change.value(name);
            list << (value.userType() == qMetaTypeId<QDBusArgument>()
                         ? QVariant::fromValue(qdbus_cast<QList<int>>(value))
                         : value);
        }
        return list;
    }
public slots:
    void changed(const QString &interface, const QVariantMap &properties, const QStringList &)
    {
        if (interface == kInterface)
            changes << properties;
    }
};

class tst_SessionBus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qDBusRegisterMetaType<QList<int>>();
        qDBusRegisterMetaType<QMap<QString, QString>>();
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
    }
    void cleanup()
    {
        if (owned())
            voxbench({"quit"});
        QVERIFY(waitFor([] { return !owned(); }, 5000));
    }
    void callStartsVoxBenchHidden();
    void propertiesFollowCommandsAndRules();
    void failuresNameTheirErrors();
    void togglesAreSignalledInOrder();
    void idleListenersCostNothing();
    void backgroundPortalAskedWithoutWaiting();
};

void tst_SessionBus::callStartsVoxBenchHidden()
{
    // The bus starts the program with what the emulator needs, as the desktop
    // would with its own session's environment.
    QMap<QString, QString> activation;
    const QProcessEnvironment env = environment();
    for (const QString &key :
         QStringList{"LD_PRELOAD", "VOXBENCH_EMU_LOG", "QT_LOGGING_RULES", "VOXBENCH_TEST_RUN"})
        activation.insert(key, env.value(key));
    QDBusMessage update =
        QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus", "UpdateActivationEnvironment");
    update << QVariant::fromValue(activation);
    QCOMPARE(QDBusConnection::sessionBus().call(update).type(), QDBusMessage::ReplyMessage);
    QVERIFY(!owned());
    const QDBusMessage reply = bus()->call("SetMicEnc", false);
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    QVERIFY(owned());
    const Run status = voxbench({"status", "--json"});
    const QJsonObject state = QJsonDocument::fromJson(status.out.toUtf8()).object();
    QCOMPARE(state["mic_enc"].toBool(), false);
    QCOMPARE(state["window_shown"].toBool(), false);
}

void tst_SessionBus::propertiesFollowCommandsAndRules()
{
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
    QVERIFY(waitFor([] { return owned() && busProperty("Attached").toBool(); }, 10000));
    Listener listener;
    QCOMPARE(busProperty("ProductId").value<ushort>(), ushort(0x4152));
    QCOMPARE(busProperty("Identity").toString(), QStringLiteral("0a1b2c3d"));
    QCOMPARE(busProperty("Surround71").toBool(), true);
    QCOMPARE(busProperty("Tab").toString(), QStringLiteral("stereo"));
    QCOMPARE(busProperty("StereoMode").toString(), QStringLiteral("PelagoPlay Standard"));
    QCOMPARE(busProperty("StereoModeOrigin").toString(), QStringLiteral("built-in"));
    QCOMPARE(busProperty("StereoGains").value<QList<int>>(),
             (QList<int>{-3, -3, -3, -3, -2, 0, 0, 0, 0, 10}));
    const bool enc = busProperty("MicEnc").toBool();

    // The command line changes it; the properties and their signals follow.
    QCOMPARE(voxbench({"mode", "add", "Night", "--tab", "stereo"}).code, 0);
    QCOMPARE(voxbench({"gains", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}).code, 0);
    QCOMPARE(voxbench({"enc", "toggle"}).code, 0);
    QCOMPARE(voxbench({"tab", "surround"}).code, 0);
    QCOMPARE(voxbench({"mode", "FPS", "--tab", "surround"}).code, 0);
    QCOMPARE(busProperty("StereoCustomModes").toStringList(), QStringList{"Night"});
    // Every mode of each tab, as `voxbench modes` lists them: what a menu offers.
    const QJsonObject listed =
        QJsonDocument::fromJson(voxbench({"modes", "--json"}).out.toUtf8())["modes"].toObject();
    for (const char *tab : {"stereo", "surround"}) {
        QStringList names;
        for (const QJsonValue mode : listed.value(tab).toArray())
            names << mode["name"].toString();
        QVERIFY(names.size() > 1);
        QCOMPARE(busProperty(tab == QLatin1String("stereo") ? "StereoModes" : "SurroundModes").toStringList(),
                 names);
    }
    QCOMPARE(busProperty("StereoMode").toString(), QStringLiteral("Night"));
    QCOMPARE(busProperty("StereoModeOrigin").toString(), QStringLiteral("custom"));
    QCOMPARE(busProperty("StereoGains").value<QList<int>>(), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    QCOMPARE(busProperty("MicEnc").toBool(), !enc);
    QCOMPARE(busProperty("Tab").toString(), QStringLiteral("surround"));
    QCOMPARE(busProperty("SurroundMode").toString(), QStringLiteral("FPS"));
    QTRY_COMPARE(listener.values("SurroundMode").value(0).toString(), QStringLiteral("FPS"));
    QCOMPARE(listener.values("StereoCustomModes").value(0).toStringList(), QStringList{"Night"});
    const QStringList announced = listener.values("StereoModes").value(0).toStringList();
    QCOMPARE(announced.isEmpty() ? QString() : announced.last(), QStringLiteral("Night"));
    QCOMPARE(listener.values("StereoGains").last().value<QList<int>>(),
             (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    QCOMPARE(listener.values("MicEnc"), QVariantList{!enc});
    QCOMPARE(listener.values("Tab"), QVariantList{"surround"});
    // Nothing is announced twice, nor what did not change.
    for (const QVariantMap &change : listener.changes)
        QVERIFY(!change.contains("Attached") && !change.contains("Identity"));

    // A rule takes over and lets go; pausing the rules is a property too.
    QCOMPARE(voxbench({"mode", "Night", "--tab", "stereo"}).code, 0);
    QCOMPARE(voxbench({"rule", "add", "quake3", "FPS", "--tab", "surround"}).code, 0);
    const QString game = QDir::homePath() + "/quake3";
    QVERIFY(QFile::copy("/bin/sleep", game));
    QProcess running;
    running.start(game, {"30"});
    QVERIFY(running.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(busProperty("Rule").toString(), QStringLiteral("quake3"), 2500);
    QCOMPARE(busProperty("Tab").toString(), QStringLiteral("surround"));
    running.kill();
    running.waitForFinished();
    QTRY_COMPARE_WITH_TIMEOUT(busProperty("Rule").toString(), QString(), 2500);
    QCOMPARE(busProperty("Tab").toString(), QStringLiteral("stereo"));
    QTRY_COMPARE(listener.values("Rule"), (QVariantList{"quake3", ""}));
    QCOMPARE(listener.values("Tab").mid(1), (QVariantList{"stereo", "surround", "stereo"}));
    QCOMPARE(voxbench({"rule", "pause"}).code, 0);
    QCOMPARE(busProperty("RulesPaused").toBool(), true);
    QTRY_COMPARE(listener.values("RulesPaused"), QVariantList{true});

    // busctl and gdbus read the same, and the installed file names the same interface.
    const Run busctl = run("busctl", {"--user", "get-property", kService, kPath, kInterface, "StereoMode"});
    QCOMPARE(busctl.out, QStringLiteral("s \"Night\"\n"));
    const Run introspected =
        run("gdbus", {"introspect", "--session", "--xml", "--dest", kService, "--object-path", kPath});
    // Every name of the interface's block: methods, arguments, properties.
    const auto names = [](const QString &xml) {
        const QString block = xml.section(kInterface, 1).section("</interface>", 0, 0);
        QStringList found;
        QRegularExpressionMatchIterator match =
            QRegularExpression(R"re(name="([^"]+)")re").globalMatch(block);
        while (match.hasNext())
            found << match.next().captured(1);
        found.sort();
        return found;
    };
    QFile xml(INTERFACE_XML);
    QVERIFY(xml.open(QIODevice::ReadOnly));
    const QStringList installed = names(QString::fromUtf8(xml.readAll()));
    QVERIFY(installed.contains("ToggleMicEnc") && installed.contains("RulesPaused"));
    QCOMPARE(names(introspected.out), installed);

    // Quit over the bus ends the program and gives the name up.
    QVERIFY(bus()->call("Quit").type() == QDBusMessage::ReplyMessage);
    QVERIFY(program.finished(5000));
    QVERIFY(waitFor([] { return !owned(); }, 2000));
}

void tst_SessionBus::failuresNameTheirErrors()
{
    const auto fails = [](const QDBusMessage &reply, const QStringList &command, const QString &code) {
        // The command line's answer to the same request: the same text, its code in the name.
        const Run r = voxbench(QStringList{"--json"} + command);
        const QJsonObject answer = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QString name = kError;
        for (const QString &part : code.split('-'))
            name += part.left(1).toUpper() + part.mid(1);
        if (reply.errorName() == name && answer["code"].toString() == code &&
            reply.errorMessage() == answer["error"].toString())
            return true;
        qWarning("%s: %s \"%s\" against %s", qPrintable(command.join(' ')), qPrintable(reply.errorName()),
                 qPrintable(reply.errorMessage()), qPrintable(r.out));
        return false;
    };
    {
        ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment("VOXBENCH_EMU_ABSENT=1"));
        QVERIFY(waitFor(owned, 10000));
        QCOMPARE(busProperty("Attached").toBool(), false);
        QVERIFY(fails(bus()->call("ToggleMicEnc"), {"enc", "toggle"}, "no-receiver"));
        QVERIFY(fails(bus()->call("ChooseMode", "FPS", "stereo"), {"mode", "FPS", "--tab", "stereo"},
                      "no-receiver"));
        QVERIFY(bus()->call("Quit").type() == QDBusMessage::ReplyMessage);
        QVERIFY(program.finished(5000));
    }
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
    QVERIFY(waitFor([] { return owned() && busProperty("Attached").toBool(); }, 10000));
    QVERIFY(fails(bus()->call("ChooseMode", "Nowhere", ""), {"mode", "Nowhere"}, "refused"));
    QVERIFY(fails(bus()->call("ChooseMode", "FPS", ""), {"mode", "FPS"}, "refused"));
    QVERIFY(fails(bus()->call("DeleteMode", "Nowhere", ""), {"mode", "delete", "Nowhere"}, "refused"));
    QVERIFY(fails(bus()->call("RenameMode", "FPS", "Mine", "stereo"),
                  {"mode", "rename", "FPS", "Mine", "--tab", "stereo"}, "refused"));
    QVERIFY(fails(bus()->call("AddMode", QString(30, 'x'), "stereo"),
                  {"mode", "add", QString(30, 'x'), "--tab", "stereo"}, "refused"));
    QCOMPARE(bus()->call("ChooseMode", "PelagoPlay Standard", "stereo").type(), QDBusMessage::ReplyMessage);
    QVERIFY(fails(
        bus()->call("SetGains", QVariant::fromValue(QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), "stereo"),
        {"gains", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "--tab", "stereo"}, "refused"));
    // What the command line refuses before it asks is refused here with its code.
    QCOMPARE(bus()->call("SetGains", QVariant::fromValue(QList<int>{1, 2}), "").errorName(),
             kError + "Usage");
    QCOMPARE(bus()->call("SelectTab", "mic-enc").errorName(), kError + "Usage");
    QCOMPARE(bus()->call("ChooseMode", "FPS", "sideways").errorName(), kError + "Usage");
    // Each success is an empty reply.
    QCOMPARE(bus()->call("SelectTab", "surround").type(), QDBusMessage::ReplyMessage);
    QCOMPARE(bus()->call("NextMode", "").type(), QDBusMessage::ReplyMessage);
    QCOMPARE(bus()->call("Show").type(), QDBusMessage::ReplyMessage);
}

void tst_SessionBus::togglesAreSignalledInOrder()
{
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
    QVERIFY(waitFor([] { return owned() && busProperty("Attached").toBool(); }, 10000));
    Listener listener;
    const bool first = busProperty("MicEnc").toBool();
    constexpr int kToggles = 1000;
    for (int i = 0; i < kToggles; ++i) {
        const QDBusMessage reply = bus()->call("ToggleMicEnc");
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }
    QTRY_COMPARE(listener.values("MicEnc").size(), kToggles);
    const QVariantList values = listener.values("MicEnc");
    for (int i = 0; i < kToggles; ++i)
        QCOMPARE(values[i].toBool(), i % 2 == 0 ? !first : first);
    QCOMPARE(listener.changes.size(), kToggles);
}

void tst_SessionBus::idleListenersCostNothing()
{
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
    QVERIFY(waitFor([] { return owned() && busProperty("Attached").toBool(); }, 10000));
    std::vector<std::unique_ptr<QProcess>> monitors;
    for (int i = 0; i < 10; ++i) {
        monitors.push_back(std::make_unique<QProcess>());
        monitors.back()->start("gdbus", {"monitor", "--session", "--dest", kService, "--object-path", kPath});
        QVERIFY(monitors.back()->waitForStarted());
    }
    spin(1500); // subscribed, and the receiver's start-up over
    const qint64 before = switchesOf(program.pid(), "QDBusConnection");
    spin(3000);
    QCOMPARE(switchesOf(program.pid(), "QDBusConnection"), before);
    for (const auto &monitor : monitors)
        QVERIFY(!monitor->readAllStandardOutput().contains("PropertiesChanged"));
    // One change reaches every listener once.
    QCOMPARE(voxbench({"enc", "toggle"}).code, 0);
    for (const auto &monitor : monitors) {
        QVERIFY(waitFor([&monitor] { return monitor->bytesAvailable() > 0 || monitor->waitForReadyRead(50); },
                        3000));
        spin(100);
        QCOMPARE(monitor->readAllStandardOutput().count("PropertiesChanged"), 1);
        monitor->kill();
        monitor->waitForFinished();
    }
}

QTEST_GUILESS_MAIN(tst_SessionBus)
// Keeping VoxBench running without its window asks the desktop's background
// portal; the portal takes its time, and nothing in VoxBench waits for it.
void tst_SessionBus::backgroundPortalAskedWithoutWaiting()
{
    constexpr int kPortalDelayMs = 4000;
    ProbeProcess portal("/usr/bin/python3", {PORTAL_SCRIPT, QString::number(kPortalDelayMs)});
    QCOMPARE(portal.waitForLine("ready"), QStringLiteral("ready"));
    QProcess program;
    program.setProcessEnvironment(environment());
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(VOXBENCH_PATH, {"-autorun"});
    QVERIFY(waitFor([] { return owned(); }, 10000));
    QCOMPARE(voxbench({"background"}).out, QStringLiteral("not chosen\n"));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(voxbench({"background", "on"}).out, QStringLiteral("on\n"));
    QCOMPARE(voxbench({"status"}).code, 0);
    QVERIFY2(clock.elapsed() < kPortalDelayMs - 1000, qPrintable(QString::number(clock.elapsed())));
    const QJsonObject call = QJsonDocument::fromJson(portal.waitForLine("{").toUtf8()).object();
    QCOMPARE(call["parent_window"].toString(), QString());
    QCOMPARE(call["options"]["autostart"], QJsonValue(false));
    QVERIFY(!call["options"]["reason"].toString().isEmpty());
    // The Response on the request's own path reaches the program.
    QByteArray output;
    QVERIFY(waitFor(
        [&] {
            program.waitForReadyRead(100);
            output += program.readAll();
            return output.contains("allowed: true");
        },
        kPortalDelayMs + 5000));
    // Switched off and on again from the command line: asked again, once.
    QCOMPARE(voxbench({"background", "off"}).out, QStringLiteral("off\n"));
    QCOMPARE(voxbench({"background", "on"}).out, QStringLiteral("on\n"));
    QVERIFY(!portal.waitForLine("{").isEmpty());
    QCOMPARE(voxbench({"quit"}).code, 0);
    QVERIFY(program.waitForFinished(5000));
    QCOMPARE(portal.lines().filter(QRegularExpression("^\\{")).size(), 2);
}

#include "tst_SessionBus.moc"
