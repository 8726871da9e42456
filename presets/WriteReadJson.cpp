#include "presets/WriteReadJson.h"

#include "presets/ConfigFile.h"
#include "presets/JsonText.h"
#include "presets/PresetJson.h"
#include "presets/PresetNames.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QStandardPaths>

namespace {

// The fault line of a file read leniently (JsonText::Parsed::replaced).
constexpr const char *kReplacedBytes =
    "bytes that are neither UTF-8 nor GBK, read with U+FFFD in their place";

// Every "*.json" below the folder. Names in sorted order and no symbolic links, so that
// the same tree gives the same files in the same order on every machine. Regular files
// only: a FIFO would block the start.
void collectJsonFiles(const QString &folder, QStringList *files)
{
    const QDir dir(folder);
    // The suffix is compared here rather than given as a name filter: QDir
    // matches filters with a regular expression engine, a library loaded at
    // every start for this alone. Case-insensitive, as the filter was.
    const QFileInfoList entries = dir.entryInfoList(
        QDir::Files | QDir::AllDirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir())
            collectJsonFiles(entry.filePath(), files);
        else if (entry.isFile() && entry.fileName().endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
            files->append(entry.filePath());
    }
}

// One line for the debug log: the first fault and how many more there are.
QString summary(const QStringList &faults)
{
    return faults.size() == 1 ? faults.first()
                              : QString("%1 (and %2 more)").arg(faults.first()).arg(faults.size() - 1);
}

ModeData *findByUuid(const QMap<QString, ModeData *> &modes, const QString &uuid)
{
    for (ModeData *mode : modes) {
        if (mode->uuid == uuid)
            return mode;
    }
    return nullptr;
}

QMap<QString, ModeData *> viewOf(const DeviceModes *device, ModeType type)
{
    QMap<QString, ModeData *> view;
    if (!device)
        return view;
    for (const auto &entry : device->modes(type))
        view.insert(entry.first, entry.second.get());
    return view;
}

// A few lines name what is wrong; a file full of faults must not flood the debug output.
void reportFaults(const QString &fileName, const QStringList &faults)
{
    constexpr int kShown = 8;
    for (int i = 0; i < faults.size() && i < kShown; ++i)
        qDebug().noquote() << "WriteReadJson::getPresetJson :" + fileName + ": " + faults.at(i);
    if (faults.size() > kShown)
        qDebug().noquote() << QString("WriteReadJson::getPresetJson :%1: %2 more faults")
                                  .arg(fileName)
                                  .arg(faults.size() - kShown);
}

} // namespace

WriteReadJson::WriteReadJson(QObject *context)
    : WriteReadJson(QCoreApplication::applicationDirPath(), context)
{
}

WriteReadJson::WriteReadJson(const QString &programFolder, QObject *context) : QObject(context)
{
    getPresetJson(programFolder);
    readConfigJson();
}

WriteReadJson::~WriteReadJson() = default;

void WriteReadJson::getPresetJson(const QString &folder)
{
    QStringList files;
    collectJsonFiles(folder, &files);
    for (const QString &path : files) {
        QByteArray bytes;
        const JsonText::Parsed parsed =
            ConfigFile::read(path, &bytes).ok ? JsonText::parse(bytes) : JsonText::Parsed{};
        if (parsed.status == JsonText::Status::Unreadable) {
            qDebug() << "WriteReadJson::getPresetJson :Get json Null";
            continue;
        }
        const QString name = QFileInfo(path).fileName();
        if (parsed.status == JsonText::Status::NotAnObject) {
            qDebug().noquote() << "WriteReadJson::getPresetJson :" + name + " is not a JSON object, skipped";
            continue;
        }
        QStringList faults;
        if (parsed.replaced)
            faults << kReplacedBytes;
        std::unique_ptr<DeviceModes> device = PresetJson::defaultFileFromJson(parsed.object, &faults);
        reportFaults(name, faults);
        if (!device)
            continue;
        const qint32 productId = PresetJson::productIdOf(device->pid);
        // The first file of a product id stays.
        m_defaultRecords.try_emplace(productId, std::move(*device));
    }
}

void WriteReadJson::readConfigJson()
{
    const QString path = configPath();
    for (const QString &leftover : ConfigFile::removeLeftovers(path))
        qDebug().noquote() << "WriteReadJson::readConfigJson :removed the leftover of a save, " + leftover;
    if (!QFileInfo::exists(path))
        return;
    m_currentModeList.clear();
    m_customRecords.clear();

    QByteArray bytes;
    const ConfigFile::Result read = ConfigFile::read(path, &bytes);
    if (!read.ok) {
        qDebug().noquote() << "WriteReadJson::readConfigJson :config.json not read, " + read.reason;
        // A file that is there but cannot be read is not written over either: keeping
        // its copy fails the same way. What is not a file a save leaves alone anyway.
        if (QFileInfo(path).isFile())
            m_keepReason = read.reason;
        return;
    }
    const JsonText::Parsed parsed = JsonText::parse(bytes);
    if (parsed.status != JsonText::Status::Ok) {
        m_keepReason = parsed.status == JsonText::Status::NotAnObject ? "not a JSON object" : "not JSON";
        qDebug() << "WriteReadJson::readConfigJson :config.json unreadable, starting empty";
        return;
    }

    // Everything that would not be written back as it was read is noted, so that the
    // original is kept before the first rewrite.
    QStringList faults;
    if (parsed.replaced)
        faults << kReplacedBytes;
    const QJsonObject &root = parsed.object;
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() != "currentMode" && it.key() != "customizeMode")
            faults << QString("\"%1\" is not a key of the file: dropped").arg(it.key());
        else if (!it.value().isArray())
            faults << QString("\"%1\" is not an array: read as empty").arg(it.key());
    }
    const QJsonArray current = root.value("currentMode").toArray();
    for (int i = 0; i < current.size(); ++i) {
        const QString where = QString("currentMode[%1] ").arg(i);
        if (!current.at(i).isObject())
            faults << where + "is not an object: read as an empty record";
        m_currentModeList.push_back(
            PresetJson::currentModeFromJson(current.at(i).toObject(), where, &faults));
    }
    const QJsonArray customize = root.value("customizeMode").toArray();
    for (int i = 0; i < customize.size(); ++i) {
        const QString where = QString("customizeMode[%1] ").arg(i);
        if (!customize.at(i).isObject())
            faults << where + "is not an object: read as an empty record";
        m_customRecords.push_back(
            PresetJson::customRecordFromJson(customize.at(i).toObject(), where, &faults));
    }
    if (!faults.isEmpty()) {
        m_keepReason = summary(faults);
        qDebug().noquote() << "WriteReadJson::readConfigJson :config.json read with changes, " + m_keepReason;
    }
}

WriteReadJson::Batch::~Batch()
{
    if (--m_store.m_batchDepth == 0 && m_store.m_saveDue)
        m_store.writeConfigJson();
}

void WriteReadJson::writeConfigJson()
{
    if (m_batchDepth > 0) {
        m_saveDue = true;
        return;
    }
    m_saveDue = false;
    const QByteArray text = PresetJson::configText(m_currentModeList, m_customRecords);
    const QString path = configPath();
    QDir().mkpath(QFileInfo(path).path());
    if (!m_keepReason.isEmpty() && !keepConfigAside(path))
        return;
    const ConfigFile::Result saved = ConfigFile::save(path, text);
    if (saved.ok)
        return;
    qDebug().noquote() << "WriteReadJson::writeConfigJson :config.json not saved, " + saved.path + ": " +
                              saved.reason;
    emit saveFailed(saved.path, saved.reason);
}

// A copy, not a rename: if the save then fails, config.json still holds what it held.
bool WriteReadJson::keepConfigAside(const QString &path)
{
    const QString file = ConfigFile::target(path);
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        m_keepReason.clear();
        return true;
    }
    // A copy is only worth its place before a rewrite: with none to follow, every
    // start would add one more.
    const QFileInfo info(file);
    if (!QFileInfo(info.absolutePath()).isWritable() || !info.isWritable() ||
        !info.permissions().testFlag(QFileDevice::WriteOwner)) {
        const QString reason = "not writable, so not rewritten: " + m_keepReason;
        qDebug().noquote() << "WriteReadJson::writeConfigJson :config.json not saved, " + reason;
        emit saveFailed(file, reason);
        return false;
    }
    QByteArray bytes;
    const ConfigFile::Result read = ConfigFile::read(file, &bytes);
    const QString stem = file + ".bad-";
    if (read.ok) {
        // Kept already, by an earlier start whose save then failed.
        const QFileInfoList kept =
            QDir(info.absolutePath()).entryInfoList({info.fileName() + ".bad-*"}, QDir::Files);
        for (const QFileInfo &copy : kept) {
            QByteArray copied;
            if (copy.size() == bytes.size() && ConfigFile::read(copy.filePath(), &copied).ok &&
                copied == bytes) {
                qDebug().noquote() << "WriteReadJson::writeConfigJson :config.json kept already as " +
                                          copy.filePath();
                m_keepReason.clear();
                return true;
            }
        }
    }
    const QString dated = stem + QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss");
    QString kept = dated;
    for (int n = 1; QFileInfo::exists(kept); ++n)
        kept = dated + "-" + QString::number(n);
    const ConfigFile::Result copied = read.ok ? ConfigFile::save(kept, bytes) : read;
    if (!copied.ok) {
        const QString reason = "cannot keep a copy of it, " + copied.reason;
        qDebug().noquote() << "WriteReadJson::writeConfigJson :config.json not saved, " + reason;
        emit saveFailed(file, reason);
        return false;
    }
    qDebug().noquote() << "WriteReadJson::writeConfigJson :kept config.json as " + kept + ", " + m_keepReason;
    emit configKeptAside(kept, m_keepReason);
    m_keepReason.clear();
    return true;
}

void WriteReadJson::setDevice(int productId, const QString &deviceUuid)
{
    m_key.productId = productId;
    m_key.deviceUuid = deviceUuid;
    restoreCurrentMode();
}

void WriteReadJson::clearDevice()
{
    m_key = DeviceKey();
    m_currentMode.reset();
}

DeviceKey WriteReadJson::deviceKey() const
{
    return m_key;
}

std::optional<ModeData> WriteReadJson::currentMode() const
{
    return m_currentMode;
}

const DeviceModes *WriteReadJson::defaultDevice() const
{
    if (m_key.productId == DeviceKey::kNoProduct)
        return nullptr;
    const auto it = m_defaultRecords.find(m_key.productId);
    return it == m_defaultRecords.end() ? nullptr : &it->second;
}

const DeviceModes *WriteReadJson::customizeDevice() const
{
    return findCustomRecord();
}

QMap<QString, ModeData *> WriteReadJson::defaultModes(ModeType type) const
{
    return viewOf(defaultDevice(), type);
}

QMap<QString, ModeData *> WriteReadJson::customizeModes(ModeType type) const
{
    return viewOf(findCustomRecord(), type);
}

ModeData *WriteReadJson::findPreset(ModeType type, const char *name) const
{
    const DeviceModes *device = defaultDevice();
    if (!device)
        return nullptr;
    const auto &modes = device->modes(type);
    const auto it = modes.find(QString::fromUtf8(name));
    return it == modes.end() ? nullptr : it->second.get();
}

ModeData *WriteReadJson::getStereoPreset(int button) const
{
    return getPreset(Stereo, button);
}

ModeData *WriteReadJson::getSurroundPreset(int button) const
{
    return getPreset(Surround, button);
}

ModeData *WriteReadJson::getPreset(ModeType type, int button) const
{
    if (button < 0 || button >= PresetNames::count(type))
        return nullptr;
    return findPreset(type, PresetNames::name(type, button));
}

bool WriteReadJson::isCurrentProduct(const QString &pidText) const
{
    return m_key.productId != DeviceKey::kNoProduct && PresetJson::productIdOf(pidText) == m_key.productId;
}

DeviceModes *WriteReadJson::findCustomRecord() const
{
    for (const auto &device : m_customRecords) {
        if (isCurrentProduct(device->pid) && device->deviceUuid == m_key.deviceUuid)
            return device.get();
    }
    return nullptr;
}

// One rule for finding and for updating a receiver's record: with an empty key identity
// only records without identity match, so no other receiver's record is touched.
CurrentModeRecord *WriteReadJson::findCurrentModeRecord()
{
    for (CurrentModeRecord &record : m_currentModeList) {
        if (isCurrentProduct(record.pid) && record.deviceUuid == m_key.deviceUuid)
            return &record;
    }
    return nullptr;
}

void WriteReadJson::setCurrentMode(const ModeData *mode)
{
    if (!mode) {
        m_currentMode.reset();
        return;
    }
    const Change change(*this);
    m_currentMode = *mode;
    if (CurrentModeRecord *record = findCurrentModeRecord()) {
        record->uuid = m_currentMode->uuid;
    } else if (const DeviceModes *device = m_key.hasIdentity() ? defaultDevice() : nullptr) {
        m_currentModeList.push_back(
            CurrentModeRecord{m_key.deviceUuid, device->vid, device->pid, m_currentMode->uuid});
    }
}

void WriteReadJson::restoreCurrentMode()
{
    const CurrentModeRecord *record = findCurrentModeRecord();
    if (!record)
        return;
    const QString uuid = record->uuid;
    ModeData *found = findByUuid(customizeModes(Surround), uuid);
    if (!found)
        found = findByUuid(defaultModes(Surround), uuid);
    if (!found)
        found = findByUuid(customizeModes(Stereo), uuid);
    if (!found)
        found = findByUuid(defaultModes(Stereo), uuid);
    if (found)
        setCurrentMode(found);
}

void WriteReadJson::insertCustomizeMode(std::unique_ptr<ModeData> mode)
{
    // A receiver whose identity never arrived is not one the user can come back to.
    const DeviceModes *defaults = defaultDevice();
    if (!mode || !defaults || !m_key.hasIdentity())
        return;
    const Change change(*this);
    mode->parameter.resize(kBands, 0);
    DeviceModes *device = findCustomRecord();
    if (!device) {
        auto created = std::make_unique<DeviceModes>();
        created->vid = defaults->vid;
        created->pid = defaults->pid;
        created->deviceUuid = m_key.deviceUuid;
        device = created.get();
        m_customRecords.push_back(std::move(created));
    }
    device->insert(std::move(mode));
}

void WriteReadJson::removeCustomizeMode(const ModeData *mode)
{
    if (!mode)
        return;
    const Change change(*this);
    // `mode` may be the stored one and die below.
    const QString name = mode->name;
    const int type = mode->type;
    if (DeviceModes *device = findCustomRecord()) {
        DeviceModes::ModeMap &modes = device->modes(type);
        const auto it = modes.find(name);
        if (it != modes.end()) {
            const std::unique_ptr<ModeData> removed = std::move(it->second);
            modes.erase(it);
            for (auto &entry : modes) {
                if (entry.second->index > removed->index)
                    --entry.second->index;
            }
        }
    }
}

void WriteReadJson::renameCustomizeMode(const QString &oldName, ModeData *mode)
{
    DeviceModes *device = findCustomRecord();
    if (!mode || !device)
        return;
    DeviceModes::ModeMap &modes = device->modes(mode->type);
    auto it = modes.find(oldName);
    if (it == modes.end() || it->second.get() != mode) {
        it = std::find_if(modes.begin(), modes.end(),
                          [mode](const auto &entry) { return entry.second.get() == mode; });
        if (it == modes.end()) {
            qDebug() << "WriteReadJson::renameCustomizeMode :mode not stored" << oldName;
            return;
        }
    }
    // The caller may have changed more of the stored mode than its name.
    const Change change(*this);
    if (it->first == mode->name)
        return;
    if (modes.count(mode->name)) {
        // Another mode has that name: the mode keeps the name it is filed under.
        qDebug() << "WriteReadJson::renameCustomizeMode :name taken" << mode->name;
        mode->name = it->first;
        return;
    }
    auto node = modes.extract(it);
    node.key() = mode->name;
    modes.insert(std::move(node));
}

QMap<int, QString> WriteReadJson::knownDevices() const
{
    QMap<int, QString> devices;
    for (const auto &entry : m_defaultRecords)
        devices.insert(entry.first, entry.second.vid);
    return devices;
}

const std::vector<CurrentModeRecord> &WriteReadJson::currentModeRecords() const
{
    return m_currentModeList;
}

const std::vector<std::unique_ptr<DeviceModes>> &WriteReadJson::customRecords() const
{
    return m_customRecords;
}

QString WriteReadJson::configPath() const
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/VoxBench/config.json";
}
