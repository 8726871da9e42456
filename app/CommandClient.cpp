#include "app/CommandClient.h"

#include "app/CommandLine.h"
#include "app/ProgramPath.h"
#include "command/CommandProtocol.h"
#include "platform/InstanceActivator.h"
#include "platform/InstanceLock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTextStream>
#include <QThread>
#include <cstdio>

namespace {
using namespace CommandProtocol;

constexpr int kPollMs = 50;
constexpr char kSocketError[] = "error ";

int failed(const QString &error)
{
    QTextStream(stderr) << "voxbench: " << error << '\n';
    return CommandLine::kFailed;
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

// Starts VoxBench hidden, as at log-on; one start at a time, so that commands
// at once never meet a second start's box.
bool startInstance()
{
    InstanceLock lock;
    const bool launchLocked = lock.lockLaunch(CommandClient::kStartWaitMs);
    if (!listening()) {
        // Under "a" no instance is half-way through its start: one that holds "b"
        // listens already or is about to, and must not get a second start's box.
        const bool startLocked = lock.lockStart();
        if (!lock.claimedElsewhere()) {
            QProcess program;
            program.setProgram(guiProgramPath());
            program.setArguments({QStringLiteral("-autorun")});
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
    return up;
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
        .arg(object.value(kName).toString(),
             object.value(kBuiltIn).toBool() ? QStringLiteral("built-in") : QStringLiteral("custom"),
             gainsText(object.value(kGains)));
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
            out << ", " << key << ' ' << (value.isString() ? value.toString() : QStringLiteral("unknown"));
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
        << "spectrum:      " << (status.value(kSpectrum).toBool() ? "on" : "off") << '\n';
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
                << object.value(kName).toString() << '\n';
        }
    }
    return text;
}

QString resultText(const CommandLine &line, const QJsonObject &answer)
{
    const QString verb = line.request.value(kVerb).toString();
    if (line.json) {
        QJsonObject object = answer;
        object.remove(kOk);
        return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + '\n';
    }
    if (verb == kStatus)
        return statusText(answer);
    if (verb == kModes)
        return modesText(answer);
    if (verb == kMode)
        return QStringLiteral("%1: %2\n").arg(answer.value(kTab).toString(), answer.value(kName).toString());
    if (verb == kSelectTab)
        return QStringLiteral("tab: %1\n").arg(answer.value(kTab).toString());
    if (verb == kEnc)
        return QStringLiteral("Mic ENC: %1\n")
            .arg(answer.value(kMicEncState).toBool() ? QStringLiteral("on") : QStringLiteral("off"));
    if (verb == kShow)
        return QStringLiteral("shown\n");
    return QStringLiteral("VoxBench has ended\n");
}

int send(const CommandLine &line)
{
    using Exchange = InstanceActivator::Exchange;
    const QByteArray request = QJsonDocument(line.request).toJson(QJsonDocument::Compact);
    const bool quit = line.request.value(kVerb).toString() == kQuit;
    QByteArray answerLine;
    Exchange exchange = InstanceActivator::sendCommand(request, CommandClient::kAcceptWaitMs,
                                                       CommandClient::kAnswerWaitMs, &answerLine);
    if (exchange == Exchange::NoInstance) {
        if (quit) {
            QTextStream(stdout) << "VoxBench is not running\n";
            return CommandLine::kDone;
        }
        if (!line.start)
            return failed(QStringLiteral("VoxBench is not running"));
        if (!startInstance())
            return failed(QStringLiteral("VoxBench could not be started"));
        // Just started: it takes requests once its window is built.
        exchange = InstanceActivator::sendCommand(request, CommandClient::kStartWaitMs,
                                                  CommandClient::kAnswerWaitMs, &answerLine);
    }
    if (exchange == Exchange::NoInstance)
        return failed(QStringLiteral("VoxBench is not running"));
    if (exchange == Exchange::NotAnswering)
        return failed(QStringLiteral("VoxBench is not answering; is it stopped?"));
    if (exchange != Exchange::Answered)
        return failed(QStringLiteral("no answer from VoxBench"));

    // What the socket itself refused ("error request too long", "error busy").
    if (answerLine.startsWith(kSocketError))
        return failed(QString::fromUtf8(answerLine.mid(int(qstrlen(kSocketError)))));
    const QJsonDocument document = QJsonDocument::fromJson(answerLine);
    if (!document.isObject())
        return failed(QStringLiteral("the running VoxBench takes no commands (an older version?); "
                                     "quit it and try again"));
    const QJsonObject answer = document.object();
    if (!answer.value(kOk).toBool())
        return failed(answer.value(kError).toString(QStringLiteral("failed")));
    if (quit && !waitListening(false, CommandClient::kStartWaitMs))
        return failed(QStringLiteral("VoxBench did not end"));
    QTextStream(stdout) << resultText(line, answer);
    return CommandLine::kDone;
}
} // namespace

int CommandClient::run(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const CommandLine line = CommandLine::parse(QCoreApplication::arguments().mid(1));
    switch (line.action) {
    case CommandLine::Action::Help:
        QTextStream(stdout) << CommandLine::usage();
        return CommandLine::kDone;
    case CommandLine::Action::Version:
        QTextStream(stdout) << "voxbench " << VOXBENCH_VERSION << '\n';
        return CommandLine::kDone;
    case CommandLine::Action::Usage:
        QTextStream(stderr) << "voxbench: " << line.error << "\n" << CommandLine::usageLine() << '\n';
        return CommandLine::kWrongUsage;
    case CommandLine::Action::Send:
        break;
    }
    return send(line);
}
