#include "platform/ProgramHandover.h"

#include <QFile>
#include <unistd.h>
#include <vector>

int handOverTo(const QString &program, const QStringList &arguments)
{
    // The encoded bytes live until execv, which copies them.
    std::vector<QByteArray> bytes;
    bytes.reserve(size_t(arguments.size()) + 1);
    bytes.push_back(QFile::encodeName(program));
    for (const QString &argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    ::execv(argv.front(), argv.data());
    return kHandoverFailed;
}
