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

    // Starts the program (again, in the same home after a stop); false when it
    // did not come up. It sees no system bus unless one is given.
    bool start();
    void setSystemBus(const QString &address) { m_systemBus = address; }
    // Runs `voxbench arguments...` against the running program; its exit code.
    int command(const QStringList &arguments);
    QString home() const { return m_root.path() + QStringLiteral("/home"); }
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
    QString m_systemBus;
};
