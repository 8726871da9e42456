// The command line against the real program and the preloaded receiver
// emulator: every command's reports to the receiver, its output, its exit code
// and config.json afterwards; a command that starts VoxBench; commands at once;
// a receiver pulled out or missing; and hostile requests on the instance socket.

#include "platform/InstanceKeys.h"
#include "support/EventLoop.h"
#include "support/ProbeProcess.h"
#include "support/StoreFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QTest>
#include <sys/stat.h>

namespace {
constexpr quint8 kSetPeq = 0x21;
constexpr quint8 kSwitch = 0x31;
constexpr quint8 kSpectrum = 0x99;
const QString kIdentity = QStringLiteral("0a1b2c3d");

struct Result
{
    int code = -1;
    QString out;
    QString err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
};

// The value at a path of keys, "modes/stereo/name".
QJsonValue value(const QJsonObject &object, const QString &path)
{
    QJsonValue at = object;
    for (const QString &key : path.split('/'))
        at = at.toObject().value(key);
    return at;
}

QString emulatorLog()
{
    return QDir::homePath() + "/emu.log";
}

QProcessEnvironment environment(const QStringList &emulator = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LD_PRELOAD", EMULATOR_PATH);
    env.insert("VOXBENCH_EMU_LOG", emulatorLog());
    env.insert("QT_LOGGING_RULES", "*.debug=false");
    for (const QString &setting : emulator)
        env.insert(setting.section('=', 0, 0), setting.section('=', 1));
    return env;
}

QProcess *start(const QStringList &arguments, const QProcessEnvironment &env = environment())
{
    auto *process = new QProcess;
    process->setProcessEnvironment(env);
    process->start(VOXBENCH_PATH, arguments);
    return process;
}

Result finish(QProcess *process)
{
    Result result;
    if (process->waitForFinished(30000))
        result.code = process->exitCode();
    result.out = QString::fromUtf8(process->readAllStandardOutput());
    result.err = QString::fromUtf8(process->readAllStandardError());
    delete process;
    return result;
}

Result voxbench(const QStringList &arguments, const QProcessEnvironment &env = environment())
{
    return finish(start(arguments, env));
}

// The reports written to the emulated receiver, oldest first.
QVector<QByteArray> wire()
{
    QVector<QByteArray> reports;
    for (const QByteArray &line : readFile(emulatorLog()).split('\n')) {
        if (!line.isEmpty())
            reports << QByteArray::fromHex(line.mid(line.indexOf(' ') + 1).replace(" ", ""));
    }
    return reports;
}

quint8 at(const QByteArray &report, int byte)
{
    return quint8(report.at(byte));
}

// A SetPEQ packet's first band and mode code; a switch's surround, ENC and stereo bytes.
QVector<int> decoded(const QByteArray &report)
{
    if (at(report, 4) == kSetPeq)
        return {kSetPeq, at(report, 7), at(report, 43)};
    if (at(report, 4) == kSwitch)
        return {kSwitch, at(report, 8), at(report, 10), at(report, 11)};
    return {at(report, 4), at(report, 6)};
}

QVector<QVector<int>> wireSince(int count)
{
    QVector<QVector<int>> out;
    const QVector<QByteArray> all = wire();
    for (int i = count; i < all.size(); ++i)
        out << decoded(all[i]);
    return out;
}

// The uuid of a built-in preset in the program's default file of receiver 4152.
QString presetUuid(int type, const QString &name)
{
    const QString file = QFileInfo(VOXBENCH_PATH).path() + "/DefaultFile/VID-5A17&PID-4152.json";
    for (const QJsonValue &mode :
         QJsonDocument::fromJson(readFile(file)).object().value("defaultMode").toArray()) {
        if (mode["type"].toInt() == type && mode["name"].toString() == name)
            return mode["uuid"].toString();
    }
    return QString();
}

QString currentUuid()
{
    const QJsonArray current =
        QJsonDocument::fromJson(readFile(configPath())).object().value("currentMode").toArray();
    return current.isEmpty() ? QString() : current.first()["uuid"].toString();
}

// One request line on the instance socket; the answer line, or what the socket said.
QByteArray ask(const QByteArray &bytes, int waitMs = 5000)
{
    QLocalSocket socket;
    socket.connectToServer(InstanceKeys::activationServerName());
    if (!socket.waitForConnected(1000))
        return "no connection";
    socket.write(bytes);
    socket.waitForBytesWritten(1000);
    QElapsedTimer clock;
    clock.start();
    while (!socket.canReadLine() && clock.elapsed() < waitMs)
        socket.waitForReadyRead(100);
    return socket.readLine().trimmed();
}

// The instance a test started listens (and so takes no command for a second start).
bool listening()
{
    return waitFor(
        [] {
            QLocalSocket socket;
            socket.connectToServer(InstanceKeys::activationServerName());
            return socket.waitForConnected(100);
        },
        10000);
}

bool running()
{
    return voxbench({"--no-start", "status"}).code == 0;
}
} // namespace

class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void usageNeedsNoInstance();
    void commandsDriveReceiverAndWindow();
    void commandStartsVoxBenchAndQuits();
    void receiverWithoutSurroundPulledOrMissing();
    void hostileRequestsBlockNobody();
};

void tst_CommandLine::init()
{
    QDir(documents()).removeRecursively();
    QFile::remove(emulatorLog());
}

void tst_CommandLine::usageNeedsNoInstance()
{
    Result r = voxbench({"--version"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.startsWith("voxbench 1."));
    r = voxbench({"--help"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains("mode NAME [--tab surround|stereo]"));
    for (const QStringList &wrong : {QStringList{"bogus"},
                                     {"mode"},
                                     {"tab", "mic-enc"},
                                     {"enc", "maybe"},
                                     {"status", "--tab", "stereo"},
                                     {"quit", "--json"},
                                     {"--frobnicate"}}) {
        r = voxbench(wrong);
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.startsWith("voxbench: ") && r.err.count('\n') == 2, qPrintable(r.err));
    }
    r = voxbench({"--no-start", "status"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err, QStringLiteral("voxbench: VoxBench is not running\n"));
    QVERIFY(!QFile::exists(emulatorLog()));
}

void tst_CommandLine::commandsDriveReceiverAndWindow()
{
    // A custom surround mode with blanks in its name, for this receiver.
    QJsonObject custom =
        StoreFixture::mode(0, "Night Raid", "{c-1}", QJsonArray{1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    custom.insert("customizeType", 1);
    custom.insert("index", 0);
    QVERIFY(writeConfig(
        QJsonDocument(QJsonObject{{"currentMode", QJsonArray{}},
                                  {"customizeMode", QJsonArray{QJsonObject{{"deviceUuid", kIdentity},
                                                                           {"modes", QJsonArray{custom}},
                                                                           {"pid", "0x4152"},
                                                                           {"vid", "0x5A17"}}}}})
            .toJson()));
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());

    QVERIFY(listening());

    // Asked at once, status waits for the device page.
    Result r = voxbench({"status", "--json"});
    QCOMPARE(r.code, 0);
    QJsonObject status = r.json();
    QCOMPARE(value(status, "attached").toBool(), true);
    QCOMPARE(value(status, "receiver/product_id").toString(), QStringLiteral("0x4152"));
    QCOMPARE(value(status, "receiver/identity").toString(), kIdentity);
    QCOMPARE(value(status, "receiver/version").toString(), QStringLiteral("VXB-EMU 1.0.4"));
    QCOMPARE(value(status, "receiver/surround_7_1").toBool(), true);
    QCOMPARE(value(status, "tab").toString(), QStringLiteral("stereo"));
    QCOMPARE(value(status, "modes/stereo/name").toString(), QStringLiteral("PelagoPlay Standard"));
    QCOMPARE(value(status, "modes/surround/built_in").toBool(), true);
    QCOMPARE(value(status, "modes/stereo/gains").toArray().size(), 10);
    QCOMPARE(value(status, "mic_enc").toBool(), true);

    r = voxbench({"modes", "--json"});
    QCOMPARE(r.code, 0);
    const QJsonArray surround = value(r.json(), "modes/surround").toArray();
    QCOMPARE(surround.size(), 5);
    QCOMPARE(surround.last()["name"].toString(), QStringLiteral("Night Raid"));
    QCOMPARE(surround.last()["gains"].toArray().last().toInt(), 10);
    QCOMPARE(value(r.json(), "modes/stereo").toArray().size(), 4); // Jazz and Classic have no button
    r = voxbench({"modes"});
    QVERIFY2(r.out.contains("surround  custom    Night Raid\n"), qPrintable(r.out));

    r = voxbench({"mode", "FPS"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err, QStringLiteral("voxbench: \"FPS\" names several modes: \"FPS\" (surround, built-in), "
                                   "\"FPS\" (stereo, built-in); choose one with --tab\n"));
    r = voxbench({"mode", "Nowhere"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err, QStringLiteral("voxbench: no mode named \"Nowhere\"\n"));

    // On the shown tab a mode is exactly its button's click: both packets, then the switch.
    int sent = wire().size();
    r = voxbench({"mode", "pelagoplay", "standard", "--tab", "stereo"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("stereo: PelagoPlay Standard\n"));
    QCOMPARE(wireSince(sent), (QVector<QVector<int>>{{kSetPeq, 0, 5}, {kSetPeq, 5, 5}, {kSwitch, 0, 0, 1}}));
    QCOMPARE(currentUuid(), presetUuid(1, "Vorn Standard"));

    // On the other tab: the tab first (its mode again), then the button.
    sent = wire().size();
    r = voxbench({"mode", "fps", "--tab=surround"});
    QCOMPARE(r.code, 0);
    const QVector<QVector<int>> toSurround = wireSince(sent);
    QCOMPARE(toSurround.first(), (QVector<int>{kSpectrum, 0}));
    QCOMPARE(toSurround.mid(toSurround.size() - 3),
             (QVector<QVector<int>>{{kSetPeq, 5, 17}, {kSwitch, 1, 0, 0}, {kSwitch, 1, 0, 0}}));
    QCOMPARE(currentUuid(), presetUuid(0, "FPS"));

    // A custom mode: Customize, then its slot (code 22).
    sent = wire().size();
    r = voxbench({"mode", "NIGHT RAID"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("surround: Night Raid\n"));
    QCOMPARE(wireSince(sent).mid(wireSince(sent).size() - 3),
             (QVector<QVector<int>>{{kSetPeq, 0, 22}, {kSetPeq, 5, 22}, {kSwitch, 1, 0, 0}}));
    QCOMPARE(currentUuid(), QStringLiteral("{c-1}"));
    status = voxbench({"status", "--json"}).json();
    QCOMPARE(value(status, "modes/surround").toObject(),
             (QJsonObject{{"name", "Night Raid"},
                          {"built_in", false},
                          {"gains", QJsonArray{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}}));
    QCOMPARE(value(status, "algorithm").toString(), QStringLiteral("surround"));

    // Mic ENC as its box: one switch, nothing stored.
    const QByteArray config = readFile(configPath());
    sent = wire().size();
    r = voxbench({"enc", "off"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("Mic ENC: off\n"));
    QCOMPARE(wireSince(sent), (QVector<QVector<int>>{{kSwitch, 0, 2, 0}}));
    QCOMPARE(readFile(configPath()), config);

    sent = wire().size();
    r = voxbench({"tab", "stereo"});
    QCOMPARE(r.code, 0);
    QCOMPARE(wireSince(sent),
             (QVector<QVector<int>>{{kSpectrum, 1}, {kSetPeq, 0, 5}, {kSetPeq, 5, 5}, {kSwitch, 0, 0, 1}}));
    r = voxbench({"status"});
    QVERIFY2(r.out.contains("tab:           stereo\n") && r.out.contains("Mic ENC:       off\n") &&
                 r.out.contains("spectrum:      on\n"),
             qPrintable(r.out));

    // Two at once: both done, each in turn.
    QProcess *first = start({"mode", "Moba", "--tab", "surround"});
    QProcess *second = start({"enc", "on"});
    QCOMPARE(finish(first).code, 0);
    QCOMPARE(finish(second).code, 0);
    status = voxbench({"status", "--json"}).json();
    QCOMPARE(value(status, "modes/surround/name").toString(), QStringLiteral("Moba"));
    QCOMPARE(value(status, "tab").toString(), QStringLiteral("surround"));
    QCOMPARE(value(status, "mic_enc").toBool(), true);

    QCOMPARE(voxbench({"show"}).out, QStringLiteral("shown\n"));
    r = voxbench({"quit"});
    QCOMPARE(r.code, 0);
    QVERIFY(program.finished(5000));
    QCOMPARE(decoded(wire().last()), (QVector<int>{kSwitch, 2, 2, 2}));
}

void tst_CommandLine::commandStartsVoxBenchAndQuits()
{
    QCOMPARE(voxbench({"quit"}).out, QStringLiteral("VoxBench is not running\n"));
    QElapsedTimer clock;
    clock.start();
    Result r = voxbench({"mode", "Flat", "--tab", "stereo"});
    QCOMPARE(r.code, 0);
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(currentUuid(), presetUuid(1, "Deep Bass"));
    // Hidden as at log-on, with the log-on entry written.
    QVERIFY(QFile::exists(QDir::homePath() + "/.config/autostart/VoxBench.desktop"));
    QCOMPARE(voxbench({"quit"}).code, 0);
    QVERIFY(!running());
}

void tst_CommandLine::receiverWithoutSurroundPulledOrMissing()
{
    {
        ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment({"VOXBENCH_EMU_71=0"}));
        QVERIFY(listening());
        Result r = voxbench({"tab", "surround"});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err,
                 QStringLiteral(
                     "voxbench: the receiver offers no 7.1 surround; VoxBench stays on the stereo tab\n"));
        QCOMPARE(value(voxbench({"status", "--json"}).json(), "tab").toString(), QStringLiteral("stereo"));
        QCOMPARE(voxbench({"mode", "FPS", "--tab", "surround"}).code, 1);
        QCOMPARE(voxbench({"quit"}).code, 0);
        QVERIFY(program.finished(5000));
    }
    {
        // Pulled out on the first packet the command sends (the start sends four).
        ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment({"VOXBENCH_EMU_VANISH_AFTER_PEQ=5"}));
        QVERIFY(listening());
        QCOMPARE(voxbench({"status"}).code, 0);
        Result r = voxbench({"mode", "Flat", "--tab", "stereo"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.startsWith("voxbench: ") && r.err.count('\n') == 1, qPrintable(r.err));
        QCOMPARE(voxbench({"status"}).code, 0);
        QCOMPARE(voxbench({"quit"}).code, 0);
        QVERIFY(program.finished(5000));
    }
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment({"VOXBENCH_EMU_ABSENT=1"}));
    QVERIFY(listening());
    QCOMPARE(value(voxbench({"status", "--json"}).json(), "attached").toBool(), false);
    Result r = voxbench({"enc", "on"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err, QStringLiteral("voxbench: no receiver is plugged in\n"));
    QCOMPARE(voxbench({"quit"}).code, 0);
}

void tst_CommandLine::hostileRequestsBlockNobody()
{
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
    QVERIFY(listening());
    QCOMPARE(voxbench({"status"}).code, 0);
    // Only this user reaches the socket.
    struct stat folder;
    QCOMPARE(::stat(QFile::encodeName(QFileInfo(InstanceKeys::activationServerName()).path()), &folder), 0);
    QCOMPARE(folder.st_mode & 0777, 0700u);

    // A client that stalls half-way through its line holds up no one else.
    QLocalSocket stalled;
    stalled.connectToServer(InstanceKeys::activationServerName());
    QVERIFY(stalled.waitForConnected(1000));
    stalled.write("command {\"verb\":");
    stalled.flush();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(voxbench({"status"}).code, 0);
    QVERIFY(clock.elapsed() < 1500);
    QVERIFY(stalled.waitForReadyRead(3000));
    QCOMPARE(stalled.readLine(), QByteArray("error request timed out\n"));

    QCOMPARE(ask("\x01\xff garbage\n"), QByteArray("error unknown request"));
    QCOMPARE(ask("command {not json\n"), QByteArray("{\"error\":\"bad request\",\"ok\":false}"));
    QCOMPARE(ask("command {\"verb\":\"format-disk\"}\n"),
             QByteArray("{\"error\":\"unknown command\",\"ok\":false}"));
    QCOMPARE(ask(QByteArray(5000, 'x')), QByteArray("error request too long"));
    QCOMPARE(ask(QByteArray(1 << 20, 'y') + '\n'), QByteArray("error request too long"));
    {
        // Killed half-way: the connection just ends.
        QLocalSocket killed;
        killed.connectToServer(InstanceKeys::activationServerName());
        QVERIFY(killed.waitForConnected(1000));
        killed.write("command {\"verb\":\"mo");
        killed.flush();
        killed.abort();
    }
    QCOMPARE(ask("activate NoSuchWindow\n"), QByteArray("0"));
    Result r = voxbench({"status", "--json"});
    QCOMPARE(r.code, 0);
    QCOMPARE(value(r.json(), "attached").toBool(), true);
    QCOMPARE(voxbench({"quit"}).code, 0);
    QVERIFY(program.finished(5000));
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_CommandLine.moc"
