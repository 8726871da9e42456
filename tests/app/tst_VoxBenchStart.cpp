// The real program started the way log-on starts it: hidden, with its debug log
// and autostart entry, ended by SIGTERM, and started again after a SIGKILL.

#include "support/EventLoop.h"
#include "support/ProbeProcess.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <csignal>

namespace {
const QString kLog = QStringLiteral("/Documents/VoxBench/debug.log");

// The header and "**First Data!" as the log starts; what follows are the records
// of the window's own initialisation (device registration, the open attempt),
// each of them one well-formed record.
void verifyFreshLog(const QByteArray &log)
{
    const QByteArray header = "\tVoxBench Log Text:\r\n\n**First Data!\r\n";
    QVERIFY2(log.startsWith(header), log.constData());
    const QRegularExpression record(
        QStringLiteral("^[^\n]+ : [^\n]*\t\t\\([^\n]+ - [^\n]+ \\.\\.\\. -?\\d+\\);$"));
    const QList<QByteArray> lines = log.mid(header.size()).split('\n');
    QVERIFY(lines.last().isEmpty());
    for (int i = 0; i + 1 < lines.size(); ++i)
        QVERIFY2(record.match(QString::fromLatin1(lines[i])).hasMatch(), lines[i].constData());
}

bool waitForFile(const QString &path, int timeoutMs = 10000)
{
    return waitFor([&path] { return QFile::exists(path); }, timeoutMs);
}

QProcessEnvironment offscreen()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

// Runs xdotool on the given display; returns its exit code and its output.
int xdotool(const QString &display, const QStringList &arguments, QString *output = nullptr)
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    tool.setProcessEnvironment(env);
    tool.start("xdotool", arguments);
    if (!tool.waitForFinished(5000))
        return -1;
    if (output)
        *output = QString::fromUtf8(tool.readAllStandardOutput());
    return tool.exitCode();
}

// Windows with a title matching `title` that the X server shows.
int visibleWindows(const QString &display, const QString &title = QStringLiteral("^VoxBench$"))
{
    QString ids;
    xdotool(display, {"search", "--onlyvisible", "--name", title}, &ids);
    return ids.split('\n', Qt::SkipEmptyParts).size();
}
} // namespace

class tst_VoxBenchStart : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void autorunStartStaysUpHidden();
    void sigtermEndsWithZeroWithinTwoSeconds();
    void startAfterKillMinusNine();
    void autorunWindowHiddenOnX();
};

void tst_VoxBenchStart::init()
{
    QDir(QDir::homePath() + "/Documents").removeRecursively();
}

void tst_VoxBenchStart::autorunStartStaysUpHidden()
{
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, offscreen());
    QVERIFY(waitForFile(QDir::homePath() + kLog));
    QTest::qWait(1000);
    QCOMPARE(program.process().state(), QProcess::Running);
    verifyFreshLog(readFile(QDir::homePath() + kLog));

    const QByteArray entry = readFile(QDir::homePath() + "/.config/autostart/VoxBench.desktop");
    QVERIFY(entry.startsWith("[Desktop Entry]\n"));
    QVERIFY2(entry.contains("\nExec=\"" + QFile::encodeName(VOXBENCH_PATH) + "\" -autorun\n"), entry);

    ::kill(program.pid(), SIGTERM);
    QVERIFY(program.finished(2000));
    QCOMPARE(program.exitCode(), 0);
}

void tst_VoxBenchStart::sigtermEndsWithZeroWithinTwoSeconds()
{
    ProbeProcess program(VOXBENCH_PATH, {"-autorun"}, offscreen());
    QVERIFY(waitForFile(QDir::homePath() + kLog));
    QTest::qWait(500);
    QElapsedTimer clock;
    clock.start();
    ::kill(program.pid(), SIGTERM);
    QVERIFY(program.finished(2000));
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(program.exitedNormally());
    QCOMPARE(program.exitCode(), 0);
}

void tst_VoxBenchStart::startAfterKillMinusNine()
{
    {
        ProbeProcess killed(VOXBENCH_PATH, {"-autorun"}, offscreen());
        QVERIFY(waitForFile(QDir::homePath() + kLog));
        QTest::qWait(300);
        ::kill(killed.pid(), SIGKILL);
        QVERIFY(killed.finished());
    }
    QVERIFY(QFile::remove(QDir::homePath() + kLog));

    // A first instance again: it builds its window and writes a new log.
    ProbeProcess next(VOXBENCH_PATH, {"-autorun"}, offscreen());
    QVERIFY(waitForFile(QDir::homePath() + kLog));
    QTest::qWait(1000);
    QCOMPARE(next.process().state(), QProcess::Running);
    verifyFreshLog(readFile(QDir::homePath() + kLog));
    ::kill(next.pid(), SIGTERM);
    QVERIFY(next.finished(2000));
    QCOMPARE(next.exitCode(), 0);
}

void tst_VoxBenchStart::autorunWindowHiddenOnX()
{
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty())
        QSKIP("needs Xvfb and xdotool");
    QProcess server;
    server.setProcessChannelMode(QProcess::SeparateChannels);
    server.start("Xvfb", {"-displayfd", "1", "-noreset", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
    QVERIFY(server.waitForReadyRead(10000));
    const QString display = ":" + QString::fromUtf8(server.readLine()).trimmed();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", display);
    {
        ProbeProcess hidden(VOXBENCH_PATH, {"-autorun"}, env);
        QVERIFY(waitForFile(QDir::homePath() + kLog));
        QTest::qWait(1000);
        QCOMPARE(hidden.process().state(), QProcess::Running);
        QCOMPARE(visibleWindows(display), 0);

        // A second start shows its box; once it is answered, the hidden window comes up.
        ProbeProcess second(VOXBENCH_PATH, {}, env);
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(display, "^prompt$"), 1, 10000);
        // No window manager: focus the box directly, then answer it with Return.
        QCOMPARE(xdotool(display, {"search", "--onlyvisible", "--name", "^prompt$", "windowfocus", "--sync",
                                   "key", "Return"}),
                 0);
        QVERIFY(second.finished());
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(display), 1, 5000);

        ::kill(hidden.pid(), SIGTERM);
        QVERIFY(hidden.finished(2000));
        QCOMPARE(hidden.exitCode(), 0);
    }
    {
        ProbeProcess shown(VOXBENCH_PATH, {}, env);
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(display), 1, 10000);
        ::kill(shown.pid(), SIGTERM);
        QVERIFY(shown.finished(2000));
        QCOMPARE(shown.exitCode(), 0);
    }
    server.terminate();
    server.waitForFinished(5000);
}

QTEST_GUILESS_MAIN(tst_VoxBenchStart)
#include "tst_VoxBenchStart.moc"
