// libFuzzer target over the store's reading of config.json: each input is the
// user's config.json in a private Documents folder; the store reads it, a mode
// is selected (which rewrites the file), and then:
//  - the new config.json is valid and holds every record the store read;
//  - an input the store could not write back unchanged is kept aside byte for byte,
//    and one it did not keep lost no mode on the way.
// The private folder is on a memory file system where there is one, without syncs,
// so that a run gets through millions of inputs.
#include "presets/ConfigFile.h"
#include "presets/JsonText.h"
#include "presets/WriteReadJson.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

std::unique_ptr<QTemporaryDir> g_home;
QString g_program; // an empty program folder: no default files to scan
QString g_folder;  // <Documents>/VoxBench

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(quiet);
    ConfigFile::setSyncToDisk(false);
    const bool memory = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    g_home = memory ? std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/voxbench-fuzz-XXXXXX"))
                    : std::make_unique<QTemporaryDir>();
    qputenv("HOME", g_home->path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (g_home->path() + "/.config").toLocal8Bit());
    // No application object: the store needs none with an explicit program folder,
    // and one destroyed after Qt's own statics at exit would crash.
    g_program = g_home->path() + "/program";
    QDir().mkpath(g_program);
    g_folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/VoxBench";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QDir(g_folder).removeRecursively();
    QDir().mkpath(g_folder);
    const QByteArray original(reinterpret_cast<const char *>(data), int(size));
    {
        QFile file(g_folder + "/config.json");
        check(file.open(QIODevice::WriteOnly) && file.write(original) == original.size());
    }

    WriteReadJson store(g_program);
    const std::size_t records = store.currentModeRecords().size();
    const std::size_t customs = store.customRecords().size();
    // Selecting the receiver restores its mode (a write); then one more write.
    store.setDevice(0x4152, QString());
    store.writeConfigJson();

    const JsonText::Parsed written = JsonText::parse(readFile(g_folder + "/config.json"));
    check(written.status == JsonText::Status::Ok);
    check(written.object.value("currentMode").toArray().size() == int(records));
    check(written.object.value("customizeMode").toArray().size() == int(customs));

    const QStringList kept = QDir(g_folder).entryList({"config.json.bad-*"}, QDir::Files);
    if (!kept.isEmpty()) {
        check(kept.size() == 1);
        check(readFile(g_folder + "/" + kept.first()) == original);
        return 0;
    }
    // Not kept: it was read whole, and every mode of it was written again.
    const JsonText::Parsed read = JsonText::parse(original);
    check(read.status == JsonText::Status::Ok && !read.replaced);
    const QJsonArray before = read.object.value("customizeMode").toArray();
    const QJsonArray after = written.object.value("customizeMode").toArray();
    for (int i = 0; i < before.size(); ++i) {
        const QJsonArray modes = after.at(i).toObject().value("modes").toArray();
        for (const QJsonValue &mode : before.at(i).toObject().value("modes").toArray())
            check(mode.toObject().size() < 7 || modes.contains(mode));
        check(modes.size() == before.at(i).toObject().value("modes").toArray().size());
    }
    return 0;
}
