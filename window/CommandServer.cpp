#include "window/CommandServer.h"

#include "device/UsbHidOperation.h"
#include "presets/PresetNames.h"
#include "presets/WriteReadJson.h"
#include "window/CommandProtocol.h"
#include "window/ModeNameElider.h"
#include "window/TabControls.h"
#include "window/VoxBench.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRadioButton>
#include <QTabWidget>

namespace {
using namespace CommandProtocol;

constexpr int kCheckMs = 10;

QString tabName(ModeType type)
{
    return type == Stereo ? kStereo : kSurround;
}

QJsonValue gainsOf(const std::vector<int> &gains)
{
    QJsonArray array;
    for (const int gain : gains)
        array.append(gain);
    return array;
}
} // namespace

CommandServer::CommandServer(VoxBench &window) : QObject(&window), m_window(window)
{
    m_check.setInterval(kCheckMs);
    connect(&m_check, &QTimer::timeout, this, &CommandServer::check);
}

void CommandServer::handle(const QByteArray &request, const Reply &reply)
{
    const QJsonDocument document = QJsonDocument::fromJson(request);
    if (!document.isObject()) {
        reply(QJsonDocument(QJsonObject{{kOk, false}, {kError, QStringLiteral("bad request")}})
                  .toJson(QJsonDocument::Compact));
        return;
    }
    if (int(m_queue.size()) >= kMaxQueued) {
        reply(QJsonDocument(QJsonObject{{kOk, false}, {kError, QStringLiteral("too many commands at once")}})
                  .toJson(QJsonDocument::Compact));
        return;
    }
    m_queue.push_back({document.object(), reply});
    if (!m_running)
        runNext();
}

void CommandServer::runNext()
{
    if (m_running || m_queue.empty())
        return;
    m_running = true;
    run(m_queue.front().body);
}

void CommandServer::run(const QJsonObject &body)
{
    const QString verb = body.value(kVerb).toString();
    if (verb != kShow && verb != kQuit && m_window.session()->attached() && m_window.pageState() != 1) {
        // Just opened: the device page, with the remembered modes, comes first.
        m_waiting = Waiting::DevicePage;
        m_pendingBody = body;
        m_clock.start();
        m_check.start();
        return;
    }
    if (verb == kStatus) {
        answer(status());
    } else if (verb == kModes) {
        answer(listModes());
    } else if (verb == kShow) {
        // As "Main Page" in the tray menu; a key binding also wants it in front.
        m_window.on_ShowMainAction();
        m_window.raise();
        m_window.activateWindow();
        answer({});
    } else if (verb == kQuit) {
        // Answered first: the program ends with the event loop, and the socket with it.
        answer({});
        m_window.on_ExitAppAction();
    } else if (verb == kMode || verb == kSelectTab || verb == kEnc) {
        runOnReceiver(body);
    } else {
        fail(QStringLiteral("unknown command"));
    }
}

void CommandServer::runOnReceiver(const QJsonObject &body)
{
    if (!m_window.session()->attached() || m_window.pageState() != 1) {
        fail(QStringLiteral("no receiver is plugged in"));
        return;
    }

    const QString verb = body.value(kVerb).toString();
    m_attachment = m_window.session()->attachment();
    m_failedWrites = m_window.session()->failedWrites();
    if (verb == kMode) {
        const QString error = chooseMode(body.value(kName).toString(), body.value(kTab).toString());
        if (!error.isEmpty())
            fail(error);
        return;
    }
    if (verb == kSelectTab) {
        const QString tab = body.value(kTab).toString();
        if (tab != kSurround && tab != kStereo) {
            fail(QStringLiteral("no tab named \"%1\"").arg(tab));
            return;
        }
        const ModeType type = tab == kStereo ? Stereo : Surround;
        const QString refusal = selectTab(type);
        waitForReceiver({{kTab, tab}}, refusal);
        return;
    }
    // Mic ENC: set the box as a click leaves it, then its handler.
    const bool on = body.value(kOn).toBool();
    m_window.form().checkBox_MicENC->setChecked(on);
    m_window.on_CheckBox_MicENC_Clicked();
    waitForReceiver({{QStringLiteral("mic_enc"), on}});
}

void CommandServer::waitForReceiver(QJsonObject success, QString refusal)
{
    m_success = std::move(success);
    m_refusal = std::move(refusal);
    m_waiting = Waiting::Receiver;
    m_clock.start();
    m_check.start();
}

void CommandServer::check()
{
    ReceiverSession &session = *m_window.session();
    if (m_waiting == Waiting::DevicePage) {
        if (!session.attached() || m_window.pageState() == 1) {
            m_waiting = Waiting::Nothing;
            m_check.stop();
            run(m_pendingBody);
        } else if (m_clock.elapsed() > kAttachWaitMs) {
            fail(QStringLiteral("the receiver did not come up"));
        }
        return;
    }
    if (m_waiting != Waiting::Receiver)
        return;
    if (!session.attached() || session.attachment() != m_attachment) {
        fail(QStringLiteral("the receiver was pulled out"));
    } else if (session.failedWrites() != m_failedWrites) {
        fail(QStringLiteral("the receiver did not take what was sent; was it pulled out?"));
    } else if (session.settled()) {
        if (m_refusal.isEmpty())
            answer(m_success);
        else
            fail(m_refusal);
    } else if (m_clock.elapsed() > kAnswerTimeoutMs) {
        session.forgetUnanswered();
        fail(QStringLiteral("no answer from the receiver"));
    }
}

void CommandServer::answer(const QJsonObject &answer)
{
    QJsonObject body = answer;
    body.insert(kOk, !body.contains(kError));
    m_check.stop();
    m_waiting = Waiting::Nothing;
    const Reply reply = m_queue.front().reply;
    m_queue.pop_front();
    reply(QJsonDocument(body).toJson(QJsonDocument::Compact));
    m_running = false;
    // The next request in its own turn of the event loop.
    QMetaObject::invokeMethod(this, &CommandServer::runNext, Qt::QueuedConnection);
}

void CommandServer::fail(const QString &error)
{
    answer({{kError, error}});
}

bool CommandServer::refusesSurround() const
{
    return usbHidDeviceState().device71.load() == 0 && m_window.headsetModel() != kHeadsetModelOne;
}

// Choosing the tab; on a receiver without 7.1 the window refuses the 7.1 tab as
// it does for a click, and the command says why.
QString CommandServer::selectTab(ModeType type)
{
    const bool refused = type == Surround && refusesSurround();
    m_window.setTabWidgetIndex(TabEncoding::pageOf(type));
    return refused ? QStringLiteral("the receiver offers no 7.1 surround; VoxBench stays on the stereo tab")
                   : QString();
}

std::vector<CommandServer::Mode> CommandServer::offeredModes(ModeType type) const
{
    std::vector<Mode> modes;
    const TabControls &controls = m_window.tabControls(type);
    const QWidget *page = m_window.form().tabWidget->widget(TabEncoding::pageOf(type));
    for (int button = 0; button < int(controls.presets.size()); ++button) {
        const QRadioButton *preset = controls.presets[button];
        // Presets without a button on the page (Jazz, Classic) cannot be clicked.
        if (!preset->isVisibleTo(page))
            continue;
        const QString alias = QLatin1String(PresetNames::name(type, button));
        modes.push_back({type, true, button, preset->text(), alias == preset->text() ? QString() : alias});
    }
    for (const ModeData *mode : m_window.store()->customizeModes(type))
        modes.push_back({type, false, -1, mode->name, QString()});
    return modes;
}

QString CommandServer::chooseMode(const QString &name, const QString &tab)
{
    std::vector<Mode> found;
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const ModeType type : {Surround, Stereo}) {
            if (!tab.isEmpty() && tab != tabName(type))
                continue;
            for (const Mode &mode : offeredModes(type)) {
                if (mode.name.compare(name, cs) == 0 ||
                    (!mode.alias.isEmpty() && mode.alias.compare(name, cs) == 0))
                    found.push_back(mode);
            }
        }
        if (!found.empty())
            break;
    }
    const QString where = tab.isEmpty() ? QString() : QStringLiteral(" on the %1 tab").arg(tab);
    if (found.empty())
        return QStringLiteral("no mode named \"%1\"%2").arg(name, where);
    if (found.size() > 1) {
        QStringList names;
        for (const Mode &mode : found)
            names << QStringLiteral("\"%1\" (%2, %3)")
                         .arg(mode.name, tabName(mode.type),
                              mode.builtIn ? QStringLiteral("built-in") : QStringLiteral("custom"));
        return QStringLiteral("\"%1\" names several modes%2: %3; choose one with --tab%4")
            .arg(name, where, names.join(QStringLiteral(", ")),
                 tab.isEmpty() ? QString() : QStringLiteral(" or rename the custom mode"));
    }

    const Mode mode = found.front();
    if (mode.type == Surround && refusesSurround()) {
        waitForReceiver({}, selectTab(Surround));
        return QString();
    }
    if (m_window.form().tabWidget->currentIndex() != TabEncoding::pageOf(mode.type))
        m_window.setTabWidgetIndex(TabEncoding::pageOf(mode.type));
    selectMode(mode);
    waitForReceiver({{kTab, tabName(mode.type)}, {kName, mode.name}, {kBuiltIn, mode.builtIn}});
    return QString();
}

// The clicks a person makes: the preset's button; or Customize, then the mode's slot.
void CommandServer::selectMode(const Mode &mode)
{
    const TabControls &controls = m_window.tabControls(mode.type);
    if (mode.builtIn) {
        controls.presets[mode.button]->click();
        return;
    }
    const bool customView = controls.customize->isChecked();
    if (!customView)
        controls.customize->click();
    for (QRadioButton *slot : controls.custom) {
        if (ModeNameElider::name(slot) == mode.name) {
            // Customize may have selected it already, as a person would see.
            if (customView || !slot->isChecked())
                slot->click();
            return;
        }
    }
}

QJsonObject CommandServer::currentMode(ModeType type) const
{
    const TabControls &controls = m_window.tabControls(type);
    for (const QRadioButton *preset : controls.presets) {
        if (preset->isChecked())
            return {
                {kName, preset->text()}, {kBuiltIn, true}, {kGains, gainsOf(m_window.getSliderValue(type))}};
    }
    if (controls.customize->isChecked()) {
        for (const QRadioButton *slot : controls.custom) {
            if (slot->isChecked() && !slot->isHidden())
                return {{kName, ModeNameElider::name(slot)},
                        {kBuiltIn, false},
                        {kGains, gainsOf(m_window.getSliderValue(type))}};
        }
    }
    return {};
}

QJsonObject CommandServer::status() const
{
    const ReceiverSession &session = *m_window.session();
    const bool attached = session.attached() && m_window.pageState() == 1;
    QJsonObject status{{QStringLiteral("attached"), attached}};
    if (attached) {
        const QString version = usbHidVersionText();
        const QString identity = m_window.deviceUuid();
        status.insert(QStringLiteral("receiver"),
                      QJsonObject{{QStringLiteral("product_id"),
                                   QStringLiteral("0x%1").arg(usbHidConnection().productId.load(), 4, 16,
                                                              QLatin1Char('0'))},
                                  {QStringLiteral("identity"), identity.isEmpty() ? QJsonValue() : identity},
                                  {QStringLiteral("version"), version.isEmpty() ? QJsonValue() : version},
                                  {QStringLiteral("surround_7_1"), !refusesSurround()}});
    } else {
        status.insert(QStringLiteral("receiver"), QJsonValue());
    }
    const int page = m_window.form().tabWidget->currentIndex();
    status.insert(kTab, page == TabEncoding::kMicEncPage ? QString(kMicEnc)
                                                         : tabName(TabEncoding::typeOfPage(page)));
    const PageAlgorithm algorithm = attached ? session.algorithm() : PageAlgorithm::None;
    status.insert(QStringLiteral("algorithm"), algorithm == PageAlgorithm::Surround ? QJsonValue(kSurround)
                                               : algorithm == PageAlgorithm::Stereo ? QJsonValue(kStereo)
                                                                                    : QJsonValue());
    QJsonObject modes;
    for (const ModeType type : {Surround, Stereo}) {
        const QJsonObject mode = currentMode(type);
        modes.insert(tabName(type), mode.isEmpty() ? QJsonValue() : QJsonValue(mode));
    }
    status.insert(QStringLiteral("modes"), modes);
    status.insert(QStringLiteral("mic_enc"), m_window.form().checkBox_MicENC->isChecked());
    status.insert(QStringLiteral("spectrum"), attached && usbHidDeviceState().spectrumOn.load() == 1);
    return status;
}

QJsonObject CommandServer::listModes() const
{
    QJsonObject modes;
    for (const ModeType type : {Surround, Stereo}) {
        QJsonArray list;
        for (const Mode &mode : offeredModes(type)) {
            const ModeData *data = mode.builtIn ? m_window.store()->getPreset(type, mode.button)
                                                : m_window.store()->customizeModes(type).value(mode.name);
            list.append(QJsonObject{{kName, mode.name},
                                    {kBuiltIn, mode.builtIn},
                                    {kGains, data ? gainsOf(data->parameter) : QJsonValue()}});
        }
        modes.insert(tabName(type), list);
    }
    return {{QStringLiteral("attached"), m_window.session()->attached() && m_window.pageState() == 1},
            {QStringLiteral("modes"), modes}};
}
