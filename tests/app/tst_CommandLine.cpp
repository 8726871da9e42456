// The command line (the small voxbench client) against the real program and the preloaded receiver
// emulator: every command's reports to the receiver, its output, its exit code
// and config.json afterwards; a command that starts VoxBench; commands at once;
// a receiver pulled out or missing; and hostile requests on the instance socket.

#include "command/CommandVerbs.h"
#include "platform/InstanceActivator.h"
#include "platform/InstanceKeys.h"
#include "platform/InstanceLock.h"
#include "presets/ModeFile.h"
#include "support/EventLoop.h"
#include "support/ProbeProcess.h"
#include "support/StoreFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {
using Reports = QVector<QVector<int>>;
constexpr int kPeq = 0x21;
constexpr int kSwitch = 0x31;
constexpr int kSpectrum = 0x99;
// Presets of the default file of receiver 4152, and the emulated receiver's identity.
const QString kSurroundFps = QStringLiteral("{6381d3db-b663-4e08-a294-8142f9c23c2c}");
const QString kStereoStandard = QStringLiteral("{40d2d3cb-9e51-41ae-ad77-c7c7f722dec9}");
const QString kStereoDeepBass = QStringLiteral("{b76261a1-a951-4deb-891d-fc919a097786}");
const QString kIdentity = QStringLiteral("0a1b2c3d");

struct Result
{
    int code = -1;
    QString out, err;
    // The value at a path of keys of the JSON printed, "modes/stereo/name".
    QJsonValue at(const QString &path) const
    {
        QJsonValue value = QJsonDocument::fromJson(out.toUtf8()).object();
        for (const QString &key : path.split('/'))
            value = value.toObject().value(key);
        return value;
    }
};

// The words of each entry of the manual page's COMMANDS, without roff.
QList<QStringList> manualCommands()
{
    QFile page(MAN_PAGE);
    if (!page.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(page.readAll());
    const int from = text.indexOf(".SH COMMANDS");
    const QStringList lines = text.mid(from, text.indexOf("\n.SH ", from + 1) - from).split('\n');
    QList<QStringList> entries;
    for (int i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] != ".TP")
            continue;
        QString entry = lines[i + 1].mid(lines[i + 1].indexOf(' '));
        entry.remove(QRegularExpression(R"(\\f.)")).replace("\\-", "-").remove('"');
        entries << entry.replace(QRegularExpression("[][|]"), " ").split(' ', Qt::SkipEmptyParts);
    }
    return entries;
}

QString emulatorLog()
{
    return QDir::homePath() + "/emu.log";
}

QProcessEnvironment environment(const QString &emulator = QString())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_PRELOAD", EMULATOR_PATH);
    env.insert("VOXBENCH_EMU_LOG", emulatorLog());
    env.insert("QT_LOGGING_RULES", "*.debug=false");
    if (!emulator.isEmpty())
        env.insert(emulator.section('=', 0, 0), emulator.section('=', 1));
    return env;
}

std::unique_ptr<QProcess> start(const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->start(CLIENT_PATH, arguments);
    return process;
}

Result finish(const std::unique_ptr<QProcess> &process)
{
    const int code = process->waitForFinished(30000) ? process->exitCode() : -1;
    return {code, process->readAllStandardOutput(), process->readAllStandardError()};
}

Result voxbench(const QStringList &arguments)
{
    return finish(start(arguments));
}

// A command that fails (exit 1) with this one line on standard error.
bool fails(const QStringList &arguments, const QString &error)
{
    const Result r = voxbench(arguments);
    if (r.code == 1 && r.err == "voxbench: " + error + "\n")
        return true;
    qWarning("exit %d, stderr %s", r.code, qPrintable(r.err));
    return false;
}

struct Sent
{
    qint64 ms = 0; // when the receiver took it
    QVector<int> report;
};

// The reports written to the emulated receiver after the first `from`: a SetPEQ
// as its first band and mode code, a switch as its surround, ENC and stereo bytes.
QVector<Sent> sentReports(int from = 0)
{
    QVector<Sent> reports;
    QList<QByteArray> lines = readFile(emulatorLog()).split('\n');
    lines.removeLast(); // empty, or a line still being written
    for (QByteArray line : lines) {
        const int space = line.indexOf(' ');
        const QByteArray r = QByteArray::fromHex(line.mid(space + 1).replace(" ", ""));
        const int command = r.size() > 43 ? quint8(r[4]) : 0;
        const qint64 ms = line.left(space).toLongLong();
        if (command == kPeq)
            reports.append({ms, {kPeq, r[7], r[43]}});
        else if (command == kSwitch)
            reports.append({ms, {kSwitch, r[8], r[10], r[11]}});
        else if (command)
            reports.append({ms, {command, r[6]}});
    }
    return reports.mid(from);
}
Reports wire(int from = 0)
{
    Reports reports;
    for (const Sent &sent : sentReports(from))
        reports << sent.report;
    return reports;
}

// What the receiver must see after report `from`: the `lead` reports first, then
// the uploads of the mode codes `codes`, each as its two halves with the second
// at least 20 ms after the first, and after each second half the `algorithm`
// switch its acknowledgement brings; the last halves written are the last code's,
// the mode the receiver is left with. How two uploads interleave is none of its
// business. Empty when all holds, else what does not.
QString uploadFaults(int from, const Reports &lead, const QVector<int> &codes, const QVector<int> &algorithm)
{
    const QVector<Sent> sent = sentReports(from);
    QStringList seen;
    for (const Sent &s : sent) {
        QStringList bytes;
        for (const int b : s.report)
            bytes << QString::number(b);
        seen << QString::number(s.ms) + ":" + bytes.join(',');
    }
    const QString all = " in " + seen.join(' ');
    if (wire(from).mid(0, lead.size()) != lead)
        return "not led by the expected reports" + all;
    QMap<int, qint64> firstAt, secondAt;
    int secondHalves = 0, switches = 0, lastFirst = -1, lastSecond = -1;
    for (const Sent &s : sent.mid(lead.size())) {
        const QVector<int> &r = s.report;
        if (r.value(0) == kPeq && codes.contains(r[2])) {
            QMap<int, qint64> &at = r[1] == 0 ? firstAt : secondAt;
            if (at.contains(r[2]) || (r[1] == 5 && !firstAt.contains(r[2])))
                return QString("half %1 of mode %2 out of turn").arg(r[1]).arg(r[2]) + all;
            at[r[2]] = s.ms;
            (r[1] == 0 ? lastFirst : lastSecond) = r[2];
            secondHalves += r[1] == 5;
        } else if (r == algorithm) {
            if (++switches > secondHalves)
                return "a switch before its acknowledgement" + all;
        } else {
            return "an unexpected report" + all;
        }
    }
    for (const int code : codes) {
        if (!secondAt.contains(code))
            return QString("mode %1 not uploaded whole").arg(code) + all;
        if (secondAt[code] - firstAt[code] < 20)
            return QString("the halves of mode %1 less than 20 ms apart").arg(code) + all;
    }
    if (switches != codes.size())
        return QString("%1 switches for %2 uploads").arg(switches).arg(codes.size()) + all;
    if (lastFirst != codes.last() || lastSecond != codes.last())
        return "the receiver is left with another mode" + all;
    return QString();
}
// The number of reports written, once no more have come for a while.
int quietWire()
{
    int count = -1, before;
    do {
        before = count;
        spin(200);
        count = wire().size();
    } while (count != before);
    return count;
}

QString currentUuid()
{
    return QJsonDocument::fromJson(readFile(configPath()))["currentMode"][0]["uuid"].toString();
}

QLocalSocket *connected(QLocalSocket &socket)
{
    socket.connectToServer(InstanceActivator::runningServerName());
    return socket.waitForConnected(1000) ? &socket : nullptr;
}

// One request on the instance socket; the answer line.
QByteArray ask(const QByteArray &bytes)
{
    QLocalSocket socket;
    if (!connected(socket))
        return "no connection";
    socket.write(bytes);
    QByteArray line;
    // The server answers within 3 s of taking a request; at a load of 7, beside
    // fifty watcher processes woken by every change, a line once took over 5 s.
    do {
        while (!socket.canReadLine() && socket.waitForReadyRead(15000)) {
        }
        line = socket.readLine().trimmed();
    } while (line == InstanceActivator::kAccepted);
    return line;
}

// A command request with its two deadlines, as the client writes it, `acceptIn`
// and `answerIn` ms from now.
QByteArray timedRequest(qint64 acceptIn, qint64 answerIn, const QByteArray &body)
{
    const qint64 now = InstanceActivator::now();
    return "command " + QByteArray::number(now + acceptIn) + ' ' + QByteArray::number(now + answerIn) + ' ' +
           body + '\n';
}

// Running VoxBench programs of this test's home (tests run side by side).
int instancesOfThisHome()
{
    const QByteArray home = "HOME=" + QFile::encodeName(QDir::homePath());
    const QString program = QFileInfo(VOXBENCH_PATH).canonicalFilePath();
    int count = 0;
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
        if (QFileInfo("/proc/" + pid + "/exe").canonicalFilePath() != program)
            continue;
        QFile environ("/proc/" + pid + "/environ");
        if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(home))
            ++count;
    }
    return count;
}

// An instance started by the test listens, and so takes no command for a second start.
bool listening()
{
    return waitFor([] { return ask("\n") == "error unknown request"; }, 10000);
}
} // namespace

class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(documents()).removeRecursively();
        QFile::remove(emulatorLog());
    }
    // Passed or failed, a test leaves no VoxBench of its own running, also not
    // one that a command started.
    void cleanup()
    {
        const bool ended = waitFor([] { return instancesOfThisHome() == 0; }, 5000);
        if (!ended)
            voxbench({"quit"});
        QVERIFY2(ended, "a VoxBench outlived the test");
    }
    void usageNeedsNoInstance();
    void commandsDriveReceiverAndWindow();
    void commandStartsVoxBench();
    void displaylessStartHandsOverToADisplay();
    void receiverWithoutSurroundPulledSilentOrMissing();
    void modeFilesAndRulesForApplications();
    void hostileRequestsBlockNobody();
    void floodsDoNotSwitchCommandsOff();
    void stoppedInstanceRunsNothingLate();
    void failedSaveAnswersAtOnce();
    void hostileInputReachesNoTerminal();
    void oddFilesBesideConfigHoldNothingUp();
};

void tst_CommandLine::usageNeedsNoInstance()
{
    QCOMPARE(voxbench({"--version"}).out, QStringLiteral("voxbench " VOXBENCH_VERSION "\n"));
    QVERIFY(voxbench({"--help"}).out.contains("  mode NAME [--tab surround|stereo] choose a mode"));
    // The manual names each command of the table with its options and values, and no other.
    const QList<QStringList> manual = manualCommands();
    QVERIFY(manual.size() > 10);
    for (const QStringList &entry : manual)
        QVERIFY2(CommandVerbs::find(entry[0], QString()) || CommandVerbs::hasActions(entry[0]),
                 qPrintable(entry.join(' ')));
    for (const CommandVerbs::Verb *row = CommandVerbs::begin(); row != CommandVerbs::end(); ++row) {
        const QStringList actions = CommandVerbs::actions(row->verb).split(' ', Qt::SkipEmptyParts);
        const auto entry = std::find_if(manual.begin(), manual.end(), [&](const QStringList &words) {
            return words[0] == row->verb &&
                   (row->action.size() ? words.contains(row->action) : !actions.contains(words.value(1)));
        });
        QVERIFY2(entry != manual.end(), qPrintable(row->verb + ' ' + row->action));
        QStringList wanted = QString(row->values).split(' ', Qt::SkipEmptyParts);
        for (const auto &[flag, option] : {std::pair(CommandVerbs::kTabOption, "--tab"),
                                           {CommandVerbs::kGainsOption, "--gains"},
                                           {CommandVerbs::kNameOption, "--name"},
                                           {CommandVerbs::kChannelOption, "--channel"}}) {
            if (row->options & flag)
                wanted << option;
            else
                QVERIFY2(!entry->contains(option), qPrintable(entry->join(' ')));
        }
        for (const QString &word : wanted)
            QVERIFY2(entry->contains(word), qPrintable(entry->join(' ') + " lacks " + word));
    }
    for (const QStringList &wrong :
         {QStringList{"bogus"},
          {"mode"},
          {"tab", "mic-enc"},
          {"bogus", "--tab", "stereo"},
          {"mode", "next", "--name", "X"},
          {"rule", "list", "--tab", "stereo"},
          {"enc", "maybe"},
          {"background", "maybe"},
          {"status", "--tab", "stereo"},
          {"gains", "1", "2"},
          {"gains", "0", "0", "0", "0", "0", "0", "0", "0", "0", "13"},
          {"mode", "add", "X", "--gains", "1.5", "0", "0", "0", "0", "0", "0", "0", "0", "0"},
          {"mode", "rename", "Only"},
          {"mode", "next", "extra"},
          {"watch", "now"},
          {"enc", "--gains", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"},
          {"--frobnicate"},
          {"-v"},
          {"-x"},
          {"-autorun", "-v"},
          {"--bogus"}}) {
        const Result r = voxbench(wrong);
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.startsWith("voxbench: ") && r.err.count('\n') == 2, qPrintable(r.err));
        QVERIFY2(r.err.contains("\nUsage: voxbench "), qPrintable(r.err));
    }
    // The window program takes the same words the same way, and starts nothing.
    QProcess program;
    program.setProcessEnvironment(environment());
    program.start(VOXBENCH_PATH, {"-v"});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 2);
    QVERIFY(program.readAllStandardError().contains("unknown option -v\nUsage: voxbench "));
    QVERIFY(fails({"--no-start", "status"}, "VoxBench is not running"));
    // With --json a program reads the failure, with its code, on standard output.
    Result r = voxbench({"--json", "bogus"});
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out,
             QStringLiteral("{\"api\":1,\"code\":\"usage\",\"error\":\"unknown command \\\"bogus\\\"\","
                            "\"ok\":false}\n"));
    r = voxbench({"--no-start", "watch", "--json"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.at("code").toString(), QStringLiteral("not-running"));
    QCOMPARE(voxbench({"quit"}).out, QStringLiteral("VoxBench is not running\n"));
    QVERIFY(!QFile::exists(emulatorLog()));
}

void tst_CommandLine::commandsDriveReceiverAndWindow()
{
    // A custom surround mode with a blank in its name, for this receiver.
    QJsonObject custom =
        StoreFixture::mode(0, "Night Raid", "{c-1}", QJsonArray{1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    custom.insert("customizeType", 1);
    const QJsonObject receiver{{"deviceUuid", kIdentity}, {"modes", QJsonArray{custom}}, {"pid", "0x4152"}};
    QVERIFY(writeConfig(QJsonDocument(QJsonObject{{"customizeMode", QJsonArray{receiver}}}).toJson()));
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
    QVERIFY(listening());
    const auto watcher = start({"watch"});

    // Asked while the receiver is being opened, status waits for its page.
    Result r = voxbench({"status", "--json"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.at("attached").toBool(), true);
    QCOMPARE(r.at("receiver").toObject(), (QJsonObject{{"product_id", "0x4152"},
                                                       {"identity", kIdentity},
                                                       {"version", "VXB-EMU 1.0.4"},
                                                       {"surround_7_1", true}}));
    QCOMPARE(r.at("tab").toString(), QStringLiteral("stereo"));
    QCOMPARE(r.at("modes/stereo").toObject(),
             (QJsonObject{{"name", "PelagoPlay Standard"},
                          {"built_in", true},
                          {"gains", QJsonArray{-3, -3, -3, -3, -2, 0, 0, 0, 0, 10}}}));
    QCOMPARE(r.at("mic_enc").toBool(), true);
    QCOMPARE(r.at("window_shown").toBool(), true); // a log-on start shows it for a new receiver

    r = voxbench({"modes", "--json"});
    QCOMPARE(r.at("modes/surround").toArray().size(), 5);
    QCOMPARE(r.at("modes/surround").toArray().last()["name"].toString(), QStringLiteral("Night Raid"));
    QCOMPARE(r.at("modes/stereo").toArray().size(), 4); // Jazz and Classic have no button
    QVERIFY(voxbench({"modes"}).out.contains("\nsurround  custom    Night Raid\nstereo    built-in  FPS\n"));

    QVERIFY(fails({"mode", "FPS"}, "\"FPS\" names several modes: \"FPS\" (surround, built-in), "
                                   "\"FPS\" (stereo, built-in); choose one with --tab"));
    QVERIFY(fails({"mode", "Nowhere"}, "no mode named \"Nowhere\""));

    // On the tab shown a mode is its button's click: both packets, then the switch.
    int sent = quietWire();
    r = voxbench({"mode", "pelagoplay", "standard", "--tab", "stereo"});
    QCOMPARE(r.out, QStringLiteral("stereo: PelagoPlay Standard\n"));
    quietWire();
    QCOMPARE(uploadFaults(sent, {}, {5}, {kSwitch, 0, 0, 1}), QString());
    QCOMPARE(currentUuid(), kStereoStandard);

    // On the other tab: the tab (its mode again), then the button.
    sent = quietWire();
    QCOMPARE(voxbench({"mode", "fps", "--tab=surround"}).code, 0);
    quietWire();
    QCOMPARE(uploadFaults(sent, {{kSpectrum, 0}}, {19, 17}, {kSwitch, 1, 0, 0}), QString());
    QCOMPARE(currentUuid(), kSurroundFps);

    // A custom mode: Customize, which selects it, its only one (code 22).
    sent = quietWire();
    QCOMPARE(voxbench({"mode", "NIGHT RAID"}).out, QStringLiteral("surround: Night Raid\n"));
    quietWire();
    QCOMPARE(uploadFaults(sent, {}, {22}, {kSwitch, 1, 0, 0}), QString());
    QCOMPARE(currentUuid(), QStringLiteral("{c-1}"));
    r = voxbench({"status", "--json"});
    QCOMPARE(r.at("modes/surround").toObject(),
             (QJsonObject{{"name", "Night Raid"},
                          {"built_in", false},
                          {"gains", QJsonArray{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}}));
    QCOMPARE(r.at("algorithm").toString(), QStringLiteral("surround"));

    // Mic ENC as its box: one switch, nothing stored.
    const QByteArray config = readFile(configPath());
    sent = quietWire();
    QCOMPARE(voxbench({"enc", "off"}).out, QStringLiteral("Mic ENC: off\n"));
    QCOMPARE(wire(sent), (Reports{{kSwitch, 0, 2, 0}}));
    QCOMPARE(readFile(configPath()), config);

    sent = quietWire();
    QCOMPARE(voxbench({"tab", "stereo"}).out, QStringLiteral("tab: stereo\n"));
    quietWire();
    QCOMPARE(uploadFaults(sent, {{kSpectrum, 1}}, {5}, {kSwitch, 0, 0, 1}), QString());
    r = voxbench({"status"});
    QVERIFY2(r.out.contains("\ntab:           stereo\n") && r.out.contains("\nMic ENC:       off\n") &&
                 r.out.contains("\nspectrum:      on\n"),
             qPrintable(r.out));

    // Two at once: both done, one after the other.
    const auto first = start({"mode", "Moba", "--tab", "surround"});
    const auto second = start({"enc", "on"});
    QCOMPARE(finish(first).code, 0);
    QCOMPARE(finish(second).code, 0);
    r = voxbench({"status", "--json"});
    QCOMPARE(r.at("modes/surround/name").toString(), QStringLiteral("Moba"));
    QCOMPARE(r.at("tab").toString(), QStringLiteral("surround"));
    QCOMPARE(r.at("mic_enc").toBool(), true);

    // Editing modes: each as the window's buttons, on the tab shown.
    const auto stored = [](const QString &name) {
        for (const QJsonValue mode :
             QJsonDocument::fromJson(readFile(configPath()))["customizeMode"][0]["modes"].toArray())
            if (mode["name"] == name)
                return mode["parameter"].toArray();
        return QJsonArray();
    };
    sent = quietWire();
    r = voxbench({"mode", "add", "Late", "Night", "--tab", "stereo", "--gains", "-3", "-2", "-1", "0", "1",
                  "2", "3", "4", "5", "12"});
    QCOMPARE(r.out, QStringLiteral("stereo: Late Night\n"));
    // The stereo tab (its mode again), then the new mode (code 6) chosen.
    quietWire();
    QCOMPARE(uploadFaults(sent, {{kSpectrum, 1}}, {5, 6}, {kSwitch, 0, 0, 1}), QString());
    QCOMPARE(stored("Late Night"), (QJsonArray{-3, -2, -1, 0, 1, 2, 3, 4, 5, 12}));
    QCOMPARE(voxbench({"status", "--json"}).at("modes/stereo/name").toString(), QStringLiteral("Late Night"));
    sent = quietWire();
    r = voxbench({"gains", "1", "1", "1", "1", "1", "-1", "-1", "-1", "-1", "-12"});
    QCOMPARE(r.out, QStringLiteral("stereo: Late Night, gains 1 1 1 1 1 -1 -1 -1 -1 -12\n"));
    quietWire();
    QCOMPARE(uploadFaults(sent, {}, {6}, {kSwitch, 0, 0, 1}), QString());
    QCOMPARE(stored("Late Night"), (QJsonArray{1, 1, 1, 1, 1, -1, -1, -1, -1, -12}));
    sent = quietWire();
    r = voxbench({"--json", "mode", "rename", "late night", "Dawn"});
    QCOMPARE(r.at("api").toInt(), 1);
    QCOMPARE(r.at("name").toString(), QStringLiteral("Dawn"));
    QCOMPARE(quietWire(), sent); // a name is no business of the receiver
    QCOMPARE(stored("Dawn"), (QJsonArray{1, 1, 1, 1, 1, -1, -1, -1, -1, -12}));
    QCOMPARE(voxbench({"status", "--json"}).at("modes/stereo/name").toString(), QStringLiteral("Dawn"));
    for (int n = 0; n < 4; ++n)
        QCOMPARE(voxbench({"mode", "add"}).out, QStringLiteral("stereo: Mode0%1\n").arg(n + 1));
    // The window's refusals, with their texts and codes.
    const auto refused = [](const QStringList &arguments, const QString &error) {
        const Result r = voxbench(QStringList{"--json"} + arguments);
        return r.code == 1 && r.at("error").toString() == error && r.at("code").toString() == "refused";
    };
    QVERIFY(refused({"mode", "add", "More"}, "A tab keeps 5 custom modes"));
    QVERIFY(refused({"mode", "rename", "Dawn", "Mode01"}, "The current name has been applied"));
    QVERIFY(refused({"mode", "add", "Night Raid", "--tab", "surround"}, "The current name has been applied"));
    QVERIFY(refused({"mode", "rename", "Night Raid", QString(21, 'n')}, "A name has at most 20 characters"));
    // A mode that is not the chosen one keeps its new name in config.json.
    QCOMPARE(voxbench({"mode", "rename", "Night Raid", "Dusk"}).code, 0);
    QCOMPARE(stored("Dusk"), (QJsonArray{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    QVERIFY(refused({"gains", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "--tab", "surround"},
                    "a built-in preset cannot be changed"));
    QVERIFY(refused({"mode", "delete", "FPS", "--tab", "stereo"}, "a built-in preset cannot be changed"));
    // Steps go round the tab's modes in the order "modes" lists them.
    QCOMPARE(voxbench({"mode", "next"}).out, QStringLiteral("stereo: FPS\n"));
    QCOMPARE(voxbench({"mode", "previous"}).out, QStringLiteral("stereo: Mode04\n"));
    QCOMPARE(voxbench({"mode", "previous"}).out, QStringLiteral("stereo: Mode03\n"));
    // Delete as the Clear button: the mode that takes the slot is chosen.
    r = voxbench({"mode", "delete", "Dawn"});
    QCOMPARE(r.out, QStringLiteral("stereo: Dawn deleted\n"));
    QVERIFY(stored("Dawn").isEmpty());
    QCOMPARE(voxbench({"modes", "--json"}).at("modes/stereo").toArray().size(), 4 + 4);
    sent = quietWire();
    QCOMPARE(voxbench({"enc", "toggle"}).out, QStringLiteral("Mic ENC: off\n"));
    QCOMPARE(wire(sent), (Reports{{kSwitch, 0, 2, 0}}));

    QCOMPARE(voxbench({"show"}).out, QStringLiteral("shown\n"));
    QCOMPARE(voxbench({"quit"}).out, QStringLiteral("VoxBench has ended\n"));
    QVERIFY(program.finished(5000));
    QCOMPARE(wire().last(), (QVector<int>{kSwitch, 2, 2, 2}));
    // The watcher saw each change as a line, then the end.
    const Result watched = finish(watcher);
    QCOMPARE(watched.code, 0);
    QVERIFY2(watched.out.contains("\nsurround: Night Raid, Mic ENC on\nsurround: Night Raid, Mic ENC off\n"),
             qPrintable(watched.out));
    QVERIFY2(watched.out.endsWith("\nstereo: Mode03, Mic ENC on\nstereo: Mode01, Mic ENC on\n"
                                  "stereo: Mode01, Mic ENC off\nVoxBench has ended\n"),
             qPrintable(watched.out));
}

void tst_CommandLine::commandStartsVoxBench()
{
    // Each guard of a command's start on its own: while another command holds the
    // launch lock, or an instance holds the guard but listens nowhere yet, no
    // second VoxBench is started (it would only show a box).
    {
        InstanceLock launching;
        QVERIFY(launching.lockLaunch(0));
        const auto waiting = start({"status"});
        QVERIFY(!waitFor([] { return instancesOfThisHome() > 0; }, 1500));
        launching.unlockLaunch();
        QCOMPARE(finish(waiting).code, 0);
        QCOMPARE(voxbench({"quit"}).code, 0);
        QVERIFY(waitFor([] { return instancesOfThisHome() == 0; }, 5000));
    }
    {
        InstanceLock starting;
        QCOMPARE(starting.claim(), InstanceLock::Claim::First);
        const auto waiting = start({"status"});
        QVERIFY(!waitFor([] { return instancesOfThisHome() > 0; }, 1500));
        QVERIFY(finish(waiting).err.contains("cannot be reached"));
    }

    QElapsedTimer clock;
    clock.start();
    // Commands racing with nothing running start one VoxBench between them.
    std::vector<std::unique_ptr<QProcess>> racing;
    for (int n = 0; n < 4; ++n)
        racing.push_back(start({"status"}));
    const Result r = voxbench({"mode", "Flat", "--tab", "stereo"});
    for (const auto &client : racing)
        QCOMPARE(finish(client).code, 0);
    QCOMPARE(instancesOfThisHome(), 1);
    QCOMPARE(r.code, 0);
    QVERIFY(clock.elapsed() < 5000);
    // Started by a command, it stays hidden with its receiver up, until asked for.
    QCOMPARE(voxbench({"status", "--json"}).at("window_shown").toBool(), false);
    QCOMPARE(voxbench({"show"}).code, 0);
    QCOMPARE(voxbench({"status", "--json"}).at("window_shown").toBool(), true);
    QCOMPARE(currentUuid(), kStereoDeepBass);
    // Started as at log-on, which writes the log-on entry.
    QVERIFY(QFile::exists(QDir::homePath() + "/.config/autostart/VoxBench.desktop"));
    QCOMPARE(voxbench({"quit"}).code, 0);
    QCOMPARE(voxbench({"--no-start", "status"}).code, 1);

    // A start through the client with Qt's options becomes the window program itself.
    ProbeProcess started(CLIENT_PATH, {"-platform", "offscreen", "-style=fusion", "-reverse", "-autorun"},
                         environment());
    QVERIFY(listening());
    QCOMPARE(QFileInfo(QString("/proc/%1/exe").arg(started.pid())).canonicalFilePath(),
             QFileInfo(VOXBENCH_PATH).canonicalFilePath());
    QCOMPARE(voxbench({"quit"}).code, 0);
    QVERIFY(started.finished(5000));
    QCOMPARE(started.exitCode(), 0);

    // Log-on start switched by the client starts the window program, not the client.
    const QString entry = QDir::homePath() + "/.config/autostart/VoxBench.desktop";
    QCOMPARE(voxbench({"autostart", "off"}).code, 0);
    QVERIFY(!QFile::exists(entry));
    QCOMPARE(voxbench({"autostart", "on"}).code, 0);
    QVERIFY(readFile(entry).contains("\nExec=\"" + QFile::encodeName(VOXBENCH_PATH) + "\" -autorun\n"));
}

// From ssh or a user service: no display, no widgets, the receiver and commands
// still served; a start on a display takes over with the state left behind.
void tst_CommandLine::displaylessStartHandsOverToADisplay()
{
    QProcessEnvironment headless = environment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        headless.remove(name);
    ProbeProcess first(VOXBENCH_PATH, {}, headless);
    QVERIFY(listening());
    QCOMPARE(voxbench({"mode", "Flat", "--tab", "stereo"}).code, 0);
    QCOMPARE(voxbench({"enc", "off"}).code, 0);
    Result r = voxbench({"status", "--json"});
    QCOMPARE(r.at("attached").toBool(), true);
    QCOMPARE(r.at("window_shown").toBool(), false);
    // Nothing to show it on: "show" keeps it serving.
    QCOMPARE(voxbench({"show"}).code, 0);
    QCOMPARE(voxbench({"status", "--json"}).at("window_shown").toBool(), false);
    QCOMPARE(first.process().state(), QProcess::Running);

    ProbeProcess second(VOXBENCH_PATH, {}, environment());
    QVERIFY(first.finished(10000));
    QCOMPARE(first.exitCode(), 0);
    QVERIFY(listening());
    r = voxbench({"status", "--json"});
    QCOMPARE(r.at("window_shown").toBool(), true);
    QCOMPARE(r.at("modes/stereo/name").toString(), QStringLiteral("Flat"));
    QCOMPARE(r.at("mic_enc").toBool(), false);
    QCOMPARE(instancesOfThisHome(), 1);
    QCOMPARE(voxbench({"quit"}).code, 0);
    QVERIFY(second.finished(5000));
}

namespace {
QString written(const QString &name, const QByteArray &contents)
{
    const QString path = QDir::homePath() + '/' + name;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() ? path : QString();
}

QJsonArray gainsOf(std::initializer_list<int> gains)
{
    QJsonArray array;
    for (const int gain : gains)
        array.append(gain);
    return array;
}
} // namespace

// A mode exported on one receiver and imported on another; published curves
// fitted to the ten bands (values worked out apart in tst_PresetJson); a rule
// that follows a real process and lets go when it ends.
void tst_CommandLine::modeFilesAndRulesForApplications()
{
    QByteArray exported;
    {
        ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment("VOXBENCH_EMU_IDENTITY=11111111"));
        QVERIFY(listening());
        QCOMPARE(voxbench({"mode", "add", "Night", "--tab", "stereo", "--gains", "-3", "-2", "0", "0", "0",
                           "0", "1", "2", "3", "12"})
                     .code,
                 0);
        const Result r = voxbench({"mode", "export", "Night"});
        QCOMPARE(r.code, 0);
        exported = r.out.toUtf8();
        // Found as `mode night --tab stereo` finds it, and written under its own name.
        QCOMPARE(voxbench({"mode", "export", "night", "--tab", "stereo"}).out.toUtf8(), exported);
        QCOMPARE(voxbench({"--json", "mode", "export", "Nope"}).at("code").toString(),
                 QStringLiteral("refused"));
        QCOMPARE(voxbench({"quit"}).code, 0);
        QVERIFY(program.finished(5000));
    }
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment("VOXBENCH_EMU_IDENTITY=22222222"));
    QVERIFY(listening());
    int from = quietWire();
    Result r = voxbench({"--json", "mode", "import", written("night.json", exported)});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.at("name").toString(), QStringLiteral("Night"));
    QCOMPARE(r.at("tab").toString(), QStringLiteral("stereo"));
    QCOMPARE(r.at("largest_deviation_db").toDouble(), 0.0);
    quietWire();
    QVERIFY(wire(from).contains(QVector<int>({kPeq, 0, 6})) &&
            wire(from).contains(QVector<int>({kPeq, 5, 6})));
    // Kept for the second receiver, beside the first one's.
    const QJsonArray kept = QJsonDocument::fromJson(readFile(configPath()))["customizeMode"].toArray();
    QCOMPARE(kept.size(), 2);
    QCOMPARE(kept[1]["deviceUuid"].toString(), QStringLiteral("22222222"));
    QCOMPARE(kept[1]["modes"][0]["parameter"].toArray(), gainsOf({-3, -2, 0, 0, 0, 0, 1, 2, 3, 12}));

    r = voxbench({"--json", "mode", "import", "--tab", "surround",
                  written("curve.txt", "GraphicEQ: 20 -2; 40 4; 100 0; 1000 6; 10000 -20; 20000 -20\n")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.at("name").toString(), QStringLiteral("curve"));
    QCOMPARE(r.at("gains").toArray(), gainsOf({4, 5, 2, 4, 6, 8, 2, -7, -12, -12}));
    QCOMPARE(r.at("clamped_bands").toInt(), 2);
    QCOMPARE(QString::number(r.at("shift_db").toDouble(), 'f', 2), QStringLiteral("3.01"));
    QVERIFY(r.at("rms_deviation_db").toDouble() > 0 && r.at("largest_deviation_db").toDouble() > 8.0);
    // Per-channel sections: both sides averaged and the difference told, or one side; one band cut reads so.
    const QString sides = written("sides.txt", "Filter: ON PK Fc 120 Hz Gain 10 dB Q 1\n"
                                               "Filter: ON PK Fc 125 Hz Gain 8 dB Q 1\nChannel: R\n"
                                               "Filter: ON PK Fc 8000 Hz Gain 10 dB Q 2\n");
    r = voxbench({"mode", "import", "--tab", "stereo", sides});
    QVERIFY2(
        r.out.contains("left and right differ by up to 10.0 dB (2.1 dB RMS): both sides averaged; "
                       "--channel L or R imports one\ncut to the receiver's -12 to 12 dB: 1 band, by up to"),
        qPrintable(r.out));
    r = voxbench({"--json", "mode", "import", "--tab", "stereo", "--name", "Right", "--channel", "r", sides});
    QCOMPARE(r.at("channel").toString(), QStringLiteral("R"));
    QVERIFY(r.at("gains").toArray()[8].toInt() >= 4); // the right side's 8 kHz boost, 1 dB when averaged
    QCOMPARE(voxbench({"mode", "import", "--channel", "C", sides}).code, 2);
    r = voxbench({"mode", "import", "--tab", "stereo", "--name", "Cinema",
                  written("apo.txt", "Preamp: -6.5 dB\nFilter 1: ON PK Fc 1000 Hz Gain 6 dB Q 2\n"
                                     "Filter 2: ON LSC Fc 105 Hz Gain 5.5 dB Q 0.71\n"
                                     "Filter 3: ON HSC Fc 8000 Hz Gain -3 dB Q 0.71\n")});
    QVERIFY2(r.out.contains(
                 "stereo: Cinema added (read as Equalizer APO parametric)\ngains: 4 3 0 -1 -2 5 -2 -1 -3 -6\n"
                 "level: the curve moved by +5.0 dB so that its mean over 20 Hz-20 kHz is 0 dB\n"
                 "deviation from the curve over 20 Hz-20 kHz: 0.7 dB RMS, 3.5 dB at most\n"),
             qPrintable(r.out));
    QCOMPARE(
        voxbench({"--json", "mode", "import", written("notes.txt", "just notes\n")}).at("code").toString(),
        QStringLiteral("refused"));

    // While quake3 runs, FPS on the 7.1 tab; then back to Cinema on the stereo tab.
    QCOMPARE(voxbench({"rule", "add", "quake3", "FPS", "--tab", "surround"}).out,
             QStringLiteral("while quake3: FPS on surround\n"));
    QCOMPARE(voxbench({"--json", "rule", "add", "other", "FPS"}).at("code").toString(),
             QStringLiteral("refused"));
    const QString game = QDir::homePath() + "/quake3";
    QVERIFY(QFile::copy("/bin/sleep", game));
    QProcess running;
    running.start(game, {"30"});
    QVERIFY(running.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(voxbench({"status", "--json"}).at("rule/application").toString(),
                              QStringLiteral("quake3"), 2500);
    QCOMPARE(voxbench({"status", "--json"}).at("modes/surround/name").toString(), QStringLiteral("FPS"));
    QCOMPARE(voxbench({"status", "--json"}).at("tab").toString(), QStringLiteral("surround"));
    running.kill();
    running.waitForFinished();
    QTRY_VERIFY_WITH_TIMEOUT(voxbench({"status", "--json"}).at("rule").isNull(), 2500);
    QCOMPARE(voxbench({"status", "--json"}).at("tab").toString(), QStringLiteral("stereo"));
    QCOMPARE(voxbench({"status", "--json"}).at("modes/stereo/name").toString(), QStringLiteral("Cinema"));
    QCOMPARE(voxbench({"rule", "delete", "quake3"}).code, 0);
    QCOMPARE(voxbench({"--json", "rule", "delete", "quake3"}).at("code").toString(),
             QStringLiteral("refused"));
    // What closing the window does without a tray: unchosen until asked, then kept beside the rules.
    const QString programFile =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/VoxBench/program.conf";
    QCOMPARE(voxbench({"background"}).out, QStringLiteral("not chosen\n"));
    QVERIFY(voxbench({"--json", "background"}).at("background").isNull());
    QCOMPARE(voxbench({"background", "on"}).out, QStringLiteral("on\n"));
    QVERIFY(readFile(programFile).contains("keep-running-in-background=true"));
    QCOMPARE(voxbench({"background", "off"}).out, QStringLiteral("off\n"));
    QCOMPARE(voxbench({"--json", "background"}).at("background").toBool(true), false);
    QVERIFY(readFile(programFile).contains("keep-running-in-background=false"));
    QCOMPARE(voxbench({"quit"}).code, 0);
    QVERIFY(program.finished(5000));
}

void tst_CommandLine::receiverWithoutSurroundPulledSilentOrMissing()
{
    const auto withReceiver = [](const QString &emulator, const std::function<void()> &commands) {
        ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment(emulator));
        QVERIFY(listening());
        commands();
        const Result quit = voxbench({"quit"});
        QVERIFY2(quit.code == 0, qPrintable(quit.err));
        QVERIFY(program.finished(5000));
    };
    withReceiver("VOXBENCH_EMU_71=0", [] {
        // The window's box says it; the command line says the same, and no box
        // is left on the desktop to hold up the next command.
        QVERIFY(fails({"tab", "surround"}, "The device does not support this algorithm"));
        QElapsedTimer next;
        next.start();
        QCOMPARE(voxbench({"status", "--json"}).at("tab").toString(), QStringLiteral("stereo"));
        QVERIFY(next.elapsed() < 1000);
        QCOMPARE(voxbench({"mode", "FPS", "--tab", "surround"}).code, 1);
    });
    // Pulled out on the first packet the command sends (the start sends four).
    withReceiver("VOXBENCH_EMU_VANISH_AFTER_PEQ=5", [] {
        QCOMPARE(voxbench({"status"}).code, 0);
        QVERIFY(fails({"mode", "Flat", "--tab", "stereo"},
                      "the receiver did not take what was sent; was it pulled out?"));
    });
    withReceiver("VOXBENCH_EMU_SILENT=1", [] {
        QElapsedTimer unanswered;
        unanswered.start();
        QVERIFY(fails({"enc", "off"}, "no answer from the receiver"));
        const qint64 answerWait = unanswered.elapsed();
        // A request taken in time whose client gave up while it waited its turn
        // (here behind one the receiver never answers) is dropped, never run late.
        QLocalSocket running, late;
        QVERIFY(connected(running) && connected(late));
        running.write(timedRequest(3000, 20000, "{\"verb\":\"enc\",\"action\":\"on\"}"));
        running.waitForBytesWritten(1000);
        spin(100);
        late.write(timedRequest(1000, 1000, "{\"verb\":\"enc\",\"action\":\"on\"}"));
        late.waitForBytesWritten(1000);
        QByteArray lateLines;
        QVERIFY(waitFor([&] { return (lateLines += late.readAll()).contains(InstanceActivator::kAccepted); },
                        1000));
        QVERIFY(waitFor([&] { return running.readAll().contains("no answer from the receiver"); }, 5000));
        spin(int(answerWait) + 500); // what the late one would have waited, run
        QCOMPARE(lateLines + late.readAll(), QByteArray(InstanceActivator::kAccepted) + '\n');
        // Sixteen requests wait at most (the one running among them); more are
        // refused at once, and "show" and "quit" pass a full queue.
        std::vector<std::unique_ptr<QProcess>> waiting;
        for (int n = 0; n < 18; ++n)
            waiting.push_back(start({"--json", "enc", "on"}));
        const auto refused = [&waiting] {
            int count = 0;
            for (const auto &client : waiting)
                count += client->state() == QProcess::NotRunning &&
                         client->readAllStandardError().contains("too many commands at once") &&
                         client->readAllStandardOutput().contains("\"code\":\"busy\"");
            return count;
        };
        int refusedCount = 0;
        QVERIFY(waitFor([&] { return (refusedCount += refused()) >= 2; }, 3000));
        spin(300);
        QCOMPARE(refusedCount + refused(), 2);
        QElapsedTimer past;
        past.start();
        QCOMPARE(voxbench({"show"}).code, 0);
        QVERIFY(past.elapsed() < 1500);
        for (const auto &client : waiting)
            client->kill();
    });
    // Six custom modes of one tab in config.json: five have a button, and the
    // sixth is not offered, and says why when asked for.
    QJsonArray six;
    for (int n = 0; n < 6; ++n) {
        QJsonObject custom =
            StoreFixture::mode(0, QStringLiteral("Extra%1").arg(n + 1), QStringLiteral("{e-%1}").arg(n),
                               QJsonArray{n, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        custom.insert("customizeType", 1);
        custom.insert("index", n);
        six.append(custom);
    }
    const QJsonObject receiver{{"deviceUuid", kIdentity}, {"modes", six}, {"pid", "0x4152"}};
    QVERIFY(writeConfig(QJsonDocument(QJsonObject{{"customizeMode", QJsonArray{receiver}}}).toJson()));
    withReceiver(QString(), [] {
        QCOMPARE(voxbench({"modes", "--json"}).at("modes/surround").toArray().size(), 4 + 5);
        QVERIFY(
            fails({"mode", "Extra6"},
                  "\"Extra6\" is kept in config.json, but the surround tab shows only 5 custom modes and it "
                  "has no place among them; delete another custom mode of the tab to choose it"));
        QCOMPARE(voxbench({"mode", "Extra5"}).out, QStringLiteral("surround: Extra5\n"));
    });
    withReceiver("VOXBENCH_EMU_ABSENT=1", [] {
        QCOMPARE(voxbench({"status", "--json"}).at("attached").toBool(), false);
        QVERIFY(fails({"enc", "on"}, "no receiver is plugged in"));
        QCOMPARE(voxbench({"--json", "enc", "toggle"}).at("code").toString(), QStringLiteral("no-receiver"));
    });
}

void tst_CommandLine::hostileRequestsBlockNobody()
{
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
    QVERIFY(listening());
    struct stat folder; // only this user reaches the socket
    QCOMPARE(::stat(QFile::encodeName(QFileInfo(InstanceActivator::runningServerName()).path()), &folder), 0);
    QCOMPARE(folder.st_mode & 0777, 0700u);

    // A client stalled half-way through its line holds up no one, and is let go.
    QLocalSocket stalled;
    QVERIFY(connected(stalled));
    stalled.write("command {\"verb\":");
    stalled.flush();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(voxbench({"status"}).code, 0);
    QVERIFY(clock.elapsed() < 1500);
    QVERIFY(stalled.waitForReadyRead(3000));
    QCOMPARE(stalled.readLine(), QByteArray("error request timed out\n"));

    QCOMPARE(ask("\x01\xff garbage\n"), QByteArray("error unknown request"));
    QCOMPARE(ask("command {not json\n"),
             QByteArray("{\"code\":\"usage\",\"error\":\"bad request\",\"ok\":false}"));
    QCOMPARE(ask("command {\"verb\":\"rm\"}\n"),
             QByteArray("{\"code\":\"usage\",\"error\":\"unknown command\",\"ok\":false}"));
    QCOMPARE(ask(QByteArray(5000, 'x')), QByteArray("error request too long"));
    QCOMPARE(ask(QByteArray(1 << 20, 'y') + '\n'), QByteArray("error request too long"));
    QVERIFY(fails({"mode", QString(5000, 'x')}, "request too long"));
    // After the request line nothing more is kept: a client that goes on sending is cut off.
    const auto rss = [&program] {
        const QByteArray status = readFile(QString("/proc/%1/status").arg(program.pid()));
        return status.mid(status.indexOf("VmRSS:") + 6).trimmed().split(' ').value(0).toLongLong();
    };
    const qint64 before = rss();
    QLocalSocket flooding;
    QVERIFY(connected(flooding));
    flooding.write("command {\"verb\":\"status\"}\n");
    const QByteArray chunk(1 << 20, 'z');
    int sent = 0;
    for (; sent < 256 && flooding.state() == QLocalSocket::ConnectedState; ++sent) {
        flooding.write(chunk);
        flooding.waitForBytesWritten(1000);
    }
    QVERIFY2(sent < 256, "256 MB after the request line were taken");
    QVERIFY2(rss() - before < 32 * 1024, qPrintable(QString("%1 kB more").arg(rss() - before)));
    QLocalSocket killed; // half a request, then gone
    QVERIFY(connected(killed));
    killed.write("command {\"verb\":\"mo");
    killed.flush();
    killed.abort();
    QCOMPARE(ask("activate NoSuchWindow\n"), QByteArray("0"));
    QCOMPARE(voxbench({"status", "--json"}).at("attached").toBool(), true);
    QCOMPARE(voxbench({"quit"}).code, 0);
    QVERIFY(program.finished(5000));
}

// Idle connections by the thousand: the soft file limit is raised to the hard one,
// at most InstanceActivator::kMaxConnections are open at once, and where the
// descriptors run out all the same, the socket listens again afterwards.
void tst_CommandLine::floodsDoNotSwitchCommandsOff()
{
    const auto limited = [](const QString &limit) {
        QProcessEnvironment env = environment();
        // UBSan probes an object's vptr through a pipe of its own: with every
        // descriptor taken, as here on purpose, each probe reads as an invalid vptr.
        if (env.contains("UBSAN_OPTIONS")) {
            const QString none = QDir::homePath() + "/ubsan-no-vptr.supp";
            writeFile(none, "vptr_check:*\n");
            env.insert("UBSAN_OPTIONS", env.value("UBSAN_OPTIONS") + ":suppressions=" + none);
        }
        return std::make_unique<ProbeProcess>(
            "sh", QStringList{"-c", "ulimit " + limit + " && exec \"$0\" -autorun", VOXBENCH_PATH}, env);
    };
    const auto flood = [](int count) {
        std::vector<std::unique_ptr<QLocalSocket>> sockets;
        for (int i = 0; i < count; ++i) {
            sockets.push_back(std::make_unique<QLocalSocket>());
            sockets.back()->connectToServer(InstanceActivator::runningServerName());
            sockets.back()->waitForConnected(200);
        }
        return sockets;
    };
    const auto openFiles = [](qint64 pid) { return int(QDir(QString("/proc/%1/fd").arg(pid)).count()) - 2; };
    {
        // Fifty watchers and 2,000 changes in a row: each watcher gets every
        // change, in order; one killed half-way harms nobody; one that stops
        // reading is let go.
        ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
        QVERIFY(listening());
        bool on = voxbench({"status", "--json"}).at("mic_enc").toBool();
        std::vector<std::unique_ptr<QProcess>> watchers;
        for (int n = 0; n < 50; ++n)
            watchers.push_back(start({"--no-start", "watch", "--json"}));
        for (const auto &watcher : watchers)
            QVERIFY(watcher->canReadLine() || watcher->waitForReadyRead(5000));
        QLocalSocket follower, stuck;
        for (QLocalSocket *socket : {&follower, &stuck}) {
            QVERIFY(connected(*socket));
            socket->write("command {\"verb\":\"watch\"}\n");
            socket->waitForBytesWritten(1000);
        }
        stuck.setReadBufferSize(1024);
        const auto nextLine = [&follower](int waitMs) {
            QByteArray line;
            do {
                while (!follower.canReadLine() && follower.waitForReadyRead(waitMs)) {
                }
                line = follower.readLine();
            } while (line == QByteArray(InstanceActivator::kAccepted) + '\n');
            return line;
        };
        QCOMPARE(QJsonDocument::fromJson(nextLine(1000))["changed"].toArray(), QJsonArray{"state"});
        std::vector<qint64> lags;
        for (int n = 0; n < 2000; ++n) {
            QCOMPARE(ask("command {\"verb\":\"enc\",\"action\":\"toggle\"}\n"),
                     QByteArray(on ? "{\"mic_enc\":false,\"ok\":true}" : "{\"mic_enc\":true,\"ok\":true}"));
            on = !on;
            QElapsedTimer sinceAnswer;
            sinceAnswer.start();
            const QJsonDocument line = QJsonDocument::fromJson(nextLine(5000));
            lags.push_back(sinceAnswer.elapsed());
            QCOMPARE(line["changed"].toArray(), QJsonArray{"mic_enc"});
            QCOMPARE(line["mic_enc"].toBool(), on);
            if (n == 1000)
                watchers.front()->kill();
            QCoreApplication::processEvents();
        }
        // The line is out within a frame of the answer: as a rule, not on every
        // turn of a busy machine's scheduler (sanitizer builds run several times
        // slower and raise the bound from outside).
        std::nth_element(lags.begin(), lags.begin() + lags.size() / 2, lags.end());
        QVERIFY2(lags[lags.size() / 2] <= qMax(16, qEnvironmentVariableIntValue("VOXBENCH_STALL_LIMIT_MS")),
                 qPrintable(QString::number(lags[lags.size() / 2])));
        stuck.setReadBufferSize(0);
        QByteArray held;
        QVERIFY(waitFor(
            [&] {
                held += stuck.readAll();
                return stuck.state() == QLocalSocket::UnconnectedState;
            },
            3000));
        QVERIFY2(held.count('\n') < 2000, qPrintable(QString::number(held.count('\n'))));
        // Forty-nine watchers end with VoxBench: on a sanitizer build their exits
        // alone keep both cores busy for seconds.
        const Result quit = voxbench({"quit"});
        QVERIFY2(quit.code == 0, qPrintable(quit.err));
        QVERIFY(program.finished(20000));
        watchers.erase(watchers.begin());
        for (const auto &watcher : watchers) {
            const Result r = finish(watcher);
            QCOMPARE(r.code, 0);
            const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
            QCOMPARE(lines.size(), 1 + 2000 + 1);
            bool expected = on; // 2,000 toggles end where they began
            for (int n = 1; n <= 2000; ++n) {
                expected = !expected;
                QCOMPARE(QJsonDocument::fromJson(lines[n].toUtf8())["mic_enc"].toBool(), expected);
            }
            QCOMPARE(QJsonDocument::fromJson(lines.last().toUtf8())["changed"].toArray(), QJsonArray{"quit"});
        }
    }
    {
        auto program = limited("-S -n 256");
        QVERIFY(listening());
        const QByteArray limits = readFile(QString("/proc/%1/limits").arg(program->pid()));
        const QList<QByteArray> files =
            limits.mid(limits.indexOf("Max open files")).split('\n').front().simplified().split(' ');
        QCOMPARE(files.value(3), files.value(4)); // soft, hard
        const int idle = openFiles(program->pid());
        const auto sockets = flood(300);
        spin(300);
        QVERIFY2(openFiles(program->pid()) <= idle + InstanceActivator::kMaxConnections + 4,
                 qPrintable(QString::number(openFiles(program->pid()) - idle)));
        // The oldest idle ones made room, so a command still gets through.
        QLocalSocket &oldest = *sockets.front();
        QVERIFY(oldest.canReadLine() || oldest.waitForReadyRead(3000));
        QCOMPARE(oldest.readLine(), QByteArray(InstanceActivator::kBusy) + '\n');
        const Result quit = voxbench({"quit"});
        QVERIFY2(quit.code == 0, qPrintable(quit.err));
        QVERIFY(program->finished(5000));
    }
    auto program = limited("-n 48");
    QVERIFY(listening());
    {
        const auto sockets = flood(100);
        spin(2500); // the idle ones are let go
    }
    QVERIFY(waitFor([] { return voxbench({"status"}).code == 0; }, 5000));
    QCOMPARE(voxbench({"quit"}).code, 0);
    QVERIFY(program->finished(5000));
}

// Against a stopped VoxBench a command gives up after a few seconds, and what it
// asked for is not done when VoxBench goes on.
void tst_CommandLine::stoppedInstanceRunsNothingLate()
{
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
    QVERIFY(listening());
    const bool enc = voxbench({"status", "--json"}).at("mic_enc").toBool();
    QCOMPARE(::kill(program.pid(), SIGSTOP), 0);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(fails({"enc", enc ? "off" : "on"}, "VoxBench is not answering; is it stopped?"));
    QVERIFY(fails({"quit"}, "VoxBench is not answering; is it stopped?"));
    QVERIFY2(clock.elapsed() < 2 * 4000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(::kill(program.pid(), SIGCONT), 0);
    spin(1000);
    QCOMPARE(program.process().state(), QProcess::Running);
    QCOMPARE(voxbench({"status", "--json"}).at("mic_enc").toBool(), enc);

    // Each deadline on its own, with a verb that runs at once: past its accept-by,
    // or past its answer-by when it is read, a request is neither run nor answered.
    for (const QByteArray &request :
         {timedRequest(-1, 5000, "{\"verb\":\"quit\"}"), timedRequest(5000, -1, "{\"verb\":\"quit\"}")}) {
        QLocalSocket socket;
        QVERIFY(connected(socket));
        socket.write(request);
        socket.waitForBytesWritten(1000);
        spin(300);
        QVERIFY2(!socket.readAll().contains("ok"), request.constData());
        QCOMPARE(program.process().state(), QProcess::Running);
    }
    QCOMPARE(voxbench({"quit"}).code, 0);
    QVERIFY(program.finished(5000));
}

namespace {
// A command run by the shell with its standard streams redirected as `streams` says.
Result shell(const QString &streams, const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start("/bin/sh", QStringList{"-c", "exec \"$0\" \"$@\" " + streams, CLIENT_PATH} + arguments);
    const int code = process.waitForFinished(30000) ? process.exitCode() : -1;
    return {code, process.readAllStandardOutput(), process.readAllStandardError()};
}

// What no terminal may get: ESC, BEL, a line break inside a line, C1.
bool hasControl(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c != '\n' && (c < ' ' || (c >= 0x7f && c <= 0x9f) || c == QChar(0x2028));
    });
}

QString rulesFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/VoxBench/rules.conf";
}
} // namespace

// Names and text from files, another program's config.json and the outputs
// that show them; curves that are no numbers; files that never end; outputs
// that cannot be written; watchers that come and go.
void tst_CommandLine::hostileInputReachesNoTerminal()
{
    // A config.json from elsewhere with an OSC 52 clipboard write in a name: kept, shown escaped.
    const QString osc = QStringLiteral("\x1b]52;c;SGk=\a\nx");
    QJsonObject custom = StoreFixture::mode(1, osc, "{c-1}", QJsonArray{1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    custom.insert("customizeType", 1);
    const QJsonObject receiver{{"deviceUuid", kIdentity}, {"modes", QJsonArray{custom}}, {"pid", "0x4152"}};
    QVERIFY(writeConfig(QJsonDocument(QJsonObject{{"customizeMode", QJsonArray{receiver}}}).toJson()));
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
    QVERIFY(listening());
    const QString shown = QStringLiteral("\\e]52;c;SGk=\\x07\\nx");
    Result r = voxbench({"modes"});
    QVERIFY2(r.out.contains("\nstereo    custom    " + shown + "\n") && !hasControl(r.out),
             qPrintable(r.out));
    // Typed as it is shown, it is chosen; status and a watcher show it on one line.
    const auto watcher = start({"watch"});
    QVERIFY(watcher->waitForReadyRead(5000));
    QCOMPARE(voxbench({"mode", shown}).out, "stereo: " + shown + "\n");
    QVERIFY(voxbench({"status"}).out.contains("stereo mode:   " + shown + " (custom), gains 1 2 3"));
    QByteArray watched;
    QTRY_VERIFY_WITH_TIMEOUT(
        (watched += watcher->readAll()).contains("\nstereo: " + shown.toUtf8() + ", Mic ENC "), 3000);
    watcher->kill();
    QVERIFY(voxbench({"mode", "FPS", "--tab", "surround"}).code == 0);
    QCOMPARE(
        QJsonDocument::fromJson(readFile(configPath()))["customizeMode"][0]["modes"][0]["name"].toString(),
        osc);

    // Names from files and from the command line follow the same rule.
    const Result named =
        voxbench({"mode", "import", written("osc.json", ModeFile::write(osc, QString(), {}))});
    QCOMPARE(named.code, 1);
    QVERIFY2(named.err.startsWith("voxbench: the name \"\\e]52;c;") && !hasControl(named.err),
             qPrintable(named.err));
    QCOMPARE(voxbench({"--json", "mode", "add", "a\nb"}).at("code").toString(), QStringLiteral("refused"));
    QVERIFY(voxbench({"mode", "rename", shown, "bad\x1b[2J"}).err.contains("control characters"));
    const Result filter = voxbench(
        {"mode", "import",
         written("t.txt", "Filter 1: ON \x1b]0;" + QByteArray(3000, 'A') + "\a Fc 1 Hz Gain 1 dB Q 1")});
    QVERIFY2(filter.code == 1 && !hasControl(filter.err) && filter.err.size() < 300, qPrintable(filter.err));

    // A curve that is no number is the file's problem, named by its line, never wrong usage.
    r = voxbench({"--json", "mode", "import",
                  written("nan.txt", "Preamp: 0 dB\nFilter 1: ON PK Fc 1000 Hz Gain 6 dB Q 1e-320\n")});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.at("code").toString(), QStringLiteral("refused"));
    QVERIFY2(r.at("error").toString().contains("line 2: "), qPrintable(r.out));

    // A FIFO nobody writes and a pipe nobody closes: given up after 10 s, saying why.
    const QString fifo = QDir::homePath() + "/curve.fifo";
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    const auto fromFifo = start({"mode", "import", fifo});
    const auto fromPipe = start({"mode", "import", "-"});
    const Result fifoResult = finish(fromFifo), pipeResult = finish(fromPipe);
    QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
    for (const Result &stuck : {fifoResult, pipeResult}) {
        QCOMPARE(stuck.code, 1);
        QVERIFY2(stuck.err.contains("(up to 10 s)\n") && stuck.err.contains("did not end within 10 s"),
                 qPrintable(stuck.err));
    }
    QVERIFY(pipeResult.err.startsWith("voxbench: waiting for standard input to end"));

    // Output that cannot be written (a full disk, a closed stdout) is a failure, said where it can be.
    const QString full = QDir::homePath() + "/full";
    QVERIFY(QDir().mkpath(full));
    const bool mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=4k", "tmpfs", full}) == 0;
    const auto unmount = qScopeGuard([&] {
        if (mounted)
            QProcess::execute("umount", {full});
    });
    if (mounted)
        QProcess::execute("sh", {"-c", "yes > \"$0\"/fill", full});
    for (const QString &streams :
         {mounted ? ">" + full + "/out" : QStringLiteral(">&-"), QStringLiteral(">&-")}) {
        for (const QStringList &command : {QStringList{"status"},
                                           {"modes"},
                                           {"status", "--json"},
                                           {"mode", "export", shown},
                                           {"--version"}}) {
            r = shell(streams, command);
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.startsWith("voxbench: the output could not be written: "), qPrintable(r.err));
        }
    }
    r = shell(">&- 2>&-", {"status"});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err, QString());

    // Watchers that went free their places at once, with nothing changing meanwhile.
    for (int n = 0; n < 100; ++n) {
        QLocalSocket socket;
        QVERIFY(connected(socket));
        socket.write("command {\"verb\":\"watch\"}\n");
        while (socket.bytesAvailable() < 40 && socket.waitForReadyRead(3000)) {
        }
        QVERIFY2(!socket.readAll().contains("error"), qPrintable(QString::number(n)));
    }
    QVERIFY(!ask("command {\"verb\":\"watch\"}\n").contains("busy"));

    // A watcher that stops reading is cut off, and told that it lagged, not that VoxBench went.
    // JSON lines are long, so that fewer changes fill what VoxBench keeps.
    const auto lagging = start({"watch", "--json"});
    QVERIFY(lagging->waitForReadyRead(5000));
    ::kill(pid_t(lagging->processId()), SIGSTOP);
    // Changes until the socket's buffer and the backlog VoxBench keeps are full, and it lets go.
    const auto descriptors = [&program] { return QDir(QString("/proc/%1/fd").arg(program.pid())).count(); };
    const uint withWatcher = descriptors();
    const qint64 lineBytes = lagging->readLine().size();
    constexpr int kBatch = 16; // toggles asked side by side, each on its own connection
    // Past the backlog and whatever the socket itself holds (a few hundred kB):
    // a count of descriptors seen low on the way is no proof that it was let go.
    for (qint64 sent = 0; sent < 4 * InstanceActivator::kMaxStreamBacklog; sent += kBatch * lineBytes) {
        std::vector<std::unique_ptr<QLocalSocket>> batch;
        for (int n = 0; n < kBatch; ++n) {
            batch.push_back(std::make_unique<QLocalSocket>());
            QVERIFY(connected(*batch.back()));
            batch.back()->write("command {\"verb\":\"enc\",\"action\":\"toggle\"}\n");
        }
        for (const auto &socket : batch) {
            QByteArray answer;
            QVERIFY(waitFor([&] { return (answer += socket->readAll()).contains("\"ok\":true"); }, 5000));
        }
        if (sent > 3 * InstanceActivator::kMaxStreamBacklog && descriptors() < withWatcher)
            break;
    }
    ::kill(pid_t(lagging->processId()), SIGCONT);
    r = finish(lagging);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.endsWith("voxbench: VoxBench cut this watch off: its lines were read too slowly\n"),
             qPrintable(r.err.right(200)));

    // A plain file where the socket was: VoxBench runs, and the client says it cannot reach it.
    const QString socketPath = InstanceActivator::runningServerName();
    QVERIFY(QFile::remove(socketPath) && writeFile(socketPath, "x"));
    QVERIFY(voxbench({"status"}).err.startsWith("voxbench: VoxBench is running but cannot be reached"));
    QVERIFY(QFile::remove(socketPath));
    program.process().terminate();
    QVERIFY(program.finished(5000));
}

// VoxBench's own files beside config.json as FIFOs, and a rules file far
// longer than anyone writes: nothing hangs, a choice not kept is said, and
// what is read is bounded.
void tst_CommandLine::oddFilesBesideConfigHoldNothingUp()
{
    const QString instance = InstanceKeys::scoped(QStringLiteral("instance"));
    QVERIFY(QDir().mkpath(QFileInfo(instance).path()));
    QCOMPARE(mkfifo(QFile::encodeName(instance).constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    // Neither the command nor the VoxBench it starts waits for a writer.
    Result r = voxbench({"status"});
    QVERIFY2(r.code == 0 && clock.elapsed() < 8000, qPrintable(r.err));
    QCOMPARE(voxbench({"quit"}).code, 0);
    QVERIFY(QFile::remove(instance));

    const QString receivers = QFileInfo(rulesFile()).path() + "/receivers.conf";
    QVERIFY(QDir().mkpath(QFileInfo(rulesFile()).path()));
    for (const QString &fifo : {rulesFile(), receivers}) {
        QFile::remove(fifo);
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    }
    {
        ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
        QVERIFY(listening());
        r = voxbench({"rule", "add", "quake3", "FPS", "--tab", "surround"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("could not be saved to " + rulesFile() + ": not read"), qPrintable(r.err));
        r = voxbench({"enc", "off"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("could not be saved to " + receivers), qPrintable(r.err));
        QCOMPARE(voxbench({"quit"}).code, 0);
        QVERIFY(program.finished(5000));
    }
    struct stat info;
    QVERIFY(stat(QFile::encodeName(receivers).constData(), &info) == 0 && S_ISFIFO(info.st_mode));
    QVERIFY(QFile::remove(rulesFile()) && QFile::remove(receivers));

    // The same start without rules, measured here so that the bound below follows
    // this machine and build (sanitizer builds start several times slower).
    clock.restart();
    qint64 plainStart = 0;
    {
        ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
        QVERIFY(listening());
        QCOMPARE(voxbench({"status"}).code, 0);
        plainStart = clock.elapsed();
        QCOMPARE(voxbench({"quit"}).code, 0);
        QVERIFY(program.finished(5000));
    }

    // 15,000 rules: the first 200 are followed, the start is not held up, and no more are taken.
    QByteArray rules = "[General]\npaused=false\n\n[rules]\n";
    for (int n = 1; n <= 15000; ++n)
        rules += QByteArray::number(n) + "\\application=a" + QByteArray::number(n) + "\n" +
                 QByteArray::number(n) + "\\mode=FPS\n" + QByteArray::number(n) + "\\tab=surround\n";
    rules += "size=15000\n";
    QVERIFY(writeFile(rulesFile(), rules));
    clock.restart();
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
    QVERIFY(listening());
    QCOMPARE(voxbench({"status"}).code, 0);
    // Parsing the file is the only cost they may add: 80 ms here, seconds when
    // every allocation is checked (the stall limit says which build this is).
    const qint64 extra = qMax(1000, 5 * qEnvironmentVariableIntValue("VOXBENCH_STALL_LIMIT_MS"));
    QVERIFY2(
        clock.elapsed() < plainStart + extra,
        qPrintable(QStringLiteral("%1 ms against %2 ms without rules").arg(clock.elapsed()).arg(plainStart)));
    QCOMPARE(voxbench({"rule", "list"}).out.count('\n'), 200);
    QVERIFY(fails({"rule", "add", "late", "FPS", "--tab", "surround"},
                  "VoxBench follows at most 200 rules; delete one first"));
    QCOMPARE(voxbench({"quit"}).code, 0);
    QVERIFY(program.finished(5000));
    QFile::remove(rulesFile());
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_CommandLine.moc"

// A config folder that cannot be written: the mode still reaches the receiver,
// the command says at once that it was not saved, and nothing waits for the
// box the window shows about it.
void tst_CommandLine::failedSaveAnswersAtOnce()
{
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, environment());
    QVERIFY(listening());
    QCOMPARE(voxbench({"status"}).code, 0);
    const QString folder = QFileInfo(configPath()).path();
    const QByteArray path = QFile::encodeName(folder);
    if (QProcess::execute("mount", {"--bind", folder, folder}) != 0)
        QSKIP("no bind mounts here");
    const bool readOnly = QProcess::execute("mount", {"-o", "remount,bind,ro", folder, folder}) == 0;
    const QByteArray before = readFile(configPath());
    QElapsedTimer clock;
    clock.start();
    const Result r = voxbench({"mode", "Moba", "--tab", "stereo"});
    const qint64 answeredMs = clock.elapsed();
    const Result next = voxbench({"status", "--json"});
    const qint64 nextMs = clock.elapsed() - answeredMs;
    QProcess::execute("umount", {folder});
    QVERIFY(readOnly);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("could not be saved to " + configPath()), qPrintable(r.err));
    QVERIFY(answeredMs < 3000);
    QCOMPARE(next.at("modes/stereo/name").toString(), QStringLiteral("Moba"));
    QVERIFY(nextMs < 1500);
    QCOMPARE(readFile(configPath()), before);
    QCOMPARE(voxbench({"quit"}).code, 0);
    QVERIFY(program.finished(5000));
}
