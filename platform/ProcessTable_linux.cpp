#include "platform/ProcessTable.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

// At most `limit` bytes of a /proc file; empty when it cannot be read (the
// process went, or is not ours to read).
QByteArray readProcFile(const QByteArray &path, qint64 limit)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    QByteArray contents;
    char buffer[4096];
    while (contents.size() < limit) {
        const ssize_t got =
            ::read(fd, buffer, size_t(std::min<qint64>(sizeof buffer, limit - contents.size())));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        contents.append(buffer, int(got));
    }
    ::close(fd);
    return contents;
}

QByteArray procPath(qint64 pid, const char *entry)
{
    return "/proc/" + QByteArray::number(pid) + '/' + entry;
}

// Field 22 of /proc/<pid>/stat, counted after the command name, which may hold
// spaces and parentheses of its own.
std::optional<quint64> startTicks(const QByteArray &stat)
{
    const int nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
    // Fields from the state (3rd) on; the start time is the 22nd.
    constexpr int kStartField = 22 - 3;
    if (fields.size() <= kStartField)
        return std::nullopt;
    bool ok = false;
    const quint64 ticks = fields[kStartField].toULongLong(&ok);
    return ok ? std::optional<quint64>(ticks) : std::nullopt;
}

// The last part of a path, whether Unix or Windows wrote it.
QString fileName(const QString &path)
{
    const int slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}

} // namespace

bool ProcessTable::list(std::vector<Listed> *processes)
{
    processes->clear();
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return false;
    while (const dirent *entry = ::readdir(proc)) {
        char *end = nullptr;
        const long long pid = std::strtoll(entry->d_name, &end, 10);
        // A later process with the same id gets a new /proc entry, and a new inode with it.
        if (pid > 0 && end && *end == '\0')
            processes->push_back({pid, quint64(entry->d_ino)});
    }
    ::closedir(proc);
    return true;
}

QString ProcessTable::executable(qint64 pid)
{
    char target[4096];
    const ssize_t length = ::readlink(procPath(pid, "exe").constData(), target, sizeof target - 1);
    return length > 0 ? fileName(QString::fromLocal8Bit(target, int(length))) : QString();
}

std::optional<quint64> ProcessTable::started(qint64 pid)
{
    return startTicks(readProcFile(procPath(pid, "stat"), 4096));
}

std::optional<ProcessTable::Process> ProcessTable::read(qint64 pid)
{
    struct stat info;
    if (::stat(procPath(pid, "").constData(), &info) != 0 || info.st_uid != ::getuid())
        return std::nullopt;
    Process process;
    process.pid = pid;
    const std::optional<quint64> ticks = started(pid);
    if (!ticks)
        return std::nullopt;
    process.started = *ticks;

    char target[4096];
    const ssize_t length = ::readlink(procPath(pid, "exe").constData(), target, sizeof target - 1);
    if (length > 0) {
        QString exe = fileName(QString::fromLocal8Bit(target, int(length)));
        // An executable replaced since it started.
        exe.remove(QRegularExpression(QStringLiteral(" \\(deleted\\)$")));
        process.names << exe;
        process.executable = fileName(QString::fromLocal8Bit(target, int(length)));
    }
    const QByteArray comm = readProcFile(procPath(pid, "comm"), 64).trimmed();
    if (!comm.isEmpty())
        process.names << QString::fromLocal8Bit(comm);
    const QByteArray commandLine = readProcFile(procPath(pid, "cmdline"), kMaxCommandLineBytes);
    for (const QByteArray &argument : commandLine.split('\0')) {
        if (argument.size() > 4 && argument.right(4).toLower() == ".exe")
            process.names << fileName(QString::fromLocal8Bit(argument));
    }
    if (process.names.isEmpty())
        return std::nullopt;
    process.names.removeDuplicates();
    return process;
}

qint64 ProcessTable::ageMs(quint64 started)
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    static const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000 -
           qint64(started * 1000 / quint64(ticksPerSecond));
}
