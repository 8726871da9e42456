// Writes the default preset file of every supported receiver model into the folder
// given on the command line, with the store's own writer. The uuid of a mode already in
// a file there is kept: config.json remembers the current mode by uuid, so a shipped
// uuid never changes once chosen.

#include "presets/JsonText.h"
#include "presets/PresetJson.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QUuid>
#include <cstdio>

namespace {

struct Preset
{
    ModeType type;
    const char *name;
    std::vector<int> gains;
};

using PresetSet = std::vector<Preset>;

const PresetSet kSetA = {
    {Surround, "Deep Bass", {5, 4, 3, 3, 1, -1, -1, -1, -1, -1}},
    {Surround, "Vorn Standard", {-3, -3, -3, -3, -2, 0, 0, 0, 0, 0}},
    {Surround, "FPS", {0, 0, 1, 2, 3, 4, 6, 7, 7, 8}},
    {Surround, "MOBA", {0, -2, -2, 0, 4, 2, 5, 5, 5, 0}},
    {Stereo, "Classic", {0, 0, 0, 0, 0, -2, -2, -2, -5, -8}},
    {Stereo, "Deep Bass", {2, 5, 4, 1, -2, 0, 0, 0, -1, -1}},
    {Stereo, "Vorn Standard", {-3, -3, -3, -3, -2, 0, 0, 0, 0, 10}},
    {Stereo, "Jazz", {-1, -1, 2, 4, 4, 4, 4, 4, 2, 2}},
    {Stereo, "Pack&Roll", {9, 9, -3, 4, -2, 1, 5, 5, 9, 9}},
    {Stereo, "Pop", {9, 6, 5, 2, -6, -6, -3, -3, 1, 2}},
};

PresetSet setB()
{
    PresetSet set = kSetA;
    for (Preset &preset : set) {
        if (preset.type == Stereo && qstrcmp(preset.name, "Vorn Standard") == 0)
            preset.gains.back() = 0;
    }
    return set;
}

const PresetSet kSetC = {
    {Surround, "Deep Bass", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {Surround, "Vorn Standard", {-1, 0, -1, -1, 1, 0, 1, 3, 3, 0}},
    {Surround, "FPS", {0, 0, 0, 2, 2, 0, 1, 6, 6, 0}},
    {Surround, "MOBA", {0, -2, -2, 0, 4, 2, 5, 5, 5, 0}},
    {Stereo, "Classic", {0, 0, 0, 0, 0, -2, -2, -2, -5, -8}},
    {Stereo, "Deep Bass", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {Stereo, "Vorn Standard", {-1, 0, 3, 3, 2, 0, 3, 5, 5, 3}},
    {Stereo, "Jazz", {-1, -1, 2, 4, 4, 4, 4, 4, 2, 2}},
    {Stereo, "Pack&Roll", {0, -2, -2, 0, 4, 2, 3, 5, 5, 0}},
    {Stereo, "Pop", {-1, 0, 2, 3, 1, 3, 1, 6, 6, 1}},
};

struct Model
{
    const char *pid; // as written in the file, in its case
    const PresetSet *presets;
    bool micENC;
};

std::vector<Model> models()
{
    static const PresetSet kSetB = setB();
    std::vector<Model> list;
    for (const char *pid :
         {"0x0F06", "0x1027", "0x1029", "0x1032", "0x1056", "0x1064", "0x1065", "0x4000", "0x4131", "0x4132",
          "0x4133", "0x4134", "0x4135", "0x4136", "0x4152", "0x4153", "0x4154", "0x4155", "0x4156", "0x4157",
          "0x4158", "0x4159", "0x4160", "0x4161", "0x4162", "0x4163", "0x4164", "0x4165"})
        list.push_back({pid, &kSetA, true});
    for (const char *pid : {"0x104d", "0x104F", "0x1054"})
        list.push_back({pid, &kSetB, true});
    list.push_back({"0x4151", &kSetC, false});
    return list;
}

QString fileNameOf(const QString &pid)
{
    return "VID-5A17&PID-" + pid.mid(2) + ".json";
}

std::unique_ptr<DeviceModes> readExisting(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    return PresetJson::defaultFileFromJson(JsonText::parse(file.readAll()).object);
}

QString existingUuid(const DeviceModes *device, ModeType type, const QString &name)
{
    if (!device)
        return {};
    const auto it = device->modes(type).find(name);
    return it == device->modes(type).end() ? QString() : it->second->uuid;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <DefaultFile folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QSet<QString> used;
    for (const Model &model : models()) {
        const QString path = folder.filePath(fileNameOf(model.pid));
        const std::unique_ptr<DeviceModes> existing = readExisting(path);

        DeviceModes device;
        device.vid = "0x5A17";
        device.pid = model.pid;
        device.micENC = model.micENC;
        for (const Preset &preset : *model.presets) {
            auto mode = std::make_unique<ModeData>();
            mode->algorithm = preset.type == Stereo ? "Stereo" : "Surround";
            mode->name = preset.name;
            mode->type = preset.type;
            mode->parameter = preset.gains;
            mode->uuid = existingUuid(existing.get(), preset.type, mode->name);
            while (mode->uuid.isEmpty() || used.contains(mode->uuid))
                mode->uuid = QUuid::createUuid().toString();
            used.insert(mode->uuid);
            device.insert(std::move(mode));
        }

        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            !file.write(JsonText::serialize(PresetJson::defaultFileToJson(device)))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
