#include "app/CommandClient.h"

#include "app/CommandLine.h"
#include "app/ModeTransfer.h"
#include "app/ProgramPath.h"
#include "command/CommandProtocol.h"
#include "command/CommandVerbs.h"
#include "platform/BoundedRead.h"
#include "platform/InstanceActivator.h"
#include "platform/InstanceKeys.h"
#include "platform/InstanceLock.h"
#include "platform/StandardStreams.h"
#include "presets/ModeNameRule.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTextStream>
#include <QThread>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {
using namespace CommandProtocol;

constexpr int kPollMs = 50;
constexpr char kSocketError[] = "error ";

// A name or any other text that came from a file, a process or another program,
// as a terminal or a status bar gets it: on one line, its control characters escaped.
QString shown(const QJsonValue &text)
{
    return ModeNameRule::escaped(text.toString());
}

// Which standard streams were closed at the start (then on the null device).
StandardStreams::Closed closedStreams;

// Writes `bytes` on standard output, flushed; false when not all of them got there.
bool printed(const QByteArray &bytes)
{
    if (closedStreams.output) {
        errno = EBADF;
        return false;
    }
    const size_t size = size_t(bytes.size());
    return std::fwrite(bytes.constData(), 1, size, stdout) == size && std::fflush(stdout) == 0 &&
           !std::ferror(stdout);
}

// Output that did not reach its reader is a failure, said on standard error
// while there is one.
int lostOutput()
{
    const int error = errno;
    if (!closedStreams.error)
        std::fprintf(stderr, "voxbench: the output could not be written: %s\n", std::strerror(error));
    return CommandLine::kFailed;
}

int print(const QString &text)
{
    return printed(text.toUtf8()) ? CommandLine::kDone : lostOutput();
}

// What a command prints for a program to read (--json): the answer, with the API version.
int printJson(QJsonObject object)
{
    object.insert(kApi, kApiVersion);
    return printed(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n') ? CommandLine::kDone
                                                                                : lostOutput();
}

// A failure: one line on standard error, and with --json its object on standard output.
int failed(const CommandLine &line, const QString &error, QLatin1String code,
           int exitCode = CommandLine::kFailed)
{
    QTextStream(stderr) << "voxbench: " << ModeNameRule::escaped(error) << '\n';
    if (line.json)
        printJson({{kOk, false}, {kError, error}, {kCode, code}});
    return exitCode;
}

bool listening()
{
    return InstanceActivator::isRunning(kPollMs);
}

// Waits, within the time left, for the socket to come up (or to go, when `up` is false).
bool waitListening(bool up, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (listening() != up) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(kPollMs);
    }
    return true;
}

// Starts VoxBench hidden until asked for; one start at a time, so that commands
// at once never meet a second start's box. Empty when it listens, else why not.
QString startInstance()
{
    InstanceLock lock;
    const bool launchLocked = lock.lockLaunch(CommandClient::kStartWaitMs);
    bool runsElsewhere = false;
    if (!listening()) {
        // Under "a" no instance is half-way through its start: one that holds "b"
        // listens already or is about to, and must not get a second start's box.
        const bool startLocked = lock.lockStart();
        runsElsewhere = lock.claimedElsewhere();
        if (!runsElsewhere) {
            QProcess program;
            program.setProgram(guiProgramPath());
            program.setArguments({QStringLiteral("-autorun")});
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QLatin1String(CommandClient::kStartedByCommand), QStringLiteral("1"));
            program.setProcessEnvironment(environment);
            // Its debug output is no part of the command's.
            program.setStandardInputFile(QProcess::nullDevice());
            program.setStandardOutputFile(QProcess::nullDevice());
            program.setStandardErrorFile(QProcess::nullDevice());
            program.startDetached();
        }
        if (startLocked)
            lock.unlockStart();
    }
    const bool up = waitListening(true, CommandClient::kStartWaitMs);
    if (launchLocked)
        lock.unlockLaunch();
    if (up)
        return QString();
    // The guard is held, so VoxBench runs: something took the place of its socket.
    if (runsElsewhere || lock.claimedElsewhere())
        return QStringLiteral("VoxBench is running but cannot be reached: its socket is missing "
                              "(is something else at %1?)")
            .arg(InstanceKeys::serverName());
    return QStringLiteral("VoxBench could not be started");
}

QString gainsText(const QJsonValue &gains)
{
    QStringList values;
    for (const QJsonValue &gain : gains.toArray())
        values << QString::number(gain.toInt());
    return values.join(QLatin1Char(' '));
}

QString modeText(const QJsonValue &mode)
{
    if (!mode.isObject())
        return QStringLiteral("none");
    const QJsonObject object = mode.toObject();
    return QStringLiteral("%1 (%2), gains %3")
        .arg(shown(object.value(kName)),
             object.value(kBuiltIn).toBool() ? QStringLiteral("built-in") : QStringLiteral("custom"),
             gainsText(object.value(kGains)));
}

// "quake3: FPS on surround", or "none".
QString ruleText(const QJsonValue &rule)
{
    if (!rule.isObject())
        return QStringLiteral("none");
    const QJsonObject object = rule.toObject();
    return QStringLiteral("%1: %2 on %3")
        .arg(shown(object.value(kApplication)), shown(object.value(kName)), object.value(kTab).toString());
}

QString statusText(const QJsonObject &status)
{
    QString text;
    QTextStream out(&text);
    const QJsonObject receiver = status.value(kReceiver).toObject();
    if (receiver.isEmpty()) {
        out << "receiver:      none\n";
    } else {
        out << "receiver:      " << receiver.value(kProductId).toString();
        for (const QLatin1String key : {kIdentity, kVersion}) {
            const QJsonValue value = receiver.value(key);
            out << ", " << key << ' ' << (value.isString() ? shown(value) : QStringLiteral("unknown"));
        }
        out << "\n7.1 surround:  " << (receiver.value(kSurround71).toBool() ? "offered" : "not offered")
            << '\n';
    }
    const QJsonValue algorithm = status.value(kAlgorithm);
    out << "tab:           " << status.value(kTab).toString() << '\n'
        << "algorithm:     " << (algorithm.isString() ? algorithm.toString() : QStringLiteral("not set"))
        << '\n';
    const QJsonObject modes = status.value(kModeList).toObject();
    out << "surround mode: " << modeText(modes.value(kSurround)) << '\n'
        << "stereo mode:   " << modeText(modes.value(kStereo)) << '\n'
        << "Mic ENC:       " << (status.value(kMicEncState).toBool() ? "on" : "off") << '\n'
        << "spectrum:      " << (status.value(kSpectrum).toBool() ? "on" : "off") << '\n'
        << "rule:          " << ruleText(status.value(kRuleInForce)) << '\n';
    return text;
}

// One mode a line: the tab and the kind in columns of ten, then the name.
QString modesText(const QJsonObject &answer)
{
    QString text;
    QTextStream out(&text);
    const QJsonObject modes = answer.value(kModeList).toObject();
    for (const QLatin1String tab : {kSurround, kStereo}) {
        for (const QJsonValue &mode : modes.value(tab).toArray()) {
            const QJsonObject object = mode.toObject();
            out << QString(tab).leftJustified(10)
                << QString(object.value(kBuiltIn).toBool() ? QStringLiteral("built-in")
                                                           : QStringLiteral("custom"))
                       .leftJustified(10)
                << shown(object.value(kName)) << '\n';
        }
    }
    return text;
}

// A line of `watch`: the tab, the mode at work and Mic ENC, for a status bar.
// On the Mic ENC tab the mode is that of the algorithm the receiver runs.
QString watchText(const QJsonObject &state)
{
    if (state.value(kChanged).toArray().contains(QString(kChangedQuit)))
        return QStringLiteral("VoxBench has ended");
    if (!state.value(kAttached).toBool())
        return QStringLiteral("no receiver");
    QString tab = state.value(kTab).toString();
    if (tab == kMicEnc)
        tab = state.value(kAlgorithm).toString(kStereo);
    const QJsonValue mode = state.value(kModeList).toObject().value(tab);
    return QStringLiteral("%1: %2, Mic ENC %3")
        .arg(tab, mode.isObject() ? shown(mode.toObject().value(kName)) : QStringLiteral("none"),
             state.value(kMicEncState).toBool() ? QStringLiteral("on") : QStringLiteral("off"));
}

QString rulesText(const QJsonObject &answer)
{
    QString text;
    QTextStream out(&text);
    const QJsonObject inForce = answer.value(kRuleInForce).toObject();
    for (const QJsonValue &rule : answer.value(kRules).toArray()) {
        const QJsonObject object = rule.toObject();
        out << shown(object.value(kApplication)).leftJustified(20) << ' '
            << object.value(kTab).toString().leftJustified(10) << shown(object.value(kName))
            << (object.value(kApplication) == inForce.value(kApplication) ? "   (in force)" : "") << '\n';
    }
    if (answer.value(kPaused).toBool())
        out << "rules paused\n";
    return text;
}

QString resultText(const CommandLine &line, const QJsonObject &answer)
{
    using CommandVerbs::Command;
    const CommandVerbs::Verb *row =
        CommandVerbs::find(line.request.value(kVerb).toString(), line.request.value(kAction).toString());
    switch (row ? row->command : Command::Autostart) {
    case Command::Status:
        return statusText(answer);
    case Command::Modes:
        return modesText(answer);
    case Command::Rename:
        return QStringLiteral("%1: %2 renamed %3\n")
            .arg(answer.value(kTab).toString(), shown(line.request.value(kName)), shown(answer.value(kName)));
    case Command::Delete:
        return QStringLiteral("%1: %2 deleted\n")
            .arg(answer.value(kTab).toString(), shown(answer.value(kName)));
    case Command::Choose:
    case Command::Next:
    case Command::Previous:
    case Command::Add:
        return QStringLiteral("%1: %2\n").arg(answer.value(kTab).toString(), shown(answer.value(kName)));
    case Command::Gains:
        return QStringLiteral("%1: %2, gains %3\n")
            .arg(answer.value(kTab).toString(), shown(answer.value(kName)), gainsText(answer.value(kGains)));
    case Command::Tab:
        return QStringLiteral("tab: %1\n").arg(answer.value(kTab).toString());
    case Command::RuleList:
        return rulesText(answer);
    case Command::RuleAdd:
        return QStringLiteral("while %1\n").arg(ruleText(answer));
    case Command::RuleDelete:
        return QStringLiteral("rule for %1 deleted\n").arg(shown(line.request.value(kApplication)));
    case Command::RulePause:
    case Command::RuleResume:
        return answer.value(kPaused).toBool() ? QStringLiteral("rules paused\n")
                                              : QStringLiteral("rules followed\n");
    case Command::Enc:
        return QStringLiteral("Mic ENC: %1\n")
            .arg(answer.value(kMicEncState).toBool() ? QStringLiteral("on") : QStringLiteral("off"));
    case Command::Background: {
        const QJsonValue state = answer.value(kBackground);
        if (!state.isBool())
            return QStringLiteral("not chosen\n");
        return state.toBool() ? QStringLiteral("on\n") : QStringLiteral("off\n");
    }
    case Command::Show:
        return QStringLiteral("shown\n");
    case Command::Quit:
        return QStringLiteral("VoxBench has ended\n");
    case Command::Watch:
    case Command::Export:
    case Command::Import:
    case Command::Autostart:
        break; // served apart, never answered here
    }
    return QStringLiteral("done\n");
}

using Exchange = InstanceActivator::Exchange;

// Runs `exchange` with the running VoxBench, starting one hidden when none
// runs (unless --no-start). An empty string when it was answered, else why not.
QString reach(const CommandLine &line, const std::function<Exchange(int acceptMs)> &exchange,
              QLatin1String *code)
{
    *code = kNotRunning;
    Exchange result = exchange(CommandClient::kAcceptWaitMs);
    if (result == Exchange::NoInstance) {
        if (!line.start)
            return QStringLiteral("VoxBench is not running");
        if (const QString notStarted = startInstance(); !notStarted.isEmpty())
            return notStarted;
        // Just started: it takes requests once its window is built.
        result = exchange(CommandClient::kStartWaitMs);
    }
    if (result == Exchange::Answered)
        return QString();
    if (result == Exchange::NoInstance)
        return QStringLiteral("VoxBench is not running");
    *code = kFailed;
    if (result == Exchange::NotAnswering)
        return QStringLiteral("VoxBench is not answering; is it stopped?");
    return QStringLiteral("no answer from VoxBench");
}

// A line the socket itself or the command server answered with: the answer,
// or false with `error` and `code` set.
bool readAnswer(const QByteArray &answerLine, QJsonObject *answer, QString *error, QLatin1String *code)
{
    // What the socket itself refused ("error request too long", "error busy").
    if (answerLine.startsWith(kSocketError)) {
        *error = QString::fromUtf8(answerLine.mid(int(qstrlen(kSocketError))));
        *code = answerLine == InstanceActivator::kBusy        ? kBusy
                : *error == QLatin1String("request too long") ? kRefused
                                                              : kFailed;
        return false;
    }
    const QJsonDocument document = QJsonDocument::fromJson(answerLine);
    if (!document.isObject()) {
        *error = QStringLiteral("the running VoxBench takes no commands (an older version?); "
                                "quit it and try again");
        *code = kFailed;
        return false;
    }
    *answer = document.object();
    if (answer->value(kOk).toBool(true))
        return true;
    *error = answer->value(kError).toString(QStringLiteral("failed"));
    *code = kFailed;
    for (const QLatin1String known : {kNotRunning, kNoReceiver, kRefused, kBusy, kUsage}) {
        if (answer->value(kCode).toString() == known)
            *code = known;
    }
    return false;
}

// `watch`: every line as it comes, until VoxBench says it ends (exit 0).
int watch(const CommandLine &line)
{
    const QByteArray request = QJsonDocument(line.request).toJson(QJsonDocument::Compact);
    bool ended = false;
    bool lost = false;
    QString error;
    QLatin1String code = kFailed;
    const auto print = [&](const QByteArray &bytes) {
        QJsonObject state;
        if (!readAnswer(bytes, &state, &error, &code))
            return false;
        // A reader that went away ends the watch.
        lost = !printed((line.json ? bytes : watchText(state).toUtf8()) + '\n');
        ended = state.value(kChanged).toArray().contains(QString(kChangedQuit));
        return !ended && !lost;
    };
    QString unreached = reach(
        line, [&](int acceptMs) { return InstanceActivator::followCommand(request, acceptMs, print); },
        &code);
    if (!unreached.isEmpty())
        return failed(line, unreached, code);
    if (!error.isEmpty())
        return failed(line, error, code);
    if (lost)
        return lostOutput();
    if (ended)
        return CommandLine::kDone;
    // The stream ended with VoxBench still there: it let this watcher go for
    // reading too slowly (more than the backlog it keeps).
    if (listening())
        return failed(line, QStringLiteral("VoxBench cut this watch off: its lines were read too slowly"),
                      kFailed);
    return failed(line, QStringLiteral("VoxBench went away without ending"), kFailed);
}

// Sends `request` for the command `line`; false, with the exit code, when it
// failed (the failure already printed).
bool ask(const CommandLine &line, const QJsonObject &request, QJsonObject *answer, int *exitCode)
{
    const QByteArray bytes = QJsonDocument(request).toJson(QJsonDocument::Compact);
    const bool quit = request.value(kVerb).toString() == kQuit;
    QByteArray answerLine;
    // Nothing to end is no failure, and no reason to start VoxBench.
    CommandLine once = line;
    once.start = once.start && !quit;
    QLatin1String code = kFailed;
    const QString unreached = reach(
        once,
        [&](int acceptMs) {
            return InstanceActivator::sendCommand(bytes, acceptMs, CommandClient::kAnswerWaitMs, &answerLine);
        },
        &code);
    if (quit && code == kNotRunning && !unreached.isEmpty()) {
        *exitCode = line.json ? printJson({{kOk, true}}) : print(QStringLiteral("VoxBench is not running\n"));
        return false;
    }
    if (!unreached.isEmpty()) {
        *exitCode = failed(line, unreached, code);
        return false;
    }
    QString error;
    if (!readAnswer(answerLine, answer, &error, &code)) {
        *exitCode =
            failed(line, error, code, code == kUsage ? CommandLine::kWrongUsage : CommandLine::kFailed);
        return false;
    }
    if (quit && !waitListening(false, CommandClient::kEndWaitMs)) {
        *exitCode = failed(line, QStringLiteral("VoxBench did not end"), kFailed);
        return false;
    }
    return true;
}

int send(const CommandLine &line)
{
    QJsonObject answer;
    int exitCode = CommandLine::kDone;
    if (!ask(line, line.request, &answer, &exitCode))
        return exitCode;
    return line.json ? printJson(answer) : print(resultText(line, answer));
}

// `mode export`: the mode file, from the mode the running VoxBench finds by that name.
int exportMode(const CommandLine &line)
{
    QJsonObject answer;
    int exitCode = CommandLine::kDone;
    if (!ask(line, line.request, &answer, &exitCode))
        return exitCode;
    const ModeTransfer::Export exported = ModeTransfer::exportMode(answer);
    if (!exported.error.isEmpty())
        return failed(line, exported.error, kRefused);
    return printed(exported.file) ? CommandLine::kDone : lostOutput();
}

// `mode import`: the file is read here, where the user named it; what crosses
// to VoxBench is an ordinary "mode add" with the fitted gains.
int importMode(const CommandLine &line)
{
    const QString path = line.request.value(kFile).toString();
    const QString shownPath =
        path == QLatin1String("-") ? QStringLiteral("standard input") : ModeNameRule::escaped(path);
    const BoundedRead::Result read = BoundedRead::read(
        path, ModeFile::kMaxBytes, CommandClient::kModeFileWaitMs, CommandClient::kModeFileNoticeMs, [&] {
            if (!closedStreams.error)
                QTextStream(stderr) << "voxbench: waiting for " << shownPath << " to end (up to "
                                    << CommandClient::kModeFileWaitMs / 1000 << " s)\n";
        });
    if (read.status == BoundedRead::Result::Status::Failed)
        return failed(line, QStringLiteral("%1 cannot be read: %2").arg(shownPath, read.error), kFailed);
    if (read.status == BoundedRead::Result::Status::TooLarge)
        return failed(line, QStringLiteral("%1 is larger than a mode file can be").arg(shownPath), kRefused);
    if (read.status == BoundedRead::Result::Status::TimedOut)
        return failed(line,
                      QStringLiteral("%1 did not end within %2 s; a mode file is read to its end, and "
                                     "whatever writes it has not closed it")
                          .arg(shownPath)
                          .arg(CommandClient::kModeFileWaitMs / 1000),
                      kFailed);
    const QByteArray &contents = read.bytes;
    const ModeTransfer::Import import = ModeTransfer::importMode(
        contents, path == QLatin1String("-") ? QString() : path, line.request.value(kName).toString(),
        line.request.value(kTab).toString(), line.request.value(kChannel).toString());
    if (!import.error.isEmpty())
        return failed(line, import.error, kRefused);
    QJsonObject answer;
    int exitCode = CommandLine::kDone;
    if (!ask(line, import.request, &answer, &exitCode))
        return exitCode;
    return line.json ? printJson(ModeTransfer::importJson(import, answer))
                     : print(ModeTransfer::importText(import, answer));
}
} // namespace

int CommandClient::run(int argc, char *argv[])
{
    closedStreams = StandardStreams::guard();
    QCoreApplication application(argc, argv);
    const CommandLine line = CommandLine::parse(QCoreApplication::arguments().mid(1));
    switch (line.action) {
    case CommandLine::Action::Help:
        return print(CommandLine::usage());
    case CommandLine::Action::Version:
        return print(QStringLiteral("voxbench " VOXBENCH_VERSION "\n"));
    case CommandLine::Action::Usage:
        QTextStream(stderr) << "voxbench: " << line.error << "\n" << CommandLine::usageLine() << '\n';
        if (line.json)
            printJson({{kOk, false}, {kError, line.error}, {kCode, kUsage}});
        return CommandLine::kWrongUsage;
    case CommandLine::Action::Send:
        break;
    }
    const CommandVerbs::Verb *row =
        CommandVerbs::find(line.request.value(kVerb).toString(), line.request.value(kAction).toString());
    const CommandVerbs::Command command = row ? row->command : CommandVerbs::Command::Status;
    if (command == CommandVerbs::Command::Watch)
        return watch(line);
    if (command == CommandVerbs::Command::Export)
        return exportMode(line);
    if (command == CommandVerbs::Command::Import)
        return importMode(line);
    return send(line);
}
