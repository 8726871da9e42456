#include "platform/BoundedRead.h"

#include <QFile>

namespace BoundedRead {

// Windows has no FIFOs in the file system; a pipe on standard input is read to its end.
Result read(const QString &path, qint64 maxBytes, int, int, const std::function<void()> &)
{
    Result result;
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        result.error = file.errorString();
        return result;
    }
    result.bytes = file.read(maxBytes + 1);
    result.status = result.bytes.size() > maxBytes ? Result::Status::TooLarge : Result::Status::Read;
    return result;
}

} // namespace BoundedRead
