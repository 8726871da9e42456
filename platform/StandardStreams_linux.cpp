#include "platform/StandardStreams.h"

#include <cerrno>
#include <initializer_list>
#include <fcntl.h>
#include <unistd.h>

namespace StandardStreams {

Closed guard()
{
    Closed closed;
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // open() takes the lowest free descriptor: this one.
        const int null = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
        if (fd == STDOUT_FILENO)
            closed.output = true;
        else if (fd == STDERR_FILENO)
            closed.error = true;
    }
    return closed;
}

} // namespace StandardStreams
