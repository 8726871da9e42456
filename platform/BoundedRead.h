#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// A file read to its end within a time and size limit, as a mode file is: a
// FIFO, or standard input from a pipe nobody closes, must not hold the reader
// for good. Nothing is read from what cannot end (a folder); a device that
// never ends (/dev/zero) stops at the size limit.
namespace BoundedRead {

struct Result
{
    enum class Status { Read, Failed, TooLarge, TimedOut };
    Status status = Status::Failed;
    QByteArray bytes;
    QString error; // why not, when Failed
};

// "-" reads standard input. `waiting` is called once, after `noticeMs`, while
// nothing has ended yet.
Result read(const QString &path, qint64 maxBytes, int timeoutMs, int noticeMs = 0,
            const std::function<void()> &waiting = {});

} // namespace BoundedRead
