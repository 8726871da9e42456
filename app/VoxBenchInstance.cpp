#include "app/VoxBenchInstance.h"

#include "bus/SessionBus.h"
#include "device/ReceiverSession.h"
#include "log/DebugLog.h"
#include "model/AppRules.h"
#include "model/CloseChoice.h"
#include "model/ReceiverModel.h"
#include "model/RuleEngine.h"
#include "platform/DeviceMonitor.h"
#include "platform/SleepWatcher.h"
#include "presets/WriteReadJson.h"

#include <QCoreApplication>
#include <QDebug>

namespace {
const QString kSource = QStringLiteral("VoxBench");
} // namespace

VoxBenchInstance::VoxBenchInstance(QObject *parent)
    : QObject(parent), m_store(std::make_unique<WriteReadJson>(this)),
      m_session(std::make_unique<ReceiverSession>()),
      m_model(std::make_unique<ReceiverModel>(*m_store, *m_session)), m_rules(std::make_unique<AppRules>()),
      m_ruleEngine(std::make_unique<RuleEngine>(*m_model, *m_rules)),
      m_closeChoice(std::make_unique<CloseChoice>())
{
    connect(m_store.get(), &WriteReadJson::configKeptAside, this, &VoxBenchInstance::logConfigKeptAside);

    CommandServer::Program program;
    program.show = [this] {
        if (m_frontEnd.show)
            m_frontEnd.show();
    };
    program.quit = [this] { quit(); };
    program.shown = [this] { return m_frontEnd.shown && m_frontEnd.shown(); };
    m_server = std::make_unique<CommandServer>(*m_model, program);
    m_server->setRules(m_rules.get(), m_ruleEngine.get());
    m_server->setCloseChoice(m_closeChoice.get());
    // Only the instance that holds the instance lock is built, so only it takes the name.
    m_bus = SessionBus::serve(*m_server, *m_model, *m_rules, *m_ruleEngine);
    m_backgroundPortal = SessionBus::followBackgroundChoice(*m_closeChoice);

    initDebugLog();
    watchDevices();
    // A receiver that lost its settings while the machine slept gets them again.
    m_sleepWatcher = std::make_unique<SleepWatcher>();
    ReceiverAttachment *attachment = &m_model->receiver();
    connect(m_sleepWatcher.get(), &SleepWatcher::aboutToSleep, attachment, &ReceiverAttachment::noteSleep);
    connect(m_sleepWatcher.get(), &SleepWatcher::resumed, attachment,
            &ReceiverAttachment::reapplyAfterResume);

    m_model->selectPage(Page::Stereo);
    // A refusal is kept by the model; a window built later says it.
    m_model->receiver().open();
}

VoxBenchInstance::~VoxBenchInstance() = default;

void VoxBenchInstance::quit()
{
    if (m_frontEnd.quit && m_frontEnd.quit())
        return;
    if (!m_quitting) {
        m_quitting = true;
        m_model->farewell();
    }
    // Queued, so that a quit before the event loop runs is not lost.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

void VoxBenchInstance::watchDevices()
{
    qDebug() << "***** Register Device! *****";
    m_deviceMonitor = std::make_unique<DeviceMonitor>();
    connect(m_deviceMonitor.get(), &DeviceMonitor::hidArrived, this, &VoxBenchInstance::handleHidArrival);
    connect(m_deviceMonitor.get(), &DeviceMonitor::hidRemoved, this, &VoxBenchInstance::handleHidRemoval);
    connect(m_deviceMonitor.get(), &DeviceMonitor::usbDiskArrived, this,
            &VoxBenchInstance::handleVolumeArrival);
    // No window's handle: where notifications come as window messages, the
    // monitor makes a hidden window of its own.
    if (m_deviceMonitor->startFor({})) {
        qDebug() << "Register SuccessFul!";
        writeDebugLog(QStringLiteral("Register Device"), QStringLiteral("true"), kSource,
                      QStringLiteral("registerDevice"), 274);
    } else {
        qDebug() << "Register Fail!";
        writeDebugLog(QStringLiteral("Register Device"), QStringLiteral("false"), kSource,
                      QStringLiteral("registerDevice"), 269);
    }
}

void VoxBenchInstance::handleHidArrival()
{
    if (m_model->receiverPresent())
        return;
    qDebug() << "------------------------------";
    writeDebugLog(QStringLiteral("DeviceInsert"), QStringLiteral("true"), kSource,
                  QStringLiteral("nativeEvent"), 305);
    m_model->receiver().handleArrival();
}

void VoxBenchInstance::handleHidRemoval(quint16 vendorId, quint16 productId, const QString &node)
{
    qDebug() << "------------------------------";
    writeDebugLog(QStringLiteral("DeviceRemove"), QStringLiteral("true"), kSource,
                  QStringLiteral("nativeEvent"), 333);
    qDebug() << "Removed" << Qt::hex << vendorId << productId << node;
    m_model->receiver().handleRemoval(vendorId, productId, node);
}

void VoxBenchInstance::handleVolumeArrival()
{
    qDebug() << "U disk arrived";
    writeDebugLog(QStringLiteral("Insert Device U disk"), QStringLiteral("true"), kSource,
                  QStringLiteral("nativeEvent"), 294);
}

void VoxBenchInstance::logConfigKeptAside(const QString &keptPath, const QString &reason)
{
    writeDebugLog(QStringLiteral("config.json kept"), keptPath + QStringLiteral(" : ") + reason, kSource,
                  QStringLiteral("logConfigKeptAside"), __LINE__);
}
