// Loads and rewrites a config.json of 1,000 receivers with ten custom modes each and
// prints each time as a ratio to reading or writing the same bytes with plain file I/O.
// Runs in a temporary home of its own. Argument --quick: fewer repetitions.

#include "presets/JsonText.h"
#include "presets/WriteReadJson.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int kReceivers = 1000;
constexpr int kModesEach = 10;

QByteArray buildConfig()
{
    QJsonArray current;
    QJsonArray customize;
    for (int r = 0; r < kReceivers; ++r) {
        const QString identity = QString::asprintf("%08x", 0x1000000 + r * 7919);
        QJsonArray modes;
        for (int m = 0; m < kModesEach; ++m) {
            const int type = m < kModesEach / 2 ? Stereo : Surround;
            QJsonArray gains;
            for (int band = 0; band < kBands; ++band)
                gains.append((r + m * band) % 25 - 12);
            modes.append(QJsonObject{{"algorithm", type == Stereo ? "Stereo" : "Surround"},
                                     {"customizeType", 1},
                                     {"index", m % (kModesEach / 2)},
                                     {"name", QString("Custom%1").arg(m % (kModesEach / 2) + 1)},
                                     {"parameter", gains},
                                     {"type", type},
                                     {"uuid", QString::asprintf("{%08x-0000-4000-8000-%012x}", r, m)}});
        }
        customize.append(
            QJsonObject{{"deviceUuid", identity}, {"modes", modes}, {"pid", "0x4152"}, {"vid", "0x5A17"}});
        current.append(QJsonObject{{"deviceUuid", identity},
                                   {"pid", "0x4152"},
                                   {"uuid", QString::asprintf("{%08x-0000-4000-8000-%012x}", r, 0)},
                                   {"vid", "0x5A17"}});
    }
    return JsonText::serialize(QJsonObject{{"currentMode", current}, {"customizeMode", customize}});
}

// A bench that cannot measure says why, and ends with a failure.
[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "store bench: %s\n", qPrintable(why));
    std::exit(1);
}

// Median time of `runs` calls, in milliseconds.
double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void report(const char *what, double ms, const char *baseline, double baseMs)
{
    std::printf("store: %s %.2f ms, %s %.2f ms: %.2fx\n", what, ms, baseline, baseMs, ms / baseMs);
}

} // namespace

int main(int argc, char *argv[])
{
    // Documents must be ours before the store asks for it.
    QTemporaryDir home;
    if (!home.isValid())
        fail("no temporary home: " + home.errorString());
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains("--quick");
    const int runs = quick ? 3 : 15;

    const QTemporaryDir program; // no default preset files: config.json alone
    WriteReadJson probe(program.path());
    const QString path = probe.configPath();
    const QByteArray bytes = buildConfig();
    {
        // The store makes its folder at its first save; this file comes before it.
        if (!QDir().mkpath(QFileInfo(path).path()))
            fail("cannot make the folder of " + path);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            fail("cannot write " + path + ": " + file.errorString());
    }

    const double load = medianMs(runs, [&] {
        WriteReadJson store(program.path());
        if (store.customRecords().size() != size_t(kReceivers))
            fail(QString("the store read %1 receivers of %2")
                     .arg(store.customRecords().size())
                     .arg(kReceivers));
    });
    const double plainRead = medianMs(runs, [&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.readAll().size() != bytes.size())
            fail("cannot read " + path + ": " + file.errorString());
    });

    WriteReadJson store(program.path());
    QString saveFault;
    QObject::connect(
        &store, &WriteReadJson::saveFailed,
        [&saveFault](const QString &file, const QString &reason) { saveFault = file + ": " + reason; });
    const double rewrite = medianMs(runs, [&] { store.writeConfigJson(); });
    if (!saveFault.isEmpty())
        fail("the store did not save, " + saveFault);
    if (QFile(path).size() != bytes.size())
        fail(QString("the rewrite gave %1 bytes, not the %2 read").arg(QFile(path).size()).arg(bytes.size()));
    const double plainWrite = medianMs(runs, [&] {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            fail("cannot write " + path + ": " + file.errorString());
    });
    const double atomicWrite = medianMs(runs, [&] {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            fail("cannot save " + path + ": " + file.errorString());
    });

    std::printf("store: config.json of %d receivers x %d custom modes, %.2f MB\n", kReceivers, kModesEach,
                bytes.size() / 1e6);
    report("load", load, "plain read", plainRead);
    report("rewrite", rewrite, "plain write", plainWrite);
    report("rewrite", rewrite, "atomic write of the same bytes", atomicWrite);
    return 0;
}
