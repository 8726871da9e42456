#pragma once

// The real, unmodified VoxBench, started under the umockdev preload this
// harness runs under, on the X server of the run, with a home of its own.

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>

class VoxBenchRun
{
public:
    VoxBenchRun();
    ~VoxBenchRun();
    VoxBenchRun(const VoxBenchRun &) = delete;
    VoxBenchRun &operator=(const VoxBenchRun &) = delete;

    // Starts the program; false when it did not come up.
    bool start();
    // SIGTERM to the program's own pid, then waits for its end.
    bool stop();
    bool running() const;
    // What it printed, standard output and error together.
    QByteArray output();
    // Waits until the output holds `text`.
    bool waitForOutput(const QByteArray &text, int timeoutMs);
    // A visible top-level window with exactly this title (a message box, say).
    static bool windowShown(const QString &title);

private:
    QTemporaryDir m_root;
    QProcess m_process;
    QByteArray m_output;
};
