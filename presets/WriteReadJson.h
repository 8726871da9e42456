#pragma once

#include "presets/CurrentModeRecord.h"
#include "presets/DeviceKey.h"
#include "presets/DeviceModes.h"

#include <QMap>
#include <QObject>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// The preset store: built-in presets of every known receiver model, the user's
// custom modes and the remembered current mode of every receiver, kept in
// config.json. GUI thread only.
class WriteReadJson : public QObject
{
    Q_OBJECT
public:
    // Loads every default preset file below the program folder, then config.json.
    explicit WriteReadJson(QObject *context = nullptr);
    WriteReadJson(const QString &programFolder, QObject *context = nullptr);
    ~WriteReadJson() override;

    void getPresetJson(const QString &folder);
    void readConfigJson();
    // Saves now, or when the outermost open batch closes.
    void writeConfigJson();

    void setDevice(int productId, const QString &deviceUuid);
    void clearDevice();
    DeviceKey deviceKey() const;

    // A copy of the mode last selected on the current receiver.
    std::optional<ModeData> currentMode() const;
    const DeviceModes *defaultDevice() const;
    // Views of the maps; the modes stay owned by the store.
    QMap<QString, ModeData *> defaultModes(ModeType type) const;
    QMap<QString, ModeData *> customizeModes(ModeType type) const;
    ModeData *getStereoPreset(int button) const;
    ModeData *getSurroundPreset(int button) const;
    // Built-in button n of the tab (PresetNames), or nullptr.
    ModeData *getPreset(ModeType type, int button) const;

    void setCurrentMode(const ModeData *mode);
    void restoreCurrentMode();
    // The store takes the mode.
    void insertCustomizeMode(std::unique_ptr<ModeData> mode);
    // Destroys the stored mode of that name and type; `mode` dies with it when it is the stored one.
    void removeCustomizeMode(const ModeData *mode);
    void renameCustomizeMode(const QString &oldName, ModeData *mode);

    // The HID layer's known-device table: product id -> vendor id text.
    QMap<int, QString> knownDevices() const;

    const std::vector<CurrentModeRecord> &currentModeRecords() const;
    const std::vector<std::unique_ptr<DeviceModes>> &customRecords() const;
    // The custom record of the current receiver, if it has one.
    const DeviceModes *customizeDevice() const;
    // <Documents>/VoxBench/config.json. Only a save creates the folder.
    QString configPath() const;

    // Saves asked for while a batch is open are made once, when the last batch
    // closes: one user action, one rewrite of config.json.
    class Batch
    {
    public:
        explicit Batch(WriteReadJson &store) : m_store(store) { ++m_store.m_batchDepth; }
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    protected:
        WriteReadJson &m_store;
    };

signals:
    // A rewrite of config.json failed; the old file is as it was, memory keeps the change.
    void saveFailed(const QString &path, const QString &reason);
    // What config.json held could not be written back unchanged, so its bytes were
    // copied to `keptPath` before the first rewrite.
    void configKeptAside(const QString &keptPath, const QString &reason);

private:
    // Opened by every mutator before it changes what config.json holds: the change
    // is saved when the outermost batch closes, so no mutator can forget its save
    // and nested ones make one rewrite.
    class Change : public Batch
    {
    public:
        explicit Change(WriteReadJson &store) : Batch(store) { store.m_saveDue = true; }
    };

    bool isCurrentProduct(const QString &pidText) const;
    DeviceModes *findCustomRecord() const;
    CurrentModeRecord *findCurrentModeRecord();
    ModeData *findPreset(ModeType type, const char *name) const;
    bool keepConfigAside(const QString &path);

    std::optional<ModeData> m_currentMode;
    DeviceKey m_key;
    std::vector<CurrentModeRecord> m_currentModeList;
    std::map<int, DeviceModes> m_defaultRecords;
    std::vector<std::unique_ptr<DeviceModes>> m_customRecords;
    // What config.json held would not be written back unchanged: why, until a copy is kept.
    QString m_keepReason;
    int m_batchDepth = 0;
    bool m_saveDue = false;
};
