#include "platform/BoundedRead.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BoundedRead {
namespace {
QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

Result failed(const QString &error)
{
    Result result;
    result.error = error;
    return result;
}
} // namespace

Result read(const QString &path, qint64 maxBytes, int timeoutMs, int noticeMs,
            const std::function<void()> &waiting)
{
    const bool standardInput = path == QLatin1String("-");
    // Non-blocking: the open of a FIFO without a writer would wait for one.
    const int fd = standardInput
                       ? STDIN_FILENO
                       : ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(systemError(errno));
    struct stat info;
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        if (!standardInput)
            ::close(fd);
        return failed(systemError(error));
    }
    Result result;
    QElapsedTimer clock;
    clock.start();
    bool told = !waiting || noticeMs <= 0;
    char buffer[65536];
    for (;;) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0) {
            result.status = Result::Status::TimedOut;
            break;
        }
        const qint64 untilNotice = told ? left : std::max<qint64>(1, noticeMs - clock.elapsed());
        pollfd wanted{fd, POLLIN, 0};
        const int ready = ::poll(&wanted, 1, int(std::min(left, untilNotice)));
        if (ready < 0 && errno != EINTR) {
            result.error = systemError(errno);
            break;
        }
        if (ready <= 0) {
            if (!told && clock.elapsed() >= noticeMs) {
                told = true;
                waiting();
            }
            continue;
        }
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (got < 0) {
            result.error = systemError(errno);
            break;
        }
        if (got == 0) {
            result.status = Result::Status::Read;
            break;
        }
        result.bytes.append(buffer, int(got));
        if (result.bytes.size() > maxBytes) {
            result.status = Result::Status::TooLarge;
            break;
        }
    }
    if (!standardInput)
        ::close(fd);
    return result;
}

} // namespace BoundedRead
