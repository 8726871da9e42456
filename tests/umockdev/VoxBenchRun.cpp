#include "VoxBenchRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>
#include <csignal>
#include <unistd.h>

namespace {
constexpr int kStartMs = 10000;
constexpr int kStopMs = 10000;
} // namespace

VoxBenchRun::VoxBenchRun()
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

VoxBenchRun::~VoxBenchRun()
{
    if (running()) {
        m_process.kill();
        m_process.waitForFinished(kStopMs);
    }
}

bool VoxBenchRun::start()
{
    const QString root = m_root.path();
    for (const char *dir : {"home", "home/.config", "home/.local/share", "home/.cache", "run"})
        QDir().mkpath(root + "/" + dir);
    QFile::setPermissions(root + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", root + "/home");
    env.insert("XDG_CONFIG_HOME", root + "/home/.config");
    env.insert("XDG_DATA_HOME", root + "/home/.local/share");
    env.insert("XDG_CACHE_HOME", root + "/home/.cache");
    env.insert("XDG_RUNTIME_DIR", root + "/run");
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    env.insert("DBUS_SYSTEM_BUS_ADDRESS",
               m_systemBus.isEmpty() ? "unix:path=" + root + "/no-system-bus" : m_systemBus);
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(root);
    // As root every node opens whatever its mode; without these two
    // capabilities the program meets file modes as a user's program does.
    QString program = QStringLiteral(VOXBENCH_PROGRAM);
    QStringList arguments;
    if (::geteuid() == 0) {
        arguments = QStringList{"--bounding-set=-dac_override,-dac_read_search", "--", program};
        program = "setpriv";
    }
    m_process.start(program, arguments);
    return m_process.waitForStarted(kStartMs);
}

int VoxBenchRun::command(const QStringList &arguments)
{
    QProcess command;
    command.setProcessEnvironment(m_process.processEnvironment());
    command.setWorkingDirectory(m_root.path());
    command.start(QStringLiteral(VOXBENCH_PROGRAM), arguments);
    if (!command.waitForFinished(kStopMs))
        return -1;
    return command.exitStatus() == QProcess::NormalExit ? command.exitCode() : -1;
}

bool VoxBenchRun::stop()
{
    if (!running())
        return true;
    ::kill(pid_t(m_process.processId()), SIGTERM);
    const bool ended = m_process.waitForFinished(kStopMs);
    output();
    return ended;
}

bool VoxBenchRun::running() const
{
    return m_process.state() != QProcess::NotRunning;
}

QByteArray VoxBenchRun::output()
{
    m_output += m_process.readAll();
    return m_output;
}

bool VoxBenchRun::waitForOutput(const QByteArray &text, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!output().contains(text)) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

bool VoxBenchRun::windowShown(const QString &title)
{
    QProcess search;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LD_PRELOAD");
    search.setProcessEnvironment(env);
    search.start("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"});
    search.waitForFinished(5000);
    return !search.readAllStandardOutput().trimmed().isEmpty();
}
