// The shipped default preset files: the right models, the right gains, distinct fixed
// uuids, and bytes exactly as the store's writer writes them. And modes as files
// people pass around: our own, and the curve formats people publish.

#include "presets/JsonText.h"
#include "presets/ModeFile.h"
#include "presets/ModeNameRule.h"
#include "presets/PresetJson.h"
#include "presets/WriteReadJson.h"

#include <QDir>
#include <QJsonArray>
#include <QRegularExpression>
#include <QtTest>

namespace {

using Gains = std::vector<int>;
using Table = QMap<QString, Gains>; // "S:name" surround, "T:name" stereo

Table setA()
{
    return {
        {"S:Deep Bass", {5, 4, 3, 3, 1, -1, -1, -1, -1, -1}},
        {"S:Vorn Standard", {-3, -3, -3, -3, -2, 0, 0, 0, 0, 0}},
        {"S:FPS", {0, 0, 1, 2, 3, 4, 6, 7, 7, 8}},
        {"S:MOBA", {0, -2, -2, 0, 4, 2, 5, 5, 5, 0}},
        {"T:Classic", {0, 0, 0, 0, 0, -2, -2, -2, -5, -8}},
        {"T:Deep Bass", {2, 5, 4, 1, -2, 0, 0, 0, -1, -1}},
        {"T:Vorn Standard", {-3, -3, -3, -3, -2, 0, 0, 0, 0, 10}},
        {"T:Jazz", {-1, -1, 2, 4, 4, 4, 4, 4, 2, 2}},
        {"T:Pack&Roll", {9, 9, -3, 4, -2, 1, 5, 5, 9, 9}},
        {"T:Pop", {9, 6, 5, 2, -6, -6, -3, -3, 1, 2}},
    };
}

Table setB()
{
    Table table = setA();
    table["T:Vorn Standard"] = {-3, -3, -3, -3, -2, 0, 0, 0, 0, 0};
    return table;
}

Table setC()
{
    return {
        {"S:Deep Bass", Gains(10, 0)},
        {"S:Vorn Standard", {-1, 0, -1, -1, 1, 0, 1, 3, 3, 0}},
        {"S:FPS", {0, 0, 0, 2, 2, 0, 1, 6, 6, 0}},
        {"S:MOBA", {0, -2, -2, 0, 4, 2, 5, 5, 5, 0}},
        {"T:Classic", {0, 0, 0, 0, 0, -2, -2, -2, -5, -8}},
        {"T:Deep Bass", Gains(10, 0)},
        {"T:Vorn Standard", {-1, 0, 3, 3, 2, 0, 3, 5, 5, 3}},
        {"T:Jazz", {-1, -1, 2, 4, 4, 4, 4, 4, 2, 2}},
        {"T:Pack&Roll", {0, -2, -2, 0, 4, 2, 3, 5, 5, 0}},
        {"T:Pop", {-1, 0, 2, 3, 1, 3, 1, 6, 6, 1}},
    };
}

const QList<int> kSetA = {0x0F06, 0x1027, 0x1029, 0x1032, 0x1056, 0x1064, 0x1065, 0x4000, 0x4131, 0x4132,
                          0x4133, 0x4134, 0x4135, 0x4136, 0x4152, 0x4153, 0x4154, 0x4155, 0x4156, 0x4157,
                          0x4158, 0x4159, 0x4160, 0x4161, 0x4162, 0x4163, 0x4164, 0x4165};
const QList<int> kSetB = {0x104D, 0x104F, 0x1054};

Table expectedFor(int productId)
{
    if (productId == 0x4151)
        return setC();
    return kSetB.contains(productId) ? setB() : setA();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_PresetJson : public QObject
{
    Q_OBJECT
private slots:
    void shipsOneFilePerModel();
    void everyFileHoldsItsModelsPresets_data();
    void everyFileHoldsItsModelsPresets();
    void uuidsAreDistinct();
    void storeLoadsThemAll();
    void modeFilesRoundTripAndRefuseWhatTheyCannotRead();
    void publishedCurvesFitTheTenBands();
    void hostileFilesNeitherFoolTheTerminalNorReachInt();

private:
    const QDir m_folder{VOXBENCH_DEFAULT_FILE_DIR};
};

void tst_PresetJson::shipsOneFilePerModel()
{
    const QStringList names = m_folder.entryList({"*.json"}, QDir::Files, QDir::Name);
    QCOMPARE(names.size(), 32);
    QSet<int> productIds;
    for (const QString &name : names) {
        QVERIFY2(name.startsWith("VID-5A17&PID-"), qPrintable(name));
        productIds.insert(name.mid(13, 4).toInt(nullptr, 16));
    }
    QSet<int> expected(kSetA.begin(), kSetA.end());
    expected.unite(QSet<int>(kSetB.begin(), kSetB.end()));
    expected.insert(0x4151);
    QCOMPARE(productIds, expected);
}

void tst_PresetJson::everyFileHoldsItsModelsPresets_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : m_folder.entryList({"*.json"}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(name)) << name;
}

void tst_PresetJson::everyFileHoldsItsModelsPresets()
{
    QFETCH(QString, name);
    const QByteArray bytes = readAll(m_folder.filePath(name));
    const JsonText::Parsed parsed = JsonText::parse(bytes);
    QCOMPARE(parsed.status, JsonText::Status::Ok);
    QVERIFY(!parsed.fromGbk);
    QStringList faults;
    const std::unique_ptr<DeviceModes> device = PresetJson::defaultFileFromJson(parsed.object, &faults);
    QVERIFY(device);
    // Nothing of the wrong type and no gain beyond the sliders in the files we ship.
    QCOMPARE(faults, QStringList());

    QCOMPARE(device->vid, QString("0x5A17"));
    QCOMPARE("VID-5A17&PID-" + device->pid.mid(2) + ".json", name);
    const int productId = PresetJson::productIdOf(device->pid);
    QCOMPARE(device->micENC, productId != 0x4151);
    QCOMPARE(parsed.object.contains("micENC"), productId == 0x4151);

    // Surround modes, then stereo modes, each in name order.
    QStringList order;
    for (const QJsonValue &value : parsed.object.value("defaultMode").toArray())
        order << (value.toObject().value("type").toInt() == Stereo ? "T:" : "S:") + value["name"].toString();
    QCOMPARE(order, QStringList({"S:Deep Bass", "S:FPS", "S:MOBA", "S:Vorn Standard", "T:Classic",
                                 "T:Deep Bass", "T:Jazz", "T:Pack&Roll", "T:Pop", "T:Vorn Standard"}));

    const Table expected = expectedFor(productId);
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const ModeType type = it.key().startsWith("T:") ? Stereo : Surround;
        const auto found = device->modes(type).find(it.key().mid(2));
        QVERIFY2(found != device->modes(type).end(), qPrintable(it.key()));
        const ModeData &mode = *found->second;
        QCOMPARE(mode.parameter, it.value());
        QCOMPARE(mode.type, int(type));
        QCOMPARE(mode.algorithm, QString(type == Stereo ? "Stereo" : "Surround"));
        QCOMPARE(mode.customizeType, 0);
        QCOMPARE(parsed.object.value("defaultMode").toArray().at(order.indexOf(it.key()))["customizeType"],
                 QJsonValue(0));
    }

    // The file is exactly what the writer makes of it.
    QCOMPARE(JsonText::serialize(PresetJson::defaultFileToJson(*device)), bytes);
}

void tst_PresetJson::uuidsAreDistinct()
{
    const QRegularExpression braced("^\\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\}$");
    QSet<QString> seen;
    for (const QString &name : m_folder.entryList({"*.json"}, QDir::Files, QDir::Name)) {
        const QJsonObject object = JsonText::parse(readAll(m_folder.filePath(name))).object;
        for (const QJsonValue &value : object.value("defaultMode").toArray()) {
            const QString uuid = value["uuid"].toString();
            QVERIFY2(braced.match(uuid).hasMatch(), qPrintable(uuid));
            QVERIFY2(!seen.contains(uuid), qPrintable(name + " " + uuid));
            seen.insert(uuid);
        }
    }
    QCOMPARE(seen.size(), 320);
}

void tst_PresetJson::storeLoadsThemAll()
{
    const WriteReadJson store(m_folder.path());
    const QMap<int, QString> known = store.knownDevices();
    QCOMPARE(known.size(), 32);
    for (const QString &vid : known)
        QCOMPARE(vid, QString("0x5A17"));
    QVERIFY(known.contains(0x104D)); // written "0x104d"
}

void tst_PresetJson::modeFilesRoundTripAndRefuseWhatTheyCannotRead()
{
    const std::array<int, kBands> gains = {-12, -3, 0, 1, 2, 3, 4, 5, 6, 12};
    const QByteArray file = ModeFile::write(QStringLiteral("Füße 1"), QStringLiteral("stereo"), gains);
    const QJsonObject json = QJsonDocument::fromJson(file).object();
    QCOMPARE(json.value("format").toString(), QStringLiteral("voxbench-mode"));
    QCOMPARE(json.value("version").toInt(), 1);
    QCOMPARE(json.value("bands_hz").toArray().first().toInt(), 30);
    QCOMPARE(json.value("bands_hz").toArray().last().toInt(), 16000);
    const ModeFile::Reading back = ModeFile::read(file);
    QVERIFY2(back.ok, qPrintable(back.error));
    QCOMPARE(back.format, ModeFile::Format::VoxBench);
    QCOMPARE(back.name, QStringLiteral("Füße 1"));
    QCOMPARE(back.tab, QStringLiteral("stereo"));
    QCOMPARE(back.gains, gains);
    QCOMPARE(back.largestDeviationDb, 0.0);

    // A hand-edited file: out of range and fractional gains are fitted and reported.
    QByteArray edited = file;
    edited.replace("-12", "-20").replace("\n        0,", "\n        0.4,");
    const ModeFile::Reading fitted = ModeFile::read(edited);
    QVERIFY2(fitted.ok, qPrintable(fitted.error));
    QCOMPARE(fitted.gains, gains);
    QCOMPARE(fitted.clampedBands, 1);
    QCOMPARE(fitted.largestClampDb, 8.0);

    QByteArray newer = file;
    newer.replace("\"version\": 1", "\"version\": 2");
    QVERIFY(ModeFile::read(newer).error.contains("newer VoxBench"));
    QVERIFY(!ModeFile::read(R"({"format": "voxbench-mode", "version": 1, "gains_db": [1, 2]})").ok);
    QVERIFY(!ModeFile::read(R"({"name": "x"})").ok);
    QVERIFY(!ModeFile::read("").ok);
    QVERIFY(!ModeFile::read("Preamp: -3 dB\nFilter 1: ON LP Fc 100 Hz").ok);
    QVERIFY(!ModeFile::read("Filter 1: ON PK Fc 30000 Hz Gain 3 dB Q 1").ok);
    QVERIFY(!ModeFile::read("GraphicEQ: 20 1; 40").ok);
}

// Expected values worked out apart from the code: the GraphicEQ ones by hand on
// a log-frequency axis, the parametric ones with the cookbook biquads at 48 kHz
// in a separate script.
void tst_PresetJson::publishedCurvesFitTheTenBands()
{
    const auto near = [](double got, double want) { return std::abs(got - want) < 0.002; };

    const ModeFile::Reading graphic = ModeFile::read(
        "\xEF\xBB\xBF# from AutoEq\r\nGraphicEQ: 20 -2; 40 4; 100 0; 1000 6; 10000 -20; 20000 -20\r\n");
    QVERIFY2(graphic.ok, qPrintable(graphic.error));
    QCOMPARE(graphic.format, ModeFile::Format::GraphicEq);
    const std::array<double, kBands> graphicCurve = {1.5098, 2.2300,  0.4751,  2.3876,   4.1938,
                                                     6.0,    -1.8268, -9.6536, -17.4804, -20.0};
    for (int band = 0; band < kBands; ++band)
        QVERIFY2(near(graphic.curve[band], graphicCurve[band]), qPrintable(QString::number(band)));
    QCOMPARE(graphic.gains, (std::array<int, kBands>{2, 2, 0, 2, 4, 6, -2, -10, -12, -12}));
    QCOMPARE(graphic.clampedBands, 2);
    QVERIFY(near(graphic.largestClampDb, 8.0));
    QVERIFY(near(graphic.largestDeviationDb, 8.0));

    const ModeFile::Reading parametric = ModeFile::read("Preamp: -6.5 dB\n"
                                                        "Filter 1: ON PK Fc 1000 Hz Gain 6 dB Q 2\n"
                                                        "Filter 2: ON LSC Fc 105 Hz Gain 5.5 dB Q 0.71\n"
                                                        "Filter 3: ON HSC Fc 8000 Hz Gain -3 dB Q 0.71\n"
                                                        "Filter 4: OFF PK Fc 250 Hz Gain 12 dB Q 1\n");
    QVERIFY2(parametric.ok, qPrintable(parametric.error));
    QCOMPARE(parametric.format, ModeFile::Format::Parametric);
    QCOMPARE(parametric.preampDb, -6.5);
    const std::array<double, kBands> parametricCurve = {5.466, 4.961, 2.073,  0.281,  0.642,
                                                        6.0,   0.619, -0.023, -1.479, -2.963};
    for (int band = 0; band < kBands; ++band)
        QVERIFY2(std::abs(parametric.curve[band] - parametricCurve[band]) < 0.001,
                 qPrintable(QString::number(band)));
    QCOMPARE(parametric.gains, (std::array<int, kBands>{5, 5, 2, 0, 1, 6, 1, 0, -1, -3}));
    QCOMPARE(parametric.clampedBands, 0);
    QVERIFY(std::abs(parametric.largestDeviationDb - 0.4786) < 0.001);

    // Two peaks stacking past what the receiver takes.
    const ModeFile::Reading stacked =
        ModeFile::read("Filter: ON PK Fc 120 Hz Gain 10 dB Q 1\nFilter: ON PK Fc 125 Hz Gain 8 dB Q 1\n");
    QVERIFY2(stacked.ok, qPrintable(stacked.error));
    QCOMPARE(stacked.gains[2], kMaxGain);
    QCOMPARE(stacked.clampedBands, 1);
    QVERIFY(std::abs(stacked.largestClampDb - 5.939) < 0.001);
}

// What a shared file may carry: escape sequences in its name and its text, and
// numbers that make no curve (NaN, infinity) where an int() used to follow.
void tst_PresetJson::hostileFilesNeitherFoolTheTerminalNorReachInt()
{
    // The one name rule: C0, DEL, C1 and the line and paragraph separators.
    for (const QString &bad :
         {QStringLiteral("a\nb"), QStringLiteral("\x1b]52;c;QQ==\a"), QStringLiteral("x\x7f"),
          QString(QChar(0x9b)) + "2J", QStringLiteral("a\u2028b"), QString(QChar(0)) + "z"})
        QCOMPARE(ModeNameRule::check(bad), ModeNameRule::Problem::Control);
    QCOMPARE(ModeNameRule::check(QStringLiteral("Füße 1 – 夜")), ModeNameRule::Problem::None);
    QCOMPARE(ModeNameRule::check(QString(ModeNameRule::kMaxLength + 1, 'x')), ModeNameRule::Problem::TooLong);
    // Shown on one line, every control character written out; other text as it is.
    QCOMPARE(ModeNameRule::escaped(QStringLiteral("\x1b]0;t\a\r\n\t") + QChar(0x85) + QChar(0x2029) + "é"),
             QStringLiteral("\\e]0;t\\x07\\r\\n\\t\\x85\\u2029é"));
    const QString quoted = ModeNameRule::quoted(QString(500, QChar(0x1b)));
    QCOMPARE(quoted.size(), ModeNameRule::kMaxQuoted + 1);
    QVERIFY(quoted.endsWith(QChar(0x2026)) && !ModeNameRule::hasControl(quoted));

    // Quoted text from the file comes back escaped and cut.
    const ModeFile::Reading osc =
        ModeFile::read("Filter 1: ON \x1b]0;" + QByteArray(5000, 'A') + "\a Fc 100 Hz Gain 3 dB Q 1\n");
    QVERIFY(!osc.ok);
    QVERIFY2(!ModeNameRule::hasControl(osc.error) && osc.error.size() < 200, qPrintable(osc.error));
    QVERIFY(osc.error.startsWith("line 1: filter type \\e]0;AAA"));

    // Nothing that is not a finite number gets through, and the file's line is named.
    const QList<QPair<QByteArray, QString>> notFinite = {
        {"Preamp: -3 dB\nFilter 1: ON PK Fc 1000 Hz Gain 6 dB Q 1e-320\n", "line 2:"},
        {"Filter 1: ON PK Fc 1000 Hz Gain 3 dB Q 1\nFilter 2: ON PK Fc 100 Hz Gain 1e308 dB Q 1\n",
         "line 2:"},
        {"Filter 1: ON LSC Fc 100 Hz Gain nan dB Q 1\n", "line 1:"},
        {"# AutoEq\nGraphicEQ: 20 -1e308; 20000 1e308\n", "line 2:"},
        {"GraphicEQ: 20 inf; 40 0\n", "line 1:"},
    };
    for (const auto &[text, line] : notFinite) {
        const ModeFile::Reading reading = ModeFile::read(text);
        QVERIFY2(!reading.ok && reading.error.startsWith(line), qPrintable(text + " -> " + reading.error));
    }
    QVERIFY(
        !ModeFile::read(R"({"format": "voxbench-mode", "version": 1, "gains_db": [1e999,0,0,0,0,0,0,0,0,0]})")
             .ok);
}

QTEST_GUILESS_MAIN(tst_PresetJson)
#include "tst_PresetJson.moc"
