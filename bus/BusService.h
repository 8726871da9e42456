#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class AppRules;
class CommandServer;
class ReceiverModel;
class RuleEngine;

// The object VoxBench serves on the session bus. Each method is the command
// line's request of the same meaning, handed to the command server, so that
// it follows the same rules and fails with the same text and code (as the
// error io.github.voxbench.VoxBench1.Error.<Code>). Each property is read from
// the model; PropertiesChanged goes out once for each signal of the model or
// the rules that changed one, and never otherwise. An empty `tab` is what
// leaving out --tab is.
class BusService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.voxbench.VoxBench1")
    Q_PROPERTY(bool Attached READ attached)
    Q_PROPERTY(ushort ProductId READ productId)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(bool Surround71 READ surround71)
    Q_PROPERTY(QString Tab READ tab)
    Q_PROPERTY(QString StereoMode READ stereoMode)
    Q_PROPERTY(QString StereoModeOrigin READ stereoModeOrigin)
    Q_PROPERTY(QList<int> StereoGains READ stereoGains)
    Q_PROPERTY(QStringList StereoCustomModes READ stereoCustomModes)
    Q_PROPERTY(QStringList StereoModes READ stereoModes)
    Q_PROPERTY(QString SurroundMode READ surroundMode)
    Q_PROPERTY(QString SurroundModeOrigin READ surroundModeOrigin)
    Q_PROPERTY(QList<int> SurroundGains READ surroundGains)
    Q_PROPERTY(QStringList SurroundCustomModes READ surroundCustomModes)
    Q_PROPERTY(QStringList SurroundModes READ surroundModes)
    Q_PROPERTY(bool MicEnc READ micEnc)
    Q_PROPERTY(QString Rule READ rule)
    Q_PROPERTY(bool RulesPaused READ rulesPaused)

public:
    BusService(CommandServer &server, ReceiverModel &model, AppRules &rules, RuleEngine &engine,
               QObject *parent = nullptr);

    // Exports the object and asks for the name, queued behind an owner that
    // is still going (an instance handing over); false without a session bus.
    bool publish(QDBusConnection connection);

    bool attached() const;
    ushort productId() const;
    QString identity() const;
    bool surround71() const;
    QString tab() const;
    QString stereoMode() const;
    QString stereoModeOrigin() const;
    QList<int> stereoGains() const;
    QStringList stereoCustomModes() const;
    // Every mode the tab offers, built-in then custom, as `voxbench modes` lists them.
    QStringList stereoModes() const;
    QString surroundMode() const;
    QString surroundModeOrigin() const;
    QList<int> surroundGains() const;
    QStringList surroundCustomModes() const;
    QStringList surroundModes() const;
    bool micEnc() const;
    QString rule() const;
    bool rulesPaused() const;

public slots:
    Q_SCRIPTABLE void ChooseMode(const QString &name, const QString &tab);
    Q_SCRIPTABLE void NextMode(const QString &tab);
    Q_SCRIPTABLE void PreviousMode(const QString &tab);
    Q_SCRIPTABLE void SelectTab(const QString &tab);
    Q_SCRIPTABLE void SetMicEnc(bool on);
    Q_SCRIPTABLE void ToggleMicEnc();
    Q_SCRIPTABLE void SetGains(const QList<int> &gains, const QString &tab);
    Q_SCRIPTABLE void AddMode(const QString &name, const QString &tab);
    Q_SCRIPTABLE void RenameMode(const QString &name, const QString &newName, const QString &tab);
    Q_SCRIPTABLE void DeleteMode(const QString &name, const QString &tab);
    Q_SCRIPTABLE void Show();
    Q_SCRIPTABLE void Quit();

private:
    void request(QVariantMap body);
    bool tabRefused(const QString &tab);
    QVariantMap properties() const;
    void announce();

    CommandServer &m_server;
    ReceiverModel &m_model;
    AppRules &m_rules;
    RuleEngine &m_engine;
    QDBusConnection m_connection;
    QVariantMap m_announced;
};
