// The shipped default preset files: the right models, the right gains, distinct fixed
// uuids, and bytes exactly as the store's writer writes them. And modes as files
// people pass around: our own, and the curve formats people publish.

#include "device/ReceiverModels.h"
#include "presets/BandFit.h"
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
    void curvesAreFittedOverTheAudibleRangeAtOneLevel();
    void equalizerApoFilesReadAsApoReadsThem();
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
    // The ids inside the files are the registry's, one file each: both tables
    // open the same receivers (the build checks the file names).
    QList<int> registry;
    for (const ReceiverModelRow &row : kReceiverModels)
        registry << row.productId;
    std::sort(registry.begin(), registry.end());
    QCOMPARE(known.keys(), registry);
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
    QCOMPARE(graphic.gains, (std::array<int, kBands>{4, 5, 2, 4, 6, 8, 2, -7, -12, -12}));
    QCOMPARE(graphic.clampedBands, 2);
    QVERIFY(graphic.largestClampDb > 8.0);

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
    // The preamp is part of the curve as written.
    for (int band = 0; band < kBands; ++band)
        QVERIFY2(std::abs(parametric.curve[band] + 6.5 - parametricCurve[band]) < 0.001,
                 qPrintable(QString::number(band)));
    QCOMPARE(parametric.clampedBands, 0);

    // Two peaks stacking past what the receiver takes.
    const ModeFile::Reading stacked =
        ModeFile::read("Filter: ON PK Fc 120 Hz Gain 10 dB Q 1\nFilter: ON PK Fc 125 Hz Gain 8 dB Q 1\n");
    QVERIFY2(stacked.ok, qPrintable(stacked.error));
    QCOMPARE(stacked.gains[2], kMaxGain);
    QCOMPARE(stacked.clampedBands, 1);
    QVERIFY(stacked.largestClampDb > 0.5);
}

namespace {
// The mean and the RMS of a difference over the fit's range.
double rmsOf(const std::function<double(double)> &difference)
{
    double sum = 0;
    for (const double hz : BandFit::grid())
        sum += difference(hz) * difference(hz);
    return std::sqrt(sum / double(BandFit::grid().size()));
}
double rmsBetween(const std::array<int, kBands> &a, const std::array<int, kBands> &b)
{
    double sum = 0;
    for (int band = 0; band < kBands; ++band)
        sum += (a[band] - b[band]) * (a[band] - b[band]);
    return std::sqrt(sum / kBands);
}
} // namespace

// Curves worked out apart from the code (Cookbook biquads at 48 kHz in a separate script).
void tst_PresetJson::curvesAreFittedOverTheAudibleRangeAtOneLevel()
{
    // The receiver's own ten bands (peaks at the centres, Q 1.41, gains 5 -3 2 0 -4 3 -2 4 -5 1,
    // their mean over 20 Hz-20 kHz taken out) drawn as a GraphicEQ: the fit finds the gains again,
    // where reading the curve at ten points mixes in the neighbours' skirts.
    const ModeFile::Reading own = ModeFile::read(
        "GraphicEQ: 20 1.9; 24 3.2; 29 4.4; 34 3.7; 41 1.6; 48 -0.4; 58 -1.7; 69 -1.5; 82 -0.4; 98 0.7; "
        "118 1.4; 140 1.2; 168 0.6; 200 0.1; 239 -0.3; 285 -0.8; 340 -1.5; 406 -2.6; 485 -3.5; 579 -2.7; "
        "691 -0.9; 825 0.8; 985 1.9; 1176 1.5; 1403 0.4; 1675 -0.6; 2000 -1.1; 2388 -0.4; 2850 0.8; "
        "3403 2.2; 4062 2.9; 4849 1.4; 5789 -0.7; 6910 -3.1; 8249 -4.4; 9848 -2.8; 11756 -1.2; "
        "14034 -0.0; 16754 0.6; 20000 0.0");
    QVERIFY2(own.ok, qPrintable(own.error));
    QCOMPARE(own.gains, (std::array<int, kBands>{5, -3, 2, 0, -4, 3, -2, 4, -5, 1}));
    QVERIFY(own.rmsDeviationDb < 0.2 && own.largestDeviationDb < 0.5);

    // One headphone, two files: AutoEq's GraphicEQ tops out at 0 dB, the parametric file's
    // preamp is its own. One level rule puts both at a mean of 0 dB, and they agree.
    const ModeFile::Reading graphic = ModeFile::read(
        "GraphicEQ: 20 0.0; 24 -0.0; 29 -0.1; 34 -0.1; 41 -0.2; 48 -0.4; 58 -0.8; 69 -1.4; 82 -2.3; "
        "98 -3.6; 118 -5.1; 140 -6.7; 168 -7.9; 200 -8.3; 239 -7.9; 285 -7.4; 340 -7.1; 406 -6.9; "
        "485 -6.8; 579 -6.7; 691 -6.6; 825 -6.6; 985 -6.7; 1176 -6.7; 1403 -6.9; 1675 -7.1; 2000 -7.8; "
        "2388 -9.1; 2850 -10.2; 3403 -8.5; 4062 -6.7; 4849 -4.5; 5789 -2.3; 6910 -5.4; 8249 -6.8; "
        "9848 -7.7; 11756 -8.5; 14034 -9.1; 16754 -9.4; 20000 -9.5");
    const ModeFile::Reading parametric = ModeFile::read("Preamp: -6.4 dB\n"
                                                        "Filter 1: ON LSC Fc 105 Hz Gain 6.5 dB Q 0.70\n"
                                                        "Filter 2: ON PK Fc 180 Hz Gain -2.5 dB Q 1.20\n"
                                                        "Filter 3: ON PK Fc 2800 Hz Gain -4.0 dB Q 2.00\n"
                                                        "Filter 4: ON PK Fc 5600 Hz Gain 5.0 dB Q 3.00\n"
                                                        "Filter 5: ON HSC Fc 10000 Hz Gain -3.0 dB Q 0.70\n");
    QVERIFY(graphic.ok && parametric.ok);
    QVERIFY2(rmsBetween(graphic.gains, parametric.gains) <= 1.0,
             qPrintable(QString::number(rmsBetween(graphic.gains, parametric.gains))));
    QVERIFY(std::abs(graphic.shiftDb - 5.67) < 0.05 && std::abs(parametric.shiftDb - 5.60) < 0.05);
    double mean = 0;
    for (const double db : graphic.aimDb)
        mean += db / double(graphic.aimDb.size());
    QVERIFY(std::abs(mean) < 1e-9);
    // What is reported is the deviation over the range, not at ten points.
    const double rms = rmsOf([&](double hz) {
        return BandFit::bandsDb(graphic.gains, hz) -
               graphic.aimDb[std::lower_bound(BandFit::grid().begin(), BandFit::grid().end(), hz) -
                             BandFit::grid().begin()];
    });
    QVERIFY(std::abs(rms - graphic.rmsDeviationDb) < 1e-6);
    QVERIFY(graphic.largestDeviationDb > 2.0);
}

void tst_PresetJson::equalizerApoFilesReadAsApoReadsThem()
{
    // A right-channel boost is never merged silently: one side, or both averaged and the difference told.
    const QByteArray sections = "Filter 1: ON PK Fc 1000 Hz Gain 4 dB Q 1\n"
                                "Channel: R\n"
                                "Filter 2: ON PK Fc 8000 Hz Gain 10 dB Q 2\n"
                                "Channel: C SUB\n"
                                "Filter 3: ON PK Fc 60 Hz Gain 6 dB Q 1\n";
    ModeFile::Options right;
    right.channel = ModeFile::Channel::Right;
    ModeFile::Options left;
    left.channel = ModeFile::Channel::Left;
    const ModeFile::Reading both = ModeFile::read(sections);
    const ModeFile::Reading onlyRight = ModeFile::read(sections, right);
    const ModeFile::Reading onlyLeft = ModeFile::read(sections, left);
    QVERIFY(both.ok && onlyRight.ok && onlyLeft.ok);
    QVERIFY(both.perChannel);
    QVERIFY(std::abs(both.sideDifferenceDb - 9.99) < 0.01);
    QCOMPARE(both.otherChannelLines, 1);
    QVERIFY(onlyRight.gains[8] - onlyLeft.gains[8] >= 7);
    // The left side is the first filter alone: the centre channel's 60 Hz stays out.
    QCOMPARE(onlyLeft.curve, ModeFile::read("Filter 1: ON PK Fc 1000 Hz Gain 4 dB Q 1\n").curve);
    QVERIFY(both.gains[8] > onlyLeft.gains[8] && both.gains[8] < onlyRight.gains[8]);

    // Shelves with Equalizer APO's slope, BW Oct for Q, and a file saved as UTF-16.
    const ModeFile::Reading shelves = ModeFile::read("Filter: ON LS Fc 100 Hz Gain 6 dB\n"
                                                     "Filter: ON HS Fc 4000 Hz Gain -4 dB\n");
    QVERIFY2(shelves.ok, qPrintable(shelves.error));
    const std::array<double, kBands> shelfCurve = {5.886,  5.118,  2.084, 0.261,  0.031,
                                                   -0.034, -0.313, -2.0,  -3.735, -3.987};
    for (int band = 0; band < kBands; ++band)
        QVERIFY2(std::abs(shelves.curve[band] - shelfCurve[band]) < 0.002, qPrintable(QString::number(band)));
    const ModeFile::Reading byQ = ModeFile::read("Filter: ON PK Fc 1000 Hz Gain 6 dB Q 1.4142\n");
    const QString octaves = QStringLiteral("Filter: ON PK Fc 1000 Hz Gain 6 dB BW Oct 1.0\r\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char *>(octaves.utf16()), octaves.size() * 2);
    const ModeFile::Reading byOctaves = ModeFile::read(utf16);
    QVERIFY2(byOctaves.ok, qPrintable(byOctaves.error));
    QVERIFY(std::abs(byOctaves.curve[6] - byQ.curve[6]) < 0.05);
    QVERIFY(!ModeFile::read("Filter: ON LS 12dB Fc 100 Hz Gain 6 dB\n").ok);

    // Include: relative to the file, bounded, no cycles; refused with its line where it cannot be followed.
    QTemporaryDir folder;
    const auto put = [&folder](const QString &name, const QByteArray &text) {
        QDir(folder.path()).mkpath(QFileInfo(folder.filePath(name)).path());
        QFile file(folder.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    QVERIFY(put("main.txt", "Preamp: -3 dB\nInclude: sub/boost.txt\n"));
    QVERIFY(put("sub/boost.txt", "Filter: ON PK Fc 250 Hz Gain 6 dB Q 1.41\n"));
    ModeFile::Options main;
    main.path = folder.filePath("main.txt");
    const ModeFile::Reading included = ModeFile::read("Preamp: -3 dB\nInclude: sub/boost.txt\n", main);
    QVERIFY2(included.ok, qPrintable(included.error));
    QCOMPARE(included.includedFiles, 1);
    QVERIFY(std::abs(included.curve[3] - 3.0) < 0.01);
    QVERIFY(ModeFile::read("Include: sub/boost.txt\n").error.startsWith("line 1: "));
    QVERIFY(put("a.txt", "# a\nInclude: b.txt\n") && put("b.txt", "Include: a.txt\n"));
    ModeFile::Options loop;
    loop.path = folder.filePath("a.txt");
    QCOMPARE(ModeFile::read("# a\nInclude: b.txt\n", loop).error,
             QStringLiteral("b.txt line 1: Include: \"a.txt\" includes itself"));
    QVERIFY(
        ModeFile::read("Include: missing.txt\n", loop).error.startsWith("line 1: Include: \"missing.txt\""));
    QVERIFY(put("deep.txt", "Include: deep2.txt\n"));
    for (int level = 2; level <= 12; ++level)
        QVERIFY(put(QStringLiteral("deep%1.txt").arg(level),
                    QStringLiteral("Include: deep%1.txt\n").arg(level + 1).toUtf8()));
    QVERIFY(put("deep13.txt", "Filter: ON PK Fc 250 Hz Gain 6 dB Q 1\n"));
    loop.path = folder.filePath("deep.txt");
    QVERIFY(ModeFile::read("Include: deep2.txt\n", loop).error.contains("nested more than 8 deep"));
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
    QVERIFY2(osc.error.startsWith("line 1: filter type \"\\e]0;AAA"), qPrintable(osc.error));

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
