#include "bus/BusService.h"

#include "bus/SessionBus.h"
#include "command/CommandProtocol.h"
#include "command/CommandServer.h"
#include "model/AppRules.h"
#include "model/ModeNames.h"
#include "model/ReceiverModel.h"
#include "model/RuleEngine.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
using namespace CommandProtocol;

const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// "no-receiver" → "NoReceiver".
QString errorName(const QString &code)
{
    QString name = QLatin1String(SessionBus::kErrorPrefix);
    for (const QString &part : code.split(QLatin1Char('-'), Qt::SkipEmptyParts))
        name += part.left(1).toUpper() + part.mid(1);
    return name;
}

QString originOf(const ReceiverModel &model, ModeType type)
{
    const ReceiverModel::Selection &selection = model.selection(type);
    if (!selection.chosen)
        return QString();
    return selection.origin == ModeOrigin::BuiltIn ? QStringLiteral("built-in") : QStringLiteral("custom");
}

QList<int> gainsOf(const ReceiverModel &model, ModeType type)
{
    const Gains &gains = model.gains(type);
    return QList<int>(gains.begin(), gains.end());
}

QStringList customNames(const ReceiverModel &model, ModeType type)
{
    QStringList names;
    for (const ReceiverModel::CustomMode &mode : model.customModes(type))
        names << mode.name;
    return names;
}

QStringList offeredNames(const ReceiverModel &model, ModeType type)
{
    QStringList names;
    for (const ModeNames::Entry &mode : ModeNames::offered(model, type))
        names << mode.name;
    return names;
}
} // namespace

BusService::BusService(CommandServer &server, ReceiverModel &model, AppRules &rules, RuleEngine &engine,
                       QObject *parent)
    : QObject(parent), m_server(server), m_model(model), m_rules(rules), m_engine(engine),
      m_connection(QString())
{
    qDBusRegisterMetaType<QList<int>>();
    // The gains are compared with what was last announced.
    QMetaType::registerEqualsComparator<QList<int>>();
    // Whatever the model or the rules say changed, the properties are compared
    // at once: one signal of the model is at most one PropertiesChanged.
    connect(&m_model, &ReceiverModel::pageStateChanged, this, &BusService::announce);
    connect(&m_model, &ReceiverModel::pageChanged, this, &BusService::announce);
    connect(&m_model, &ReceiverModel::selectionChanged, this, &BusService::announce);
    connect(&m_model, &ReceiverModel::gainsChanged, this, &BusService::announce);
    connect(&m_model, &ReceiverModel::customModesChanged, this, &BusService::announce);
    connect(&m_model, &ReceiverModel::micEncChanged, this, &BusService::announce);
    connect(&m_rules, &AppRules::changed, this, &BusService::announce);
    connect(&m_engine, &RuleEngine::inForceChanged, this, &BusService::announce);
}

bool BusService::publish(QDBusConnection connection)
{
    if (!connection.isConnected() || !connection.interface())
        return false;
    if (!connection.registerObject(QLatin1String(SessionBus::kPath), this,
                                   QDBusConnection::ExportAllProperties |
                                       QDBusConnection::ExportScriptableSlots))
        return false;
    m_connection = connection;
    m_announced = properties();
    // Queued: an instance handing over to this one may still hold the name for a moment.
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        connection.interface()->registerService(QLatin1String(SessionBus::kService),
                                                QDBusConnectionInterface::QueueService,
                                                QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid();
}

void BusService::request(QVariantMap body)
{
    if (!calledFromDBus())
        return;
    setDelayedReply(true);
    CommandServer::Reply reply;
    reply.send = [connection = connection(), call = message()](const QByteArray &bytes) {
        const QJsonObject answer = QJsonDocument::fromJson(bytes).object();
        connection.send(answer.value(kOk).toBool()
                            ? call.createReply()
                            : call.createErrorReply(errorName(answer.value(kCode).toString()),
                                                    answer.value(kError).toString()));
    };
    m_server.handle(QJsonDocument(QJsonObject::fromVariantMap(body)).toJson(QJsonDocument::Compact), reply);
}

namespace {
QVariantMap withTab(QVariantMap body, const QString &tab)
{
    if (!tab.isEmpty())
        body.insert(kTab, tab);
    return body;
}
} // namespace

// The command line refuses any other --tab before it asks.
bool BusService::tabRefused(const QString &tab)
{
    if (tab.isEmpty() || tab == kStereo || tab == kSurround)
        return false;
    sendErrorReply(errorName(kUsage), QStringLiteral("no tab named \"%1\"").arg(tab));
    return true;
}

void BusService::ChooseMode(const QString &name, const QString &tab)
{
    if (tabRefused(tab))
        return;
    request(withTab({{kVerb, kMode}, {kName, name}}, tab));
}

void BusService::NextMode(const QString &tab)
{
    if (tabRefused(tab))
        return;
    request(withTab({{kVerb, kMode}, {kAction, kNext}}, tab));
}

void BusService::PreviousMode(const QString &tab)
{
    if (tabRefused(tab))
        return;
    request(withTab({{kVerb, kMode}, {kAction, kPrevious}}, tab));
}

void BusService::SelectTab(const QString &tab)
{
    request({{kVerb, kSelectTab}, {kTab, tab}});
}

void BusService::SetMicEnc(bool on)
{
    request({{kVerb, kEnc}, {kOn, on}});
}

void BusService::ToggleMicEnc()
{
    request({{kVerb, kEnc}, {kAction, kToggle}});
}

void BusService::SetGains(const QList<int> &gains, const QString &tab)
{
    if (tabRefused(tab))
        return;
    QVariantList values;
    for (const int gain : gains)
        values << gain;
    request(withTab({{kVerb, kSetGains}, {kGains, values}}, tab));
}

void BusService::AddMode(const QString &name, const QString &tab)
{
    if (tabRefused(tab))
        return;
    request(withTab({{kVerb, kMode}, {kAction, kAdd}, {kName, name}}, tab));
}

void BusService::RenameMode(const QString &name, const QString &newName, const QString &tab)
{
    if (tabRefused(tab))
        return;
    request(withTab({{kVerb, kMode}, {kAction, kRename}, {kName, name}, {kNewName, newName}}, tab));
}

void BusService::DeleteMode(const QString &name, const QString &tab)
{
    if (tabRefused(tab))
        return;
    request(withTab({{kVerb, kMode}, {kAction, kDelete}, {kName, name}}, tab));
}

void BusService::Show()
{
    request({{kVerb, kShow}});
}

void BusService::Quit()
{
    request({{kVerb, kQuit}});
}

bool BusService::attached() const
{
    return m_model.attached();
}

ushort BusService::productId() const
{
    return m_model.attached() ? m_model.productId() : 0;
}

QString BusService::identity() const
{
    return m_model.attached() ? m_model.identity() : QString();
}

bool BusService::surround71() const
{
    return m_model.attached() && m_model.offersSurround();
}

QString BusService::tab() const
{
    const Page page = m_model.page();
    if (page == Page::MicEnc)
        return kMicEnc;
    return Pages::typeOf(page) == Stereo ? QString(kStereo) : QString(kSurround);
}

QString BusService::stereoMode() const
{
    return m_model.selection(Stereo).chosen ? m_model.chosenName(Stereo) : QString();
}

QString BusService::stereoModeOrigin() const
{
    return originOf(m_model, Stereo);
}

QList<int> BusService::stereoGains() const
{
    return gainsOf(m_model, Stereo);
}

QStringList BusService::stereoCustomModes() const
{
    return customNames(m_model, Stereo);
}

QStringList BusService::stereoModes() const
{
    return offeredNames(m_model, Stereo);
}

QString BusService::surroundMode() const
{
    return m_model.selection(Surround).chosen ? m_model.chosenName(Surround) : QString();
}

QString BusService::surroundModeOrigin() const
{
    return originOf(m_model, Surround);
}

QList<int> BusService::surroundGains() const
{
    return gainsOf(m_model, Surround);
}

QStringList BusService::surroundCustomModes() const
{
    return customNames(m_model, Surround);
}

QStringList BusService::surroundModes() const
{
    return offeredNames(m_model, Surround);
}

bool BusService::micEnc() const
{
    return m_model.micEnc();
}

QString BusService::rule() const
{
    const AppRules::Rule *rule = m_engine.inForce();
    return rule ? rule->application : QString();
}

bool BusService::rulesPaused() const
{
    return m_rules.paused();
}

QVariantMap BusService::properties() const
{
    return {{QStringLiteral("Attached"), attached()},
            {QStringLiteral("ProductId"), QVariant::fromValue(productId())},
            {QStringLiteral("Identity"), identity()},
            {QStringLiteral("Surround71"), surround71()},
            {QStringLiteral("Tab"), tab()},
            {QStringLiteral("StereoMode"), stereoMode()},
            {QStringLiteral("StereoModeOrigin"), stereoModeOrigin()},
            {QStringLiteral("StereoGains"), QVariant::fromValue(stereoGains())},
            {QStringLiteral("StereoCustomModes"), stereoCustomModes()},
            {QStringLiteral("StereoModes"), stereoModes()},
            {QStringLiteral("SurroundMode"), surroundMode()},
            {QStringLiteral("SurroundModeOrigin"), surroundModeOrigin()},
            {QStringLiteral("SurroundGains"), QVariant::fromValue(surroundGains())},
            {QStringLiteral("SurroundCustomModes"), surroundCustomModes()},
            {QStringLiteral("SurroundModes"), surroundModes()},
            {QStringLiteral("MicEnc"), micEnc()},
            {QStringLiteral("Rule"), rule()},
            {QStringLiteral("RulesPaused"), rulesPaused()}};
}

void BusService::announce()
{
    if (!m_connection.isConnected())
        return;
    const QVariantMap now = properties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (m_announced.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    m_announced = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(SessionBus::kPath), kPropertiesInterface,
                                                     QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(SessionBus::kInterface) << changed << QStringList();
    m_connection.send(signal);
}
