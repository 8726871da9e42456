// The store and the window with files they cannot use: config.json in a folder
// that cannot be written, a Documents folder that cannot be created, a 50 MB
// config.json, one of deeply nested arrays, and a default preset file with
// wrong types. Each gives a debug line, the program goes on, and the user's
// file is never replaced by one that holds less.
#include "support/ReliabilitySupport.h"

#include "app/VoxBenchInstance.h"
#include "log/DebugLog.h"
#include "presets/JsonText.h"
#include "presets/WriteReadJson.h"
#include "support/BehaviourSupport.h"
#include "support/DebugLines.h"
#include "ui/MessageBox.h"
#include "window/VoxBench.h"

#include <QtTest>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace behaviour;
using namespace reliability;

namespace {
constexpr int kProduct = 0x4152;
constexpr const char *kIdentity = "0a1b2c3d";

QJsonObject customMode(int type, int index, const QString &name)
{
    QJsonArray gains;
    for (int band = 0; band < 10; ++band)
        gains.append((band + index) % 25 - 12);
    return QJsonObject{{"algorithm", type == 1 ? "Stereo" : "Surround"},
                       {"customizeType", 1},
                       {"index", index},
                       {"name", name},
                       {"parameter", gains},
                       {"type", type},
                       {"uuid", QString("{%1-%2-%3}").arg(name).arg(type).arg(index)}};
}

// A config.json of `receivers` receivers, each with five custom modes per tab;
// the first one is the emulated receiver. Built from one record's text with the
// identity replaced, so that 50 MB take no time even under the sanitizers.
QByteArray configOf(int receivers)
{
    const QByteArray placeholder = "@@@@@@@@";
    QJsonArray modes;
    for (int type = 0; type < 2; ++type) {
        for (int slot = 0; slot < 5; ++slot)
            modes.append(customMode(type, slot, QString("Mode %1").arg(slot)));
    }
    const QByteArray current = QJsonDocument(QJsonObject{{"deviceUuid", QString(placeholder)},
                                                         {"pid", "0x4152"},
                                                         {"uuid", "{Mode 0-1-0}"},
                                                         {"vid", "0x5A17"}})
                                   .toJson(QJsonDocument::Indented);
    const QByteArray custom = QJsonDocument(QJsonObject{{"deviceUuid", QString(placeholder)},
                                                        {"modes", modes},
                                                        {"pid", "0x4152"},
                                                        {"vid", "0x5A17"}})
                                  .toJson(QJsonDocument::Indented);
    QByteArray currents, customs;
    currents.reserve(receivers * (current.size() + 1));
    customs.reserve(receivers * (custom.size() + 1));
    for (int r = 0; r < receivers; ++r) {
        const QByteArray uuid =
            r == 0 ? QByteArray(kIdentity) : QByteArray::number(r, 16).rightJustified(8, '0');
        if (r > 0) {
            currents += ',';
            customs += ',';
        }
        currents += QByteArray(current).replace(placeholder, uuid);
        customs += QByteArray(custom).replace(placeholder, uuid);
    }
    return "{\"currentMode\":[" + currents + "],\"customizeMode\":[" + customs + "]}\r\n";
}

// Files kept aside by the store, next to config.json.
QStringList keptAside()
{
    return QDir(QFileInfo(configPath()).path()).entryList({"config.json.bad-*"}, QDir::Files);
}

bool anyLineStartsWith(const DebugLines &debug, const QString &prefix)
{
    return debug.countStartingWith(prefix) > 0;
}
} // namespace

class tst_reliability_filefaults : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void readOnlyConfigFolder();
    void readOnlyConfigTellsOnce();
    void documentsCannotBeCreated();
    void fiftyMegabyteConfig();
    void deeplyNestedArrays();
    void defaultFileWithWrongTypes();

private:
    std::unique_ptr<WriteReadJson> openStore() const
    {
        return std::make_unique<WriteReadJson>(QCoreApplication::applicationDirPath());
    }
    static void selectFirstPreset(WriteReadJson &store)
    {
        store.setDevice(kProduct, QString(kIdentity));
        store.setCurrentMode(store.getSurroundPreset(1));
    }
};

void tst_reliability_filefaults::init()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFile::remove(documents); // a plain file left in its place
    QDir(documents).removeRecursively();
}

void tst_reliability_filefaults::cleanup()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ::chmod(QFile::encodeName(documents + "/VoxBench").constData(), 0755);
}

void tst_reliability_filefaults::readOnlyConfigFolder()
{
    const QByteArray original = configOf(3);
    QVERIFY(writeConfig(original));
    const QByteArray folder = QFile::encodeName(QFileInfo(configPath()).path());
    QCOMPARE(::chmod(folder.constData(), 0555), 0);

    DebugLines debug;
    std::unique_ptr<WriteReadJson> store = openStore();
    QCOMPARE(int(store->customRecords().size()), 3);
    selectFirstPreset(*store);
    QVERIFY(store->currentMode());
    QVERIFY(anyLineStartsWith(debug, "WriteReadJson::writeConfigJson :config.json not saved"));
    // The store goes on with the new state in memory; the file is the user's, untouched.
    QCOMPARE(readFile(configPath()), original);
    QCOMPARE(keptAside(), QStringList());
    // Writable again, the next change saves everything.
    QCOMPARE(::chmod(folder.constData(), 0755), 0);
    store->setCurrentMode(store->getSurroundPreset(2));
    const ConfigCheck check = checkConfig(readFile(configPath()));
    QVERIFY(check.valid);
    QCOMPARE(check.customRecords, 3);
    QCOMPARE(check.customModes, 30);
}

// Also with content that cannot be written back as read: no copy is kept, since
// no rewrite can follow (at every start one more would pile up), and one box tells.
void tst_reliability_filefaults::readOnlyConfigTellsOnce()
{
    const QByteArray original =
        configOf(2).replace("{\"currentMode\"", "{\"customiseMode\": 1, \"currentMode\"");
    QVERIFY(writeFile(configPath(), original));
    QVERIFY(QFile::setPermissions(configPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVector<MessageBox::Shown> boxes;
    MessageBox::setHandler([&boxes](const MessageBox::Shown &shown) { boxes.append(shown); });
    EmulatorControl::configure(EmulatorControl::Config());
    {
        VoxBenchInstance instance;
        VoxBench window(instance.model(), instance.ruleEngine());
        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(window.pageState(), PageState::Device, 3000);
        QVERIFY(waitForSettled(instance.session()));
        // Each selection is one more save that fails.
        window.form().radioButton_Stereo_Jazz->click();
        spin(100);
        window.form().radioButton_Surround_FPS->click();
        spin(100);
        QCOMPARE(instance.store().currentMode()->name, QString("FPS"));
        instance.handleHidRemoval(0x5A17, kProduct);
    }
    MessageBox::setHandler(nullptr);
    QCOMPARE(keptAside(), QStringList());
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().kind, MessageBox::Kind::Warning);
    QCOMPARE(boxes.first().title, QStringLiteral("warning"));
    QVERIFY2(boxes.first().text.contains(configPath()) && boxes.first().text.contains("not writable"),
             qPrintable(boxes.first().text));
    QCOMPARE(readFile(configPath()), original);
}

void tst_reliability_filefaults::documentsCannotBeCreated()
{
    // A plain file where the Documents folder should be: neither the folder
    // nor anything below it can be created.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QVERIFY(writeFile(documents, "not a folder"));

    DebugLines debug;
    QVector<MessageBox::Shown> boxes;
    MessageBox::setHandler([&boxes](const MessageBox::Shown &shown) { boxes.append(shown); });
    EmulatorControl::Config config;
    EmulatorControl::configure(config);
    {
        VoxBenchInstance instance;
        VoxBench window(instance.model(), instance.ruleEngine());
        window.show();
        QVERIFY(instance.session().readThread());
        QTRY_COMPARE_WITH_TIMEOUT(window.pageState(), PageState::Device, 3000);
        QVERIFY(waitForSettled(instance.session()));
        QCOMPARE(window.deviceUuid(), QString(kIdentity));
        // The modes still reach the receiver.
        QVERIFY(withCommand(writtenReports(), kSetPeq).size() >= 4);
        window.form().radioButton_Stereo_Jazz->click();
        spin(100);
        instance.handleHidRemoval(0x5A17, kProduct);
    }
    QVERIFY(anyLineStartsWith(debug, "WriteReadJson::writeConfigJson :config.json not saved"));
    // Of all the failed saves the user hears once; the user folder check tells once too.
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.first().title, QStringLiteral("warning"));
    QVERIFY(boxes.first().text.startsWith("Your modes could not be saved."));
    QCOMPARE(boxes.last().title, QStringLiteral("warning"));
    QCOMPARE(boxes.last().text, QStringLiteral("No Execution Permission!"));
    QCOMPARE(readFile(documents), QByteArray("not a folder"));
    MessageBox::setHandler(nullptr);
}

void tst_reliability_filefaults::fiftyMegabyteConfig()
{
    // VOXBENCH_BIG_CONFIG_MB (50) sizes it down where every allocation is slow (sanitizers).
    const int megabytes = qEnvironmentVariableIntValue("VOXBENCH_BIG_CONFIG_MB") > 0
                              ? qEnvironmentVariableIntValue("VOXBENCH_BIG_CONFIG_MB")
                              : 50;
    const int perReceiver = configOf(2).size() - configOf(1).size();
    const QByteArray original = configOf(megabytes * 1024 * 1024 / perReceiver + 1);
    QVERIFY(original.size() >= megabytes * 1024 * 1024);
    const ConfigCheck before = checkConfig(original);
    QVERIFY(writeConfig(original));

    auto debug = std::make_unique<DebugLines>();
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<WriteReadJson> store = openStore();
    const qint64 loadMs = clock.elapsed();
    clock.restart();
    selectFirstPreset(*store);
    const qint64 writeMs = clock.elapsed();
    const bool unreadable =
        anyLineStartsWith(*debug, "WriteReadJson::readConfigJson :config.json unreadable");
    debug.reset(); // it takes every message
    qInfo("config.json of %d MB, %d receivers: read in %lld ms, rewritten in %lld ms%s",
          int(original.size() >> 20), before.customRecords, loadMs, writeMs,
          unreadable ? " (unreadable)" : "");

    const QByteArray now = readFile(configPath());
    if (store->customRecords().empty()) {
        // Too big for the JSON reader: the user's file must have been kept as it was.
        QVERIFY(unreadable);
        QCOMPARE(keptAside().size(), 1);
        QCOMPARE(readFile(QFileInfo(configPath()).path() + "/" + keptAside().first()), original);
    } else {
        const ConfigCheck after = checkConfig(now);
        QVERIFY(after.valid);
        QCOMPARE(after.customRecords, before.customRecords);
        QCOMPARE(after.customModes, before.customModes);
        QCOMPARE(after.currentModes, before.currentModes);
        QVERIFY(now.size() >= original.size() - 64);
    }
}

void tst_reliability_filefaults::deeplyNestedArrays()
{
    for (const int depth : {2000, 200000}) {
        init();
        const QByteArray original = "{\"currentMode\": " + QByteArray(depth, '[') + QByteArray(depth, ']') +
                                    ", \"customizeMode\": []}\r\n";
        QVERIFY(writeConfig(original));
        DebugLines debug;
        std::unique_ptr<WriteReadJson> store = openStore();
        QVERIFY(anyLineStartsWith(debug, "WriteReadJson::readConfigJson :config.json unreadable"));
        QVERIFY(store->currentModeRecords().empty());
        selectFirstPreset(*store);
        // The unreadable file is kept byte for byte beside the new one.
        QCOMPARE(keptAside().size(), 1);
        QCOMPARE(readFile(QFileInfo(configPath()).path() + "/" + keptAside().first()), original);
        const ConfigCheck check = checkConfig(readFile(configPath()));
        QVERIFY(check.valid);
        QCOMPARE(check.currentModes, 1);
    }
}

void tst_reliability_filefaults::defaultFileWithWrongTypes()
{
    QTemporaryDir program;
    QVERIFY(program.isValid());
    // One good file, and files whose keys have the wrong JSON types.
    const QByteArray good =
        readFile(QCoreApplication::applicationDirPath() + "/DefaultFile/VID-5A17&PID-4152.json");
    QVERIFY(!good.isEmpty());
    QVERIFY(writeFile(program.filePath("DefaultFile/VID-5A17&PID-4152.json"), good));
    QVERIFY(
        writeFile(program.filePath("DefaultFile/VID-5A17&PID-4165.json"),
                  R"({"vid": 23063, "pid": ["0x4165"], "micENC": "no", "defaultMode": {"name": "FPS"}})"));
    QVERIFY(writeFile(program.filePath("DefaultFile/VID-5A17&PID-0F06.json"),
                      R"({"vid": "0x5A17", "pid": "0x0F06", "defaultMode": [7, "x", null, [1],
                          {"name": 5, "type": "1", "uuid": {}, "parameter": "loud"},
                          {"name": "Odd", "type": 1.5, "parameter": [1e300, -1e300, "3", true, null, 4, 5, 6, 7, 8, 9]}]})"));
    QVERIFY(writeFile(program.filePath("DefaultFile/VID-5A17&PID-1054.json"), R"([1, 2, 3])"));
    // A Latin-1 byte in a name: the file is read with it replaced, not dropped.
    QByteArray stray = good;
    stray.replace("\"0x4152\"", "\"0x4160\"").replace("\"FPS\"", "\"FPS\xE9\"");
    QVERIFY(writeFile(program.filePath("DefaultFile/VID-5A17&PID-4160.json"), stray));

    DebugLines debug;
    const WriteReadJson store(program.path());
    // The good file is read whatever its neighbours hold, and nothing crashed.
    const QMap<int, QString> known = store.knownDevices();
    QVERIFY(known.contains(0x4152));
    for (const int productId : known.keys()) {
        WriteReadJson &s = const_cast<WriteReadJson &>(store);
        s.setDevice(productId, QString());
        for (const ModeType type : {Surround, Stereo}) {
            for (const ModeData *mode : s.defaultModes(type)) {
                for (int gain : mode->parameter)
                    QVERIFY2(gain >= -12 && gain <= 12,
                             qPrintable(QString("%1 in %2").arg(gain).arg(mode->name)));
            }
        }
    }
    // Each bad file is named with what is wrong in it; the good one is not mentioned.
    const QString prefix = "WriteReadJson::getPresetJson :";
    for (const QString &line : {
             QString("VID-5A17&PID-4165.json: \"vid\" is 23063, not a string: read as empty"),
             QString("VID-5A17&PID-4165.json: \"pid\" is an array, not a string: read as empty"),
             QString("VID-5A17&PID-4165.json: \"micENC\" is a string, not a boolean: read as false"),
             QString("VID-5A17&PID-4165.json: \"defaultMode\" is an object, not an array: read as empty"),
             QString("VID-5A17&PID-0F06.json: defaultMode[0] is 7, not an object: read as an empty mode"),
             QString("VID-5A17&PID-0F06.json: defaultMode[4] \"name\" is 5, not a string: read as empty"),
             QString(
                 "VID-5A17&PID-0F06.json: defaultMode[4] \"type\" is a string, not an integer: read as 0"),
             QString(
                 "VID-5A17&PID-0F06.json: defaultMode[4] \"uuid\" is an object, not a string: read as empty"),
             QString("VID-5A17&PID-1054.json is not a JSON object, skipped"),
             QString("VID-5A17&PID-4160.json: bytes that are neither UTF-8 nor GBK, read with U+FFFD"),
         })
        QVERIFY2(debug.countStartingWith(prefix + line) == 1, qPrintable(line));
    // The 0F06 file has more than the few lines shown; the rest are counted, not printed.
    QCOMPARE(debug.countStartingWith(prefix + "VID-5A17&PID-0F06.json: "), 9);
    QCOMPARE(debug.countStartingWith(prefix + "VID-5A17&PID-0F06.json: 6 more faults"), 1);
    QCOMPARE(debug.countStartingWith(prefix + "VID-5A17&PID-4152.json"), 0);
    QVERIFY(known.contains(0x4160));
    // "micENC" of another type reads as toBool() reads it: off.
    WriteReadJson &s = const_cast<WriteReadJson &>(store);
    s.setDevice(0, QString());
    QVERIFY(s.defaultDevice() && !s.defaultDevice()->micENC);
}

// Run as root, file permissions do not hold; the test then runs as nobody.
int main(int argc, char *argv[])
{
    if (::geteuid() == 0) {
        const QByteArray home = qgetenv("HOME");
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        const QString chown = QString("chown -R 65534:65534 '%1' '%2' && chmod 711 \"$(dirname '%1')\"")
                                  .arg(QString::fromLocal8Bit(home), QString::fromLocal8Bit(runtime));
        if (std::system(chown.toLocal8Bit().constData()) != 0 || ::setgid(65534) != 0 ||
            ::setuid(65534) != 0) {
            std::fprintf(stderr, "cannot drop root for the permission cases\n");
            return 1;
        }
    }
    QApplication app(argc, argv);
    tst_reliability_filefaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reliability_filefaults.moc"
