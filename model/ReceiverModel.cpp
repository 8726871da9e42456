#include "model/ReceiverModel.h"

#include "model/SettingsFile.h"

#include "device/ReceiverSession.h"
#include "log/DebugLog.h"
#include "presets/PresetNames.h"
#include "presets/WriteReadJson.h"

#include <QDebug>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <memory>
#include <utility>

namespace {
// Fixed source name of the program's debug-log records.
const QString kSource = QStringLiteral("VoxBench");

// The receiver takes a moment over a new identity before the next report.
constexpr int kNewIdentityPauseMs = 50;

Gains gainsOf(const std::vector<int> &values)
{
    return CustomModes::gainsOf(values);
}

Gains clamped(const Gains &gains)
{
    return CustomModes::clamped(gains);
}

// A receiver's remembered choices: one group per product id and identity.
QString receiverKey(quint16 productId, const QString &identity, const char *key)
{
    return QStringLiteral("%1-%2/%3")
        .arg(productId, 4, 16, QLatin1Char('0'))
        .arg(identity, QLatin1String(key));
}
constexpr char kMicEncKey[] = "mic_enc";

const char *const kInsertDevice = QT_TRANSLATE_NOOP("ReceiverModel", "Please Insert Device!");
} // namespace

ReceiverModel::ReceiverModel(WriteReadJson &store, ReceiverSession &session, QObject *parent)
    : QObject(parent), m_store(store), m_session(session), m_custom(store), m_attachment(session, store)
{
    connect(&m_attachment, &ReceiverAttachment::opened, this, [this] {
        m_capabilities = m_session.capabilities();
        emit receiverOpened();
    });
    connect(&m_attachment, &ReceiverAttachment::cameUp, this, &ReceiverModel::bringUp);
    connect(&m_attachment, &ReceiverAttachment::ended, this, &ReceiverModel::forgetAttachment);
    connect(&m_attachment, &ReceiverAttachment::pageStateChanged, this, &ReceiverModel::pageStateChanged);
    connect(&m_attachment, &ReceiverAttachment::accessDenied, this, &ReceiverModel::accessDenied);
    connect(&m_attachment, &ReceiverAttachment::resendDue, this, &ReceiverModel::resendHeld);
    // The gate's timer runs only while an edit is held or just sent, so a quiet
    // program wakes for nothing.
    m_gateTimer.setSingleShot(true);
    m_gateTimer.setTimerType(Qt::CoarseTimer);
    m_gateTimer.setInterval(kGateMs);
    connect(&m_gateTimer, &QTimer::timeout, this, &ReceiverModel::gateElapsed);
    connect(&m_session, &ReceiverSession::replied, this, &ReceiverModel::replied);
    connect(&m_store, &WriteReadJson::saveFailed, this, &ReceiverModel::saveFailed);
}

ReceiverModel::~ReceiverModel() = default;

// --- The receiver.

// The attachment ended: the receiver's picture, device and chosen modes go with it.
void ReceiverModel::forgetAttachment()
{
    m_capabilities = ReceiverCapabilities{};
    m_store.clearDevice();
    resetTabs();
    m_store.setCurrentMode(nullptr);
}

// What was chosen belongs to the attachment that chose it: a receiver plugged in
// next gets its own remembered modes, never a resend of the last one's. Whether
// a tab was in its custom view stays, as the window shows it.
void ReceiverModel::resetTabs()
{
    for (const ModeType type : {Surround, Stereo}) {
        Tab &tab = m_tabs[type];
        tab.selection.chosen = false;
        tab.gains = Gains{};
        emit selectionChanged(type);
        emit gainsChanged(type);
        emit customModesChanged(type);
    }
}

bool ReceiverModel::receiverOpen() const
{
    return m_session.opened();
}

bool ReceiverModel::receiverPresent() const
{
    return m_session.hasReceiver();
}

quint16 ReceiverModel::productId() const
{
    return m_session.productId();
}

QString ReceiverModel::identity() const
{
    return m_session.identity();
}

QString ReceiverModel::version() const
{
    return m_session.version();
}

bool ReceiverModel::offersSurround() const
{
    return ::offersSurround(m_capabilities, m_session.reports71());
}

const char *ReceiverModel::picture() const
{
    return m_session.opened() ? m_capabilities.picture : nullptr;
}

bool ReceiverModel::showsPicture() const
{
    return !showsSpectrum(m_capabilities);
}

bool ReceiverModel::spectrumOn() const
{
    return m_session.spectrumOn();
}

bool ReceiverModel::pageWantsSpectrum() const
{
    return m_page == Page::Stereo && !showsPicture() && m_session.attached();
}

void ReceiverModel::switchSpectrum(bool on)
{
    m_session.switchSpectrum(on);
}

void ReceiverModel::bringUp()
{
    const int productId = m_session.productId();
    m_store.setDevice(productId, m_session.identity());
    emit customModesChanged(Surround);
    emit customModesChanged(Stereo);
    restoreRemembered();

    const IdentityBytes identity = m_session.identityBytes();
    if (identity != m_lastIdentity) {
        qDebug() << "***** Device Change! *****";
        m_lastIdentity = identity;
        emit newIdentity(productId);
        m_session.pause(kNewIdentityPauseMs);
    }
    // The user's last choice for this receiver; one never seen starts as its model's default.
    const DeviceModes *defaults = m_store.defaultDevice();
    bool micEnc = defaults ? defaults->micENC : DeviceModes().micENC;
    const QString identityText = m_session.identity();
    if (!identityText.isEmpty()) {
        SettingsFile receivers(receiversFile());
        if (!receivers.readProblem().isEmpty())
            qWarning().noquote() << "Mic ENC choices not read from" << receiversFile() << ":"
                                 << receivers.readProblem();
        const QVariant remembered =
            receivers.values().value(receiverKey(m_session.productId(), identityText, kMicEncKey));
        if (remembered.isValid())
            micEnc = remembered.toBool();
    }
    applyMicEnc(micEnc);
}

// What the model holds, in the order of an attachment's restore: the page
// (spectrum switch and its settle), the other tab's mode, the page's mode
// (whose acknowledgement brings the algorithm switch), then Mic ENC.
void ReceiverModel::resendHeld()
{
    const std::optional<ModeData> current = m_store.currentMode();
    const bool onModes = Pages::carriesModes(m_page);
    const ModeType front = onModes   ? Pages::typeOf(m_page)
                           : current ? Pages::typeOfRecord(current->type)
                                     : Stereo;
    m_session.selectPage(Pages::algorithmOf(m_page), pageWantsSpectrum());
    for (const ModeType type : {Pages::otherType(front), front}) {
        if (m_tabs[type].selection.chosen)
            upload(type);
    }
    closeGate();
    // The Mic ENC page sends no switch after an upload: the receiver gets the
    // algorithm it ran before the sleep.
    if (!onModes && m_session.algorithm() != PageAlgorithm::None)
        m_session.switchAlgorithm(algorithmSwitchAfterUpload(m_session.algorithm(), m_capabilities));
    applyMicEnc(m_micEnc);
}

// The receiver's remembered mode on its tab, that tab on screen, and the other
// tab's custom view or its standard preset; a receiver without a remembered
// mode starts on the standard presets.
void ReceiverModel::restoreRemembered()
{
    const std::optional<ModeData> current = m_store.currentMode();
    if (!current) {
        selectPreset(Surround, PresetNames::standardButton(Surround));
        selectPage(Page::Stereo);
        selectPreset(Stereo, PresetNames::standardButton(Stereo));
        return;
    }
    const ModeType type = Pages::typeOfRecord(current->type);
    const Outcome page = selectPage(Pages::pageOf(type));
    if (!page.ok()) {
        const QString message = page.message;
        afterSends(this, [this, message] { emit notice(message); });
    }

    const ModeType other = Pages::otherType(type);
    if (!customModes(other).empty() && m_tabs[other].selection.customView)
        showCustomModes(other);
    else
        selectPreset(other, PresetNames::standardButton(other));

    if (current->isCustom()) {
        for (const CustomMode &mode : customModes(type)) {
            if (mode.name == current->name)
                m_tabs[type].selection.slot = mode.slot;
        }
        showCustomModes(type);
        return;
    }
    for (int button = 0; button < PresetNames::count(type); ++button) {
        if (current->name == QLatin1String(PresetNames::name(type, button))) {
            selectPreset(type, button);
            return;
        }
    }
}

void ReceiverModel::replied(int code)
{
    switch (ReplyCode(code)) {
    case ReplyCode::ReadAudio:
        if (!offersSurround())
            selectPage(Page::Stereo);
        break;
    case ReplyCode::Spectrum:
        emit spectrumLevels(m_session.spectrumLevels());
        break;
    case ReplyCode::SpectrumFrame:
        emit spectrumFrameDue();
        break;
    default:
        break;
    }
}

// --- Pages.

ReceiverModel::Outcome ReceiverModel::selectPage(Page page)
{
    if (page == Page::Surround && !offersSurround()) {
        qDebug() << "Mr.Lok TabWidget_Clicked:" << int(m_session.reports71()) << m_capabilities.offers71;
        // The whole stereo page comes first, with what it sends.
        selectPage(Page::Stereo);
        return refuse(Result::NotOffered,
                      QT_TRANSLATE_NOOP("ReceiverModel", "The device does not support this algorithm"));
    }
    m_page = page;
    emit pageChanged(page);
    m_session.selectPage(Pages::algorithmOf(page), page == Page::Stereo && !showsPicture());
    if (Pages::carriesModes(page))
        reapply(Pages::typeOf(page));
    return {};
}

// The page's mode goes to the receiver again, after the settle that follows
// the spectrum switch.
void ReceiverModel::reapply(ModeType type)
{
    const Selection &selection = m_tabs[type].selection;
    if (!selection.chosen)
        return;
    if (selection.origin == ModeOrigin::BuiltIn)
        selectPreset(type, selection.preset);
    else
        selectCustom(type, selection.slot);
}

// --- Modes.

const ModeData *ReceiverModel::preset(ModeType type, int button) const
{
    return m_store.getPreset(type, button);
}

std::vector<ReceiverModel::CustomMode> ReceiverModel::customModes(ModeType type) const
{
    return m_custom.list(type);
}

QStringList ReceiverModel::modesWithoutSlot(ModeType type) const
{
    return m_custom.withoutSlot(type);
}

QString ReceiverModel::chosenName(ModeType type) const
{
    const Selection &selection = m_tabs[type].selection;
    if (!selection.chosen)
        return QString();
    if (selection.origin == ModeOrigin::Custom) {
        const ModeData *mode = m_custom.stored(type, selection.slot);
        return mode ? mode->name : QString();
    }
    return QLatin1String(PresetNames::label(type, selection.preset));
}

int ReceiverModel::modeCodeOf(ModeType type, const Selection &selection) const
{
    const PeqKind kind = Pages::peqKindOf(type);
    if (selection.origin == ModeOrigin::Custom)
        return modeCode(kind, ModeSource::Custom, selection.slot, m_capabilities);
    return modeCode(kind, ModeSource::Preset, selection.preset, m_capabilities);
}

void ReceiverModel::upload(ModeType type)
{
    writeDebugLog(QStringLiteral("send PEQ Param"), QStringLiteral("start"), kSource,
                  QStringLiteral("sendPEQParameter"), 804);
    Tab &tab = m_tabs[type];
    tab.sent = tab.gains;
    m_session.uploadPeq(Pages::peqKindOf(type), modeCodeOf(type, tab.selection), tab.sent);
}

ReceiverModel::Outcome ReceiverModel::selectPreset(ModeType type, int button)
{
    if (button < 0 || button >= PresetNames::count(type))
        return refuse(Result::NoSuchMode, QT_TRANSLATE_NOOP("ReceiverModel", "no such preset"));
    Tab &tab = m_tabs[type];
    tab.selection.origin = ModeOrigin::BuiltIn;
    tab.selection.chosen = true;
    tab.selection.preset = button;
    tab.selection.customView = false;
    const ModeData *mode = m_store.getPreset(type, button);
    if (mode) {
        m_store.setCurrentMode(mode);
        tab.gains = gainsOf(mode->parameter);
    }
    emit selectionChanged(type);
    emit gainsChanged(type);
    if (!m_session.opened())
        return refuse(Result::NoReceiver, kInsertDevice);
    if (mode)
        qDebug() << "Mode" << mode->name << "gains" << mode->parameter;
    upload(type);
    closeGate();
    return {};
}

ReceiverModel::Outcome ReceiverModel::showCustomModes(ModeType type)
{
    Tab &tab = m_tabs[type];
    tab.selection.customView = true;
    tab.selection.chosen = false;
    tab.selection.origin = ModeOrigin::Custom;
    tab.gains = Gains{};
    const std::vector<CustomMode> modes = customModes(type);
    if (modes.empty()) {
        emit selectionChanged(type);
        emit gainsChanged(type);
        return {};
    }
    const auto remembered = std::find_if(modes.begin(), modes.end(), [&tab](const CustomMode &mode) {
        return mode.slot == tab.selection.slot;
    });
    return selectCustom(type, remembered != modes.end() ? remembered->slot : modes.front().slot);
}

ReceiverModel::Outcome ReceiverModel::selectCustom(ModeType type, int slot)
{
    const ModeData *mode = m_custom.stored(type, slot);
    if (!mode)
        return refuse(Result::NoSuchMode, QT_TRANSLATE_NOOP("ReceiverModel", "no custom mode in slot %1"),
                      slot + 1);
    Tab &tab = m_tabs[type];
    tab.selection = Selection{ModeOrigin::Custom, true, -1, slot, true};
    m_store.setCurrentMode(mode);
    tab.gains = gainsOf(mode->parameter);
    emit selectionChanged(type);
    emit gainsChanged(type);
    if (!m_session.opened())
        return refuse(Result::NoReceiver, kInsertDevice);
    upload(type);
    closeGate();
    return {};
}

ReceiverModel::Outcome ReceiverModel::checkNewCustomMode(ModeType type, const QString &name) const
{
    return m_custom.checkNew(type, name);
}

ReceiverModel::Outcome ReceiverModel::addCustomMode(ModeType type, const QString &name, const Gains *gains)
{
    // The new mode and its choice are one save.
    WriteReadJson::Batch batch(m_store);
    int slot = -1;
    if (const Outcome added = m_custom.add(type, name, gains ? *gains : Gains{}, &slot); !added.ok())
        return added;
    emit customModesChanged(type);
    return selectCustom(type, slot);
}

ReceiverModel::Outcome ReceiverModel::deleteCustomMode(ModeType type, int slot)
{
    WriteReadJson::Batch batch(m_store);
    if (const Outcome removed = m_custom.remove(type, slot); !removed.ok())
        return removed;
    emit customModesChanged(type);
    // The mode that moved into its slot, or the first one left.
    m_tabs[type].selection.slot = slot;
    return showCustomModes(type);
}

ReceiverModel::Outcome ReceiverModel::saveCustomMode(ModeType type, const QString &name)
{
    const Tab &tab = m_tabs[type];
    if (!tab.selection.chosen || tab.selection.origin != ModeOrigin::Custom)
        return refuse(Result::NotCustom,
                      QT_TRANSLATE_NOOP("ReceiverModel", "a built-in preset cannot be changed"));
    const ModeData *stored = m_custom.stored(type, tab.selection.slot);
    // The store's current mode is the one being saved, found by its uuid; a
    // current mode that no stored mode of the tab carries is not saved over it.
    const std::optional<ModeData> current = m_store.currentMode();
    if (!stored || !current || current->uuid != stored->uuid)
        return refuse(Result::NotCustom, QT_TRANSLATE_NOOP("ReceiverModel", "no custom mode chosen"));
    WriteReadJson::Batch batch(m_store);
    if (const Outcome saved = m_custom.rename(type, tab.selection.slot, name, &tab.gains); !saved.ok())
        return saved;
    emit customModesChanged(type);
    return {};
}

ReceiverModel::Outcome ReceiverModel::renameCustomMode(ModeType type, int slot, const QString &name)
{
    WriteReadJson::Batch batch(m_store);
    if (const Outcome renamed = m_custom.rename(type, slot, name); !renamed.ok())
        return renamed;
    emit customModesChanged(type);
    return {};
}

ReceiverModel::Outcome ReceiverModel::setGains(ModeType type, const Gains &gains)
{
    Tab &tab = m_tabs[type];
    if (!tab.selection.chosen || tab.selection.origin != ModeOrigin::Custom)
        return refuse(Result::NotCustom,
                      QT_TRANSLATE_NOOP("ReceiverModel", "a built-in preset cannot be changed"));
    const Gains next = clamped(gains);
    if (next != tab.gains) {
        tab.gains = next;
        emit gainsChanged(type);
    }
    touchGate();
    if (!m_gateOpen)
        return {}; // held back until the gate opens
    m_gateOpen = false;
    if (m_page == Pages::pageOf(type) && m_session.opened())
        upload(type);
    return {};
}

void ReceiverModel::resetGains(ModeType type)
{
    const Selection &selection = m_tabs[type].selection;
    if (selection.chosen && selection.origin == ModeOrigin::Custom) {
        setGains(type, Gains{});
        return;
    }
    m_tabs[type].gains = Gains{};
    emit gainsChanged(type);
}

// A mode just chosen counts as a send: edits that follow it within the gate's
// time go out together when it opens.
void ReceiverModel::closeGate()
{
    m_gateOpen = false;
    touchGate();
}

void ReceiverModel::touchGate()
{
    if (!m_gateTimer.isActive())
        m_gateTimer.start();
}

// Edits made while the gate was closed reach the receiver when it opens; the
// gate stays open, so the next edit is sent at once.
void ReceiverModel::gateElapsed()
{
    m_gateOpen = true;
    if (!Pages::carriesModes(m_page) || !m_session.opened())
        return;
    const ModeType type = Pages::typeOf(m_page);
    const Tab &tab = m_tabs[type];
    if (!tab.selection.chosen || tab.selection.origin != ModeOrigin::Custom || tab.gains == tab.sent)
        return;
    qDebug() << "Sending held-back equalizer edits";
    upload(type);
}

// --- Mic ENC.

QString ReceiverModel::receiversFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/VoxBench/receivers.conf");
}

ReceiverModel::Outcome ReceiverModel::setMicEnc(bool on)
{
    const QString identityText = m_session.identity();
    if (m_session.opened() && !identityText.isEmpty()) {
        SettingsFile receivers(receiversFile());
        receivers.values().setValue(receiverKey(m_session.productId(), identityText, kMicEncKey), on);
        // Told as a failed save of config.json is: the receiver has the choice, its next start would not.
        if (QString reason; !receivers.save(&reason)) {
            qWarning().noquote() << "Cannot keep the Mic ENC choice in" << receiversFile() << ":" << reason;
            emit saveFailed(receiversFile(), reason);
        }
    }
    applyMicEnc(on);
    return {};
}

void ReceiverModel::applyMicEnc(bool on)
{
    if (m_micEnc != on) {
        m_micEnc = on;
        emit micEncChanged(on);
    }
    if (on) {
        m_session.switchAlgorithm(AlgorithmSwitches::kEncOn);
        writeDebugLog(QStringLiteral("MicENC Switch"), QStringLiteral("Open ENC"), kSource,
                      QStringLiteral("on_CheckBox_MicENC_Clicked"), 2302);
    } else {
        m_session.switchAlgorithm(AlgorithmSwitches::kEncOff);
        writeDebugLog(QStringLiteral("MicENC Switch"), QStringLiteral("CLose ENC"), kSource,
                      QStringLiteral("on_CheckBox_MicENC_Clicked"), 2307);
    }
}

bool ReceiverModel::settled() const
{
    return m_session.settled();
}

quint64 ReceiverModel::attachment() const
{
    return m_session.attachment();
}

quint64 ReceiverModel::failedWrites() const
{
    return m_session.failedWrites();
}

void ReceiverModel::forgetUnanswered()
{
    m_session.forgetUnanswered();
}

PageAlgorithm ReceiverModel::algorithm() const
{
    return m_session.algorithm();
}

void ReceiverModel::afterSends(QObject *context, std::function<void()> step)
{
    m_session.afterPending(context, std::move(step));
}

void ReceiverModel::farewell()
{
    m_session.farewell();
}

ReceiverModel::Outcome ReceiverModel::refuse(Result result, const char *text, int argument)
{
    return ModelOutcome::refused(result, text, argument);
}
