#include "platform/ProgramHandover.h"

#include <QProcess>

// Windows has no exec: run the program in this console and pass its status on.
int handOverTo(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return kHandoverFailed;
    return process.exitCode();
}
