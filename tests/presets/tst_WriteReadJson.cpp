// The preset store over a temporary Documents folder and program folder.

#include "presets/PresetJson.h"
#include "presets/WriteReadJson.h"
#include "support/StoreFixture.h"

#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>
#if VOXBENCH_POSIX_TESTS
#include <sys/mount.h>
#include <sys/stat.h>
#endif

using namespace StoreFixture;

namespace {

std::unique_ptr<ModeData> customMode(int type, const QString &name, int index, const QString &uuid)
{
    auto mode = std::make_unique<ModeData>();
    mode->algorithm = type == Stereo ? "Stereo" : "Surround";
    mode->name = name;
    mode->uuid = uuid;
    mode->type = type;
    mode->customizeType = 1;
    mode->parameter = std::vector<int>(10, index);
    mode->index = index;
    return mode;
}

QMap<QString, int> slotsOf(const QMap<QString, ModeData *> &modes)
{
    QMap<QString, int> result;
    for (auto it = modes.begin(); it != modes.end(); ++it)
        result.insert(it.key(), it.value()->index);
    return result;
}

#if VOXBENCH_POSIX_TESTS
// One selection saved by a store of its own; the paths of the saves that failed.
QStringList saveOnce(const QString &programFolder)
{
    WriteReadJson store(programFolder);
    QStringList failed;
    QObject::connect(&store, &WriteReadJson::saveFailed,
                     [&failed](const QString &path, const QString &) { failed << path; });
    store.setDevice(0x4152, "0a0b0c0d");
    store.setCurrentMode(store.getSurroundPreset(1));
    return failed;
}
#endif

QStringList keptConfigs()
{
    return QDir(documents() + "/VoxBench").entryList({"config.json.bad-*"}, QDir::Files);
}

} // namespace

class tst_WriteReadJson : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void convertsProductIds();
    void walksDefaultFilesInSortedOrder();
    void readsModesOfDefaultFiles();
    void findsPresetsByButton();
    void configReloadsToTheSameState();
    void readsGbkConfig();
    void remembersTheCurrentModePerReceiver();
    void leavesOtherReceiversRecordsAlone();
    void restoresInSearchOrder();
    void insertsRenamesAndRemovesCustomModes();
    void removeDestroysOnlyWhatItRemoves();
    void renameMovesTheModeItself();
    void keepsConfigAsideBeforeOverwriting_data();
    void keepsConfigAsideBeforeOverwriting();
#if VOXBENCH_POSIX_TESTS
    void keepsOneCopyAcrossStarts();
    void savesWholeOrNotAtAllOnAFullDisk();
    void savesThroughLinksButNeverOverOtherFiles();
#endif
    void removesLeftoversOfInterruptedSaves();
    void createsTheConfigFolderToSave();

private:
    // A program folder with default files for 0x4152 and 0x104d.
    QString programFolder();

    std::unique_ptr<QTemporaryDir> m_program;
};

void tst_WriteReadJson::init()
{
    QDir(documents()).removeRecursively();
    m_program = std::make_unique<QTemporaryDir>();
    QVERIFY(m_program->isValid());
}

QString tst_WriteReadJson::programFolder()
{
    writeFile(m_program->filePath("DefaultFile/VID-5A17&PID-4152.json"), defaultFile("0x4152", "4152"));
    writeFile(m_program->filePath("DefaultFile/VID-5A17&PID-104d.json"), defaultFile("0x104d", "104d"));
    return m_program->path();
}

void tst_WriteReadJson::convertsProductIds()
{
    QCOMPARE(PresetJson::productIdOf("0x4152"), 0x4152);
    QCOMPARE(PresetJson::productIdOf("0X104d"), 0x104D);
    QCOMPARE(PresetJson::productIdOf("104D"), 0x104D);
    QCOMPARE(PresetJson::productIdOf("0x10zz"), 0x10);
    QCOMPARE(PresetJson::productIdOf(""), 0);
    QCOMPARE(PresetJson::productIdOf("0x"), 0);
    QCOMPARE(PresetJson::productIdOf("pid"), 0);
    // Eight digits at most: more would wrap onto a real receiver.
    QCOMPARE(PresetJson::productIdOf("0xFFE5672E"), qint32(0xFFE5672E));
    QCOMPARE(PresetJson::productIdOf("0x100004152"), 0);
}

void tst_WriteReadJson::walksDefaultFilesInSortedOrder()
{
    const QString root = m_program->path();
    // Two files for one product id: the one first in name order wins, whatever the listing.
    writeFile(root + "/b/late.json", defaultFile("0x4152", "late"));
    writeFile(root + "/a/deep/er/early.json", defaultFile("0x4152", "early"));
    writeFile(root + "/z.JSON", defaultFile("0x1054"));
    writeFile(root + "/nodefault.json", R"({"vid": "0x5A17", "pid": "0x1111"})");
    writeFile(root + "/broken.json", "{\"vid\": ");
    writeFile(root + "/notes.txt", defaultFile("0x3333"));
    // Links are not followed: no loops, nothing from outside the folder.
    QTemporaryDir outside;
    writeFile(outside.filePath("linked.json"), defaultFile("0x2222"));
    QVERIFY(QFile::link(outside.path(), root + "/outside"));
    QVERIFY(QFile::link(outside.filePath("linked.json"), root + "/linked.json"));
    QVERIFY(QFile::link(root, root + "/a/loop"));

    QTest::ignoreMessage(QtDebugMsg, "WriteReadJson::getPresetJson :Get json Null");
    WriteReadJson store(root);
    QCOMPARE(store.knownDevices().keys(), QList<int>({0x1054, 0x4152}));
    store.setDevice(0x4152, QString());
    QCOMPARE(store.getStereoPreset(0)->uuid, QString("{t-early}"));
}

void tst_WriteReadJson::readsModesOfDefaultFiles()
{
    const QJsonArray ten{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const QJsonArray modes{
        mode(0, "FPS", "{a}", ten),
        mode(0, "FPS", "{second FPS}", ten),
        mode(7, "Odd", "{odd}", QJsonArray{1, 2, 3}),
        mode(1, "Long", "{long}", QJsonArray{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
        QJsonObject{{"name", "Bare"}, {"customizeType", 1}, {"index", 3}},
    };
    writeFile(m_program->filePath("m.json"),
              JsonText::serialize(QJsonObject{{"pid", "0x4000"}, {"micENC", false}, {"defaultMode", modes}}));
    writeFile(m_program->filePath("n.json"),
              JsonText::serialize(QJsonObject{{"pid", "0x4001"}, {"defaultMode", QJsonArray{}}}));
    WriteReadJson store(m_program->path());

    store.setDevice(0x4001, QString());
    QVERIFY(store.defaultDevice());
    QVERIFY(store.defaultDevice()->micENC);

    store.setDevice(0x4000, QString());
    const DeviceModes *device = store.defaultDevice();
    QVERIFY(device);
    QVERIFY(!device->micENC);
    QCOMPARE(device->vid, QString());
    QCOMPARE(device->surroundModes.at("FPS")->uuid, QString("{a}"));
    QCOMPARE(device->surroundModes.at("Odd")->type, 7);
    QCOMPARE(device->surroundModes.at("Odd")->parameter, std::vector<int>({1, 2, 3, 0, 0, 0, 0, 0, 0, 0}));
    QCOMPARE(device->stereoModes.at("Long")->parameter, std::vector<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    const ModeData &bare = *device->surroundModes.at("Bare");
    QCOMPARE(bare.parameter, std::vector<int>(10, 0));
    QCOMPARE(bare.customizeType, 0); // not read from default files
    QCOMPARE(bare.index, 0);
    QCOMPARE(bare.uuid, QString());
}

void tst_WriteReadJson::findsPresetsByButton()
{
    WriteReadJson store(programFolder());
    QVERIFY(!store.getStereoPreset(0)); // no receiver yet
    store.setDevice(0x104D, "01020304");
    QCOMPARE(store.getStereoPreset(0)->name, QString("Pop"));
    QCOMPARE(store.getSurroundPreset(1)->name, QString("FPS"));
    QVERIFY(!store.getSurroundPreset(0)); // the file has no "Deep Bass"
    QVERIFY(!store.getStereoPreset(6));
    QVERIFY(!store.getSurroundPreset(-1));
    QCOMPARE(store.defaultModes(Stereo).keys(), QStringList({"Pop"}));
    store.setDevice(0x9999, QString());
    QVERIFY(!store.defaultDevice());
    QVERIFY(store.defaultModes(Surround).isEmpty());
}

void tst_WriteReadJson::configReloadsToTheSameState()
{
    const QString folder = programFolder();
    QByteArray written;
    {
        WriteReadJson store(folder);
        store.setDevice(0x4152, "0a0b0c0d");
        store.insertCustomizeMode(customMode(Stereo, QString::fromUtf8("我的"), 0, "{c1}"));
        store.insertCustomizeMode(customMode(Stereo, "Custom \"2\"", 1, "{c2}"));
        store.insertCustomizeMode(customMode(Surround, "Zed", 0, "{c3}"));
        store.setDevice(0x104D, "0a0b0c0d");
        store.insertCustomizeMode(customMode(Surround, "Other", 0, "{c4}"));
        store.setCurrentMode(store.getSurroundPreset(1));
        written = readFile(configPath());
    }
    QVERIFY(written.endsWith("}\r\n"));
    {
        // The direct writer and the generic one agree byte for byte.
        WriteReadJson store(folder);
        QJsonArray current;
        for (const CurrentModeRecord &record : store.currentModeRecords())
            current.append(PresetJson::currentModeToJson(record));
        QJsonArray customize;
        for (const auto &device : store.customRecords())
            customize.append(PresetJson::customRecordToJson(*device));
        QCOMPARE(written,
                 JsonText::serialize(QJsonObject{{"currentMode", current}, {"customizeMode", customize}}));
    }
    QVERIFY(written.startsWith("{\r\n    \"currentMode\": [\r\n"));

    WriteReadJson store(folder);
    QCOMPARE(store.customRecords().size(), size_t(2));
    QCOMPARE(store.currentModeRecords().size(), size_t(1));
    const CurrentModeRecord &record = store.currentModeRecords().front();
    QCOMPARE(record.pid, QString("0x104d"));
    QCOMPARE(record.vid, QString("0x5A17"));
    QCOMPARE(record.deviceUuid, QString("0a0b0c0d"));
    QCOMPARE(record.uuid, QString("{s-104d}"));

    store.setDevice(0x4152, "0a0b0c0d");
    QCOMPARE(slotsOf(store.customizeModes(Stereo)),
             (QMap<QString, int>{{"Custom \"2\"", 1}, {QString::fromUtf8("我的"), 0}}));
    const ModeData &mine = *store.customizeModes(Stereo).value(QString::fromUtf8("我的"));
    QCOMPARE(mine.uuid, QString("{c1}"));
    QCOMPARE(mine.customizeType, 1);
    QCOMPARE(mine.algorithm, QString("Stereo"));
    QCOMPARE(mine.parameter, std::vector<int>(10, 0));
    QCOMPARE(store.customizeModes(Surround).keys(), QStringList({"Zed"}));
    // The same receiver model with another identity has no custom modes.
    store.setDevice(0x4152, "ffffffff");
    QVERIFY(store.customizeModes(Stereo).isEmpty());

    store.writeConfigJson();
    QCOMPARE(readFile(configPath()), written);
}

void tst_WriteReadJson::readsGbkConfig()
{
    const QString name = QString::fromUtf8("游戏模式");
    const QString text =
        QString::fromUtf8(
            R"({"currentMode": [{"deviceUuid": "", "pid": "0x4152", "uuid": "{g}", "vid": "0x5A17"}],
        "customizeMode": [{"deviceUuid": "", "pid": "0x4152", "vid": "0x5A17", "modes": [
        {"algorithm": "Surround", "customizeType": 1, "index": 0, "name": "%1", "parameter": [1,2,3,4,5,6,7,8,9,10], "type": 0, "uuid": "{g}"}]}]})")
            .arg(name);
    writeConfig(QTextCodec::codecForName("GBK")->fromUnicode(text));
    WriteReadJson store(programFolder());
    store.setDevice(0x4152, QString());
    QCOMPARE(store.customizeModes(Surround).keys(), QStringList({name}));
    QVERIFY(store.currentMode());
    QCOMPARE(store.currentMode()->name, name);
    // It was read, so it is rewritten in UTF-8 without being kept aside.
    QVERIFY(keptConfigs().isEmpty());
    QVERIFY(readFile(configPath()).contains(name.toUtf8()));
}

void tst_WriteReadJson::remembersTheCurrentModePerReceiver()
{
    WriteReadJson store(programFolder());
    QVERIFY(!QFile::exists(configPath()));
    store.setDevice(0x4152, "0a0b0c0d");
    QVERIFY(!store.currentMode());

    store.setCurrentMode(store.getSurroundPreset(1));
    QCOMPARE(store.currentModeRecords().size(), size_t(1));
    QCOMPARE(store.currentModeRecords().front().deviceUuid, QString("0a0b0c0d"));
    QCOMPARE(store.currentModeRecords().front().pid, QString("0x4152"));
    QVERIFY(readFile(configPath()).contains("{s-4152}"));

    store.setCurrentMode(store.getStereoPreset(0));
    QCOMPARE(store.currentModeRecords().size(), size_t(1));
    QCOMPARE(store.currentModeRecords().front().uuid, QString("{t-4152}"));
    QVERIFY(readFile(configPath()).contains("{t-4152}"));
    QCOMPARE(store.currentMode()->name, QString("Pop"));

    // The current mode is a copy: it outlives a change of the stored modes.
    store.setCurrentMode(nullptr);
    QVERIFY(!store.currentMode());

    // An unknown receiver is not remembered, but the choice is still written.
    store.setDevice(0x7777, QString());
    ModeData loose;
    loose.uuid = "{loose}";
    store.setCurrentMode(&loose);
    QCOMPARE(store.currentModeRecords().size(), size_t(1));
    QCOMPARE(store.currentMode()->uuid, QString("{loose}"));

    // Another run restores the choice when the receiver comes back.
    WriteReadJson next(m_program->path());
    next.setDevice(0x4152, "0a0b0c0d");
    QCOMPARE(next.currentMode()->uuid, QString("{t-4152}"));
    next.clearDevice();
    QVERIFY(!next.currentMode());
    QCOMPARE(next.deviceKey().productId, DeviceKey::kNoProduct);
}

void tst_WriteReadJson::leavesOtherReceiversRecordsAlone()
{
    WriteReadJson store(programFolder());
    store.setDevice(0x4152, "0a0b0c0d");
    store.setCurrentMode(store.getSurroundPreset(1));

    // A receiver whose identity never arrived is used, but nothing is stored for it:
    // no record for a receiver that may not exist, and none is touched.
    store.clearDevice();
    store.setDevice(0x4152, QString());
    QVERIFY(!store.currentMode());
    store.setCurrentMode(store.getStereoPreset(0));
    QCOMPARE(store.currentMode()->uuid, QString("{t-4152}"));
    store.insertCustomizeMode(customMode(Stereo, "Nobody's", 0, "{n}"));
    QVERIFY(store.customRecords().empty());
    QCOMPARE(store.currentModeRecords().size(), size_t(1));
    QCOMPARE(store.currentModeRecords().at(0).uuid, QString("{s-4152}"));

    store.setDevice(0x4152, "0a0b0c0d");
    QCOMPARE(store.currentMode()->uuid, QString("{s-4152}"));
}

void tst_WriteReadJson::restoresInSearchOrder()
{
    const QString folder = programFolder();
    {
        WriteReadJson store(folder);
        store.setDevice(0x4152, "0a0b0c0d");
        // Custom modes that share the built-ins' uuids.
        store.insertCustomizeMode(customMode(Stereo, "Shares stereo", 0, "{s-4152}"));
        store.insertCustomizeMode(customMode(Surround, "Shares surround", 0, "{t-4152}"));
        store.setCurrentMode(store.getStereoPreset(0)); // uuid {t-4152}
    }
    {
        // Custom Surround comes before built-in Stereo.
        WriteReadJson store(folder);
        store.setDevice(0x4152, "0a0b0c0d");
        QCOMPARE(store.currentMode()->name, QString("Shares surround"));
        store.setCurrentMode(store.getSurroundPreset(1)); // uuid {s-4152}
    }
    {
        // Built-in Surround comes before custom Stereo.
        WriteReadJson store(folder);
        store.setDevice(0x4152, "0a0b0c0d");
        QCOMPARE(store.currentMode()->name, QString("FPS"));
        QCOMPARE(store.currentMode()->customizeType, 0);
        // A remembered uuid that no mode has leaves the current mode as it was.
        ModeData gone;
        gone.uuid = "{gone}";
        store.setCurrentMode(&gone);
        store.setDevice(0x4152, "0a0b0c0d");
        QCOMPARE(store.currentMode()->uuid, QString("{gone}"));
    }
}

void tst_WriteReadJson::insertsRenamesAndRemovesCustomModes()
{
    WriteReadJson store(programFolder());
    // Without a default record custom modes are not stored.
    store.setDevice(0x7777, QString());
    store.insertCustomizeMode(customMode(Stereo, "Lost", 0, "{l}"));
    QVERIFY(store.customRecords().empty());

    store.setDevice(0x4152, "0a0b0c0d");
    store.insertCustomizeMode(customMode(Stereo, "One", 0, "{1}"));
    store.insertCustomizeMode(customMode(Stereo, "Two", 1, "{2}"));
    store.insertCustomizeMode(customMode(Stereo, "Three", 2, "{3}"));
    store.insertCustomizeMode(customMode(Surround, "Four", 0, "{4}"));
    store.insertCustomizeMode(customMode(Stereo, "One", 4, "{dup}")); // first insert wins
    QCOMPARE(store.customizeModes(Stereo).value("One")->uuid, QString("{1}"));
    QCOMPARE(store.customizeDevice()->pid, QString("0x4152"));
    QCOMPARE(store.customizeDevice()->vid, QString("0x5A17"));
    QCOMPARE(store.customizeDevice()->deviceUuid, QString("0a0b0c0d"));

    ModeData *two = store.customizeModes(Stereo).value("Two");
    two->name = "Second";
    store.renameCustomizeMode("Two", two);
    QCOMPARE(slotsOf(store.customizeModes(Stereo)),
             (QMap<QString, int>{{"One", 0}, {"Second", 1}, {"Three", 2}}));
    // A rename saves itself, as every change does.
    {
        WriteReadJson renamed(m_program->path());
        renamed.setDevice(0x4152, "0a0b0c0d");
        QCOMPARE(renamed.customizeModes(Stereo).keys(), QStringList({"One", "Second", "Three"}));
    }

    // Slots 0, 1, 2 less slot 1 leaves 0 and 1; the other tab keeps its slots.
    store.removeCustomizeMode(store.customizeModes(Stereo).value("Second"));
    QCOMPARE(slotsOf(store.customizeModes(Stereo)), (QMap<QString, int>{{"One", 0}, {"Three", 1}}));
    QCOMPARE(slotsOf(store.customizeModes(Surround)), (QMap<QString, int>{{"Four", 0}}));

    WriteReadJson reloaded(m_program->path());
    reloaded.setDevice(0x4152, "0a0b0c0d");
    QCOMPARE(slotsOf(reloaded.customizeModes(Stereo)), (QMap<QString, int>{{"One", 0}, {"Three", 1}}));
    QCOMPARE(reloaded.customizeModes(Surround).keys(), QStringList({"Four"}));
}

void tst_WriteReadJson::removeDestroysOnlyWhatItRemoves()
{
    WriteReadJson store(programFolder());
    store.setDevice(0x4152, "0a0b0c0d");
    store.insertCustomizeMode(customMode(Stereo, "Kept", 0, "{k}"));

    // A mode of the caller's that the store does not hold stays the caller's.
    const std::unique_ptr<ModeData> stranger = customMode(Stereo, "Stranger", 0, "{s}");
    store.removeCustomizeMode(stranger.get());
    QCOMPARE(stranger->name, QString("Stranger"));
    QCOMPARE(slotsOf(store.customizeModes(Stereo)), (QMap<QString, int>{{"Kept", 0}}));

    // Of the other type: nothing removed.
    const std::unique_ptr<ModeData> otherTab = customMode(Surround, "Kept", 0, "{k}");
    store.removeCustomizeMode(otherTab.get());
    QCOMPARE(store.customizeModes(Stereo).size(), 1);

    // A copy names the stored mode: the stored one goes, the copy lives on.
    const ModeData copy = *store.customizeModes(Stereo).value("Kept");
    store.removeCustomizeMode(&copy);
    QVERIFY(store.customizeModes(Stereo).isEmpty());
    QCOMPARE(copy.uuid, QString("{k}"));
    store.removeCustomizeMode(nullptr);
}

void tst_WriteReadJson::renameMovesTheModeItself()
{
    WriteReadJson store(programFolder());
    store.setDevice(0x4152, "0a0b0c0d");
    store.insertCustomizeMode(customMode(Surround, "A", 0, "{a}"));
    store.insertCustomizeMode(customMode(Surround, "B", 1, "{b}"));
    ModeData *a = store.customizeModes(Surround).value("A");
    ModeData *b = store.customizeModes(Surround).value("B");

    // A wrong old name must not leave the mode under two keys or drop another mode.
    a->name = "C";
    store.renameCustomizeMode("B", a);
    QCOMPARE(store.customizeModes(Surround).keys(), QStringList({"B", "C"}));
    QCOMPARE(store.customizeModes(Surround).value("C"), a);
    QCOMPARE(store.customizeModes(Surround).value("B"), b);

    // A name another mode has: the mode stays where it is, under its old name.
    a->name = "B";
    store.renameCustomizeMode("C", a);
    QCOMPARE(store.customizeModes(Surround).value("C"), a);
    QCOMPARE(a->name, QString("C"));
    QCOMPARE(store.customizeModes(Surround).value("B"), b);

    // A mode the store does not hold is not taken in.
    ModeData loose = *b;
    loose.name = "Loose";
    store.renameCustomizeMode("B", &loose);
    QCOMPARE(store.customizeModes(Surround).keys(), QStringList({"B", "C"}));
}

void tst_WriteReadJson::keepsConfigAsideBeforeOverwriting_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("modesRead");
    QTest::addColumn<QString>("reason");
    const QByteArray mode = R"({"algorithm": "Stereo", "customizeType": 1, "index": 0, "name": "Mine",
                                "parameter": [1, 2, 3, 4, 5, 6, 7, 8, 9, 10], "type": 1, "uuid": "{m}"})";
    const auto record = [](const QByteArray &modes) {
        return R"({"currentMode": [], "customizeMode": [{"deviceUuid": "0a0b0c0d", "modes": )" + modes +
               R"(, "pid": "0x4152", "vid": "0x5A17"}]})";
    };
    // Unreadable: nothing could be read.
    QTest::newRow("empty") << QByteArray() << 0 << "not JSON";
    QTest::newRow("half written") << QByteArray("{\r\n    \"currentMode\": [\r\n        {\r\n") << 0
                                  << "not JSON";
    QTest::newRow("not an object") << QByteArray("[1, 2, 3]") << 0 << "not a JSON object";
    // Readable, but not written back as it was.
    QTest::newRow("lists of the wrong kind") << QByteArray(R"({"currentMode": {}, "customizeMode": []})") << 0
                                             << "\"currentMode\" is not an array";
    QTest::newRow("misspelled key") << QByteArray(R"({"currentMode": [], "customiseMode": [1]})") << 0
                                    << "\"customiseMode\" is not a key of the file: dropped";
    QTest::newRow("modes an object") << record("{\"Mine\": " + mode + "}") << 0
                                     << "customizeMode[0] \"modes\" is an object, not an array";
    QTest::newRow("two modes of one name") << record("[" + mode + ", " + mode + "]") << 1
                                           << "customizeMode[0] modes[1] repeats the name \"Mine\": dropped";
    QTest::newRow("gains as text") << record("[" + QByteArray(mode).replace("[1, 2,", "[\"1\", 2,") + "]")
                                   << 1 << "customizeMode[0] modes[0] \"parameter\"[0] is a string";
    // One Latin-1 byte, neither UTF-8 nor GBK: read with the byte replaced, every mode kept.
    QTest::newRow("stray byte") << record("[" + QByteArray(mode).replace("Mine", "Caf\xE9") + ", " +
                                          QByteArray(mode).replace("Mine", "Two").replace("{m}", "{t}") + "]")
                                << 2 << "bytes that are neither UTF-8 nor GBK";
}

void tst_WriteReadJson::keepsConfigAsideBeforeOverwriting()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, modesRead);
    QFETCH(QString, reason);
    QVERIFY(writeFile(configPath(), bytes));
    WriteReadJson store(programFolder());
    QSignalSpy kept(&store, &WriteReadJson::configKeptAside);
    store.setDevice(0x4152, "0a0b0c0d");
    QCOMPARE(store.customizeModes(Stereo).size(), modesRead);
    QCOMPARE(readFile(configPath()), bytes); // reading changes nothing
    QVERIFY(keptConfigs().isEmpty());

    store.setCurrentMode(store.getSurroundPreset(1));
    QCOMPARE(keptConfigs().size(), 1);
    QCOMPARE(readFile(documents() + "/VoxBench/" + keptConfigs().front()), bytes);
    QCOMPARE(kept.size(), 1);
    QVERIFY(kept.front().at(0).toString().endsWith("/VoxBench/" + keptConfigs().front()));
    QVERIFY2(kept.front().at(1).toString().startsWith(reason), qPrintable(kept.front().at(1).toString()));
    const JsonText::Parsed rewritten = JsonText::parse(readFile(configPath()));
    QCOMPARE(rewritten.status, JsonText::Status::Ok);

    // Kept once; later writes go straight to config.json.
    store.setCurrentMode(store.getStereoPreset(0));
    QCOMPARE(keptConfigs().size(), 1);
    QCOMPARE(kept.size(), 1);
    QVERIFY(readFile(configPath()).contains("{t-4152}"));
    // What the store writes it reads back without anything to keep.
    WriteReadJson again(m_program->path());
    again.setDevice(0x4152, "0a0b0c0d");
    again.setCurrentMode(again.getSurroundPreset(1));
    QCOMPARE(keptConfigs().size(), 1);
}

#if VOXBENCH_POSIX_TESTS
// A config.json that must be kept before a rewrite is copied once: not at every start
// when it cannot be rewritten (a read-only bind mount of the file onto itself), and
// not again when a copy of the same bytes is there.
void tst_WriteReadJson::keepsOneCopyAcrossStarts()
{
    const QByteArray bytes("[1, 2, 3]");
    QVERIFY(writeFile(configPath(), bytes));
    const QByteArray file = QFile::encodeName(configPath());
    if (::mount(file.constData(), file.constData(), nullptr, MS_BIND, nullptr) != 0)
        QSKIP(qPrintable("cannot bind-mount (needs root or CAP_SYS_ADMIN): " + qt_error_string(errno)));
    struct Unmount
    {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    };
    {
        const Unmount unmount{file};
        QCOMPARE(::mount(nullptr, file.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr), 0);
        for (int start = 0; start < 20; ++start)
            QCOMPARE(saveOnce(programFolder()), QStringList{configPath()});
        QCOMPARE(keptConfigs(), QStringList());
        QCOMPARE(readFile(configPath()), bytes);
    }
    QVERIFY(writeFile(documents() + "/VoxBench/config.json.bad-20261209-101010", bytes));
    QVERIFY(saveOnce(programFolder()).isEmpty());
    QCOMPARE(keptConfigs(), QStringList{"config.json.bad-20261209-101010"});
    QVERIFY(readFile(configPath()).contains("currentMode"));
}
#endif

#if VOXBENCH_POSIX_TESTS
// A small memory file system mounted on the config folder fills up during a save.
void tst_WriteReadJson::savesWholeOrNotAtAllOnAFullDisk()
{
    const QString folder = documents() + "/VoxBench";
    QVERIFY(QDir().mkpath(folder));
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k,mode=0755") != 0)
        QSKIP(qPrintable("cannot mount a small tmpfs (needs root or CAP_SYS_ADMIN): " +
                         qt_error_string(errno)));
    struct Unmount
    {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(folder)};

    WriteReadJson store(programFolder());
    QSignalSpy failed(&store, &WriteReadJson::saveFailed);
    store.setDevice(0x4152, "0a0b0c0d");
    for (int slot = 0; slot < 5; ++slot)
        store.insertCustomizeMode(customMode(Stereo, QString("Mode %1").arg(slot), slot, "{m}"));
    const QByteArray saved = readFile(configPath());
    QVERIFY(saved.size() > 2000 && saved.size() < 16384);

    // Fill the disk to the last byte.
    QFile filler(folder + "/filler");
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(512, 'x');
    while (filler.write(block) == block.size()) {
    }
    while (filler.write("x", 1) == 1) {
    }
    filler.close();

    store.insertCustomizeMode(customMode(Surround, "One more", 0, "{o}"));
    QCOMPARE(readFile(configPath()), saved);                                // the old file, whole
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2); // config.json, filler
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.front().at(0).toString(), configPath());
    QVERIFY2(failed.front().at(1).toString().contains("space", Qt::CaseInsensitive),
             qPrintable(failed.front().at(1).toString()));
    // Memory keeps the change, and the next start still finds every mode of the file.
    QCOMPARE(store.customizeModes(Surround).size(), 1);
    QCOMPARE(WriteReadJson(m_program->path()).customRecords().front()->stereoModes.size(), size_t(5));

    // Space again: the next change saves all of it.
    QVERIFY(QFile::remove(folder + "/filler"));
    store.setCurrentMode(store.getStereoPreset(0));
    const QByteArray now = readFile(configPath());
    QVERIFY(now.contains("One more") && now.contains("Mode 4"));
}
#endif

#if VOXBENCH_POSIX_TESTS
void tst_WriteReadJson::savesThroughLinksButNeverOverOtherFiles()
{
    const QString folder = programFolder();
    // A FIFO among the default files would block the start if it were opened.
    QCOMPARE(::mkfifo(QFile::encodeName(m_program->filePath("DefaultFile/fifo.json")).constData(), 0600), 0);
    QTemporaryDir dotfiles;
    QDir().mkpath(documents() + "/VoxBench");

    // A link to a regular file elsewhere: that file is replaced in its own folder, the link stays.
    const QString kept = dotfiles.filePath("voxbench.json");
    QVERIFY(writeFile(kept, "{}"));
    QVERIFY(QFile::link(kept, configPath()));
    QCOMPARE(saveOnce(folder), QStringList());
    QVERIFY(QFileInfo(configPath()).isSymLink());
    QVERIFY(readFile(kept).contains("{s-4152}"));
    QCOMPARE(QDir(dotfiles.path()).entryList(QDir::Files).size(), 1);

    // A dangling link into a folder that exists: the file is made there.
    QFile::remove(kept);
    QCOMPARE(saveOnce(folder), QStringList());
    QVERIFY(readFile(kept).contains("{s-4152}"));

    // Into a folder that does not exist, or onto a FIFO (which the store must not open
    // to read, or it blocks for good): never saved, and said.
    const QString fifo = dotfiles.filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &target : {dotfiles.filePath("missing/voxbench.json"), fifo}) {
        QFile::remove(configPath());
        QVERIFY(QFile::link(target, configPath()));
        QCOMPARE(saveOnce(folder), QStringList({target}));
    }
    struct stat info;
    QVERIFY(::lstat(QFile::encodeName(fifo).constData(), &info) == 0 && S_ISFIFO(info.st_mode));
}
#endif

void tst_WriteReadJson::removesLeftoversOfInterruptedSaves()
{
    const QString folder = documents() + "/VoxBench/";
    const QStringList ours = {".config.json.voxbench-save-Ab12Cd",
                              ".config.json.bad-20261209-101010.voxbench-save-zz9ZZZ"};
    // A user's own copies, whatever they look like, and files of older versions that
    // cannot be told from them.
    const QStringList others = {"config.json.backup",
                                "config.json.old123",
                                "config.json.orig01",
                                "config.json.v2copy",
                                "config.json.ABCDEF",
                                "config.json.2025aa",
                                "config.json.bad-20261209-101010",
                                "config.json.abc",
                                "other.json.Ab12Cd",
                                ".config.json.voxbench-save-Ab12Cd7",
                                ".config.json.voxbench-save-Ab_2Cd",
                                ".config.json..voxbench-save-Ab12Cd",
                                ".other.json.voxbench-save-Ab12Cd"};
    for (const QString &name : ours + others)
        QVERIFY(writeFile(folder + name, "{}"));
    const QByteArray config = R"({"currentMode": [], "customizeMode": []})";
    QVERIFY(writeFile(configPath(), config));
    WriteReadJson store(programFolder());
    for (const QString &name : ours)
        QVERIFY2(!QFile::exists(folder + name), qPrintable(name));
    for (const QString &name : others)
        QVERIFY2(QFile::exists(folder + name), qPrintable(name));
    QCOMPARE(readFile(configPath()), config);
}

void tst_WriteReadJson::createsTheConfigFolderToSave()
{
    WriteReadJson store(programFolder());
    QDir(documents()).removeRecursively();
    // Asking where the file lives makes nothing.
    QCOMPARE(store.configPath(), configPath());
    QVERIFY(!QFileInfo::exists(documents()));
    store.setDevice(0x4152, QString());
    store.setCurrentMode(store.getSurroundPreset(1));
    QVERIFY(QFile::exists(configPath()));
    // Saves asked for inside a batch are made once, when it closes.
    QDir(documents()).removeRecursively();
    {
        WriteReadJson::Batch batch(store);
        store.setCurrentMode(store.getSurroundPreset(2));
        QVERIFY(!QFileInfo::exists(configPath()));
        store.setCurrentMode(store.getSurroundPreset(1));
    }
    QVERIFY(QFile::exists(configPath()));
}

QTEST_MAIN(tst_WriteReadJson)
#include "tst_WriteReadJson.moc"
