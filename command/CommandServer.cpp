#include "command/CommandServer.h"

#include "command/CommandProtocol.h"
#include "model/ModeNames.h"
#include "presets/ModeNameRule.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

namespace {
using namespace CommandProtocol;

constexpr int kCheckMs = 10;

QString tabName(ModeType type)
{
    return type == Stereo ? kStereo : kSurround;
}

// --tab's tab; none (both tabs) when it was not given.
std::optional<ModeType> tabNamed(const QString &tab)
{
    if (tab.isEmpty())
        return std::nullopt;
    return tab == kStereo ? Stereo : Surround;
}

QJsonValue gainsOf(const Gains &gains)
{
    QJsonArray array;
    for (const int gain : gains)
        array.append(gain);
    return array;
}

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The one place a refusal gets its code.
QLatin1String codeOf(ModelResult result)
{
    switch (result) {
    case ModelResult::NoReceiver:
        return kNoReceiver;
    case ModelResult::BadRequest:
        return kUsage;
    case ModelResult::Busy:
        return kBusy;
    case ModelResult::NotTaken:
    case ModelResult::NotSaved:
        return kFailed;
    case ModelResult::Ok:
    case ModelResult::NotOffered:
    case ModelResult::NoSuchMode:
    case ModelResult::Ambiguous:
    case ModelResult::NoSlot:
    case ModelResult::NotCustom:
    case ModelResult::NameTaken:
    case ModelResult::BadName:
    case ModelResult::Full:
    case ModelResult::NotKept:
    case ModelResult::NoSuchRule:
        break;
    }
    return kRefused;
}

QJsonObject failureOf(const ModelOutcome &refusal)
{
    return {{kError, refusal.message}, {kCode, codeOf(refusal.result)}};
}

QByteArray failure(const ModelOutcome &refusal)
{
    QJsonObject body = failureOf(refusal);
    body.insert(kOk, false);
    return compact(body);
}

ModelOutcome said(ModelResult result, const QString &message)
{
    return ModelOutcome::said(result, message);
}

const QString kBadGains = QStringLiteral("gains are ten whole numbers from -12 to 12");
const QString kBuiltInUnchangeable = QStringLiteral("a built-in preset cannot be changed");

// Ten whole numbers within what the receiver takes, as the sliders give them.
bool gainsFrom(const QJsonValue &values, Gains *gains)
{
    const QJsonArray array = values.toArray();
    if (array.size() != kBands)
        return false;
    for (int band = 0; band < kBands; ++band) {
        const double gain = array.at(band).toDouble(kMaxGain + 1);
        // In range before the cast: NaN or 2^53 made an int is undefined.
        if (!(gain >= kMinGain && gain <= kMaxGain) || gain != std::trunc(gain))
            return false;
        (*gains)[band] = int(gain);
    }
    return true;
}

// Text a client gave or a file held, in an answer a terminal shows.
QString quoted(const QString &text)
{
    return ModeNameRule::quoted(text);
}

} // namespace

CommandServer::CommandServer(ReceiverModel &model, Program program, QObject *parent)
    : QObject(parent), m_model(model), m_program(std::move(program)),
      m_watchers(model, [this] { return status(); })
{
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &CommandServer::farewell);
    m_check.setInterval(kCheckMs);
    connect(&m_check, &QTimer::timeout, this, &CommandServer::check);
    connect(&m_model, &ReceiverModel::saveFailed, this, &CommandServer::noteSaveFailed);
}

void CommandServer::handle(const QByteArray &request, const Reply &reply)
{
    const QJsonDocument document = QJsonDocument::fromJson(request);
    if (!document.isObject()) {
        reply.send(failure(said(ModelResult::BadRequest, QStringLiteral("bad request"))));
        return;
    }
    if (!reply.wanted())
        return;
    if (runAtOnce(document.object(), reply))
        return;
    if (int(m_queue.size()) >= kMaxQueued) {
        reply.send(failure(said(ModelResult::Busy, QStringLiteral("too many commands at once"))));
        return;
    }
    m_queue.push_back({document.object(), reply});
    if (!m_running)
        runNext();
}

// Showing the window and ending the program wait for nothing and nobody: not
// for the queue, not for the receiver.
bool CommandServer::runAtOnce(const QJsonObject &body, const Reply &reply)
{
    const CommandVerbs::Verb *row = verbOf(body);
    const CommandVerbs::Command command = row ? row->command : CommandVerbs::Command::Status;
    if (command == CommandVerbs::Command::Show) {
        if (m_program.show)
            m_program.show();
        reply.send(compact({{kOk, true}}));
        return true;
    }
    if (command == CommandVerbs::Command::Watch) {
        // Followed from now on, without waiting for the queue or the receiver.
        const quint64 watcher =
            reply.stream
                ? m_watchers.add({reply.stream, reply.close ? reply.close : std::function<void()>([] {})})
                : 0;
        if (watcher == 0)
            reply.send(failure(said(ModelResult::Busy, QStringLiteral("too many watchers at once"))));
        else if (reply.whenGone)
            // Its place is free as soon as it goes, whether or not anything changes.
            reply.whenGone(&m_watchers, [this, watcher] { m_watchers.remove(watcher); });
        return true;
    }
    if (command == CommandVerbs::Command::Quit) {
        // Answered first: the program ends with the event loop, and the socket with it.
        reply.send(compact({{kOk, true}}));
        if (m_program.quit)
            m_program.quit();
        return true;
    }
    return false;
}

void CommandServer::runNext()
{
    // What a client gave up on while it waited its turn is dropped, never run late.
    while (!m_running && !m_queue.empty() && !m_queue.front().reply.wanted())
        m_queue.pop_front();
    if (m_running || m_queue.empty())
        return;
    m_running = true;
    m_saveFailure = {};
    run(m_queue.front().body);
}

void CommandServer::run(const QJsonObject &body)
{
    if (m_model.receiverOpen() && !m_model.attached()) {
        // Just opened: the receiver's settings, with its remembered modes, come first.
        m_waiting = Waiting::DevicePage;
        m_pendingBody = body;
        m_clock.start();
        m_check.start();
        return;
    }
    using CommandVerbs::Command;
    const CommandVerbs::Verb *row = verbOf(body);
    switch (row ? row->command : Command::Autostart) {
    case Command::Status:
        answer(status());
        return;
    case Command::Modes:
        answer(listModes());
        return;
    case Command::Export:
        exportMode(body);
        return;
    case Command::Choose:
    case Command::Next:
    case Command::Previous:
    case Command::Add:
    case Command::Rename:
    case Command::Delete:
    case Command::Gains:
    case Command::Tab:
    case Command::Enc:
        runOnReceiver(body, row->command);
        return;
    case Command::RuleAdd:
    case Command::RuleList:
    case Command::RuleDelete:
    case Command::RulePause:
    case Command::RuleResume:
        if (m_rules && m_engine) {
            runRule(body, row->command);
            return;
        }
        break;
    case Command::Background:
        if (m_closeChoice) {
            runBackground(body);
            return;
        }
        break;
    case Command::Watch:
    case Command::Show:
    case Command::Quit:
    case Command::Import:
    case Command::Autostart:
        break; // run at once, or served by the command line itself
    }
    fail(said(ModelResult::BadRequest, QStringLiteral("unknown command")));
}

// The table's row of the request; with an action that is none of the verb's, none.
const CommandVerbs::Verb *CommandServer::verbOf(const QJsonObject &body)
{
    const QString verb = body.value(kVerb).toString();
    const QString action = body.value(kAction).toString();
    const CommandVerbs::Verb *row = CommandVerbs::find(verb, action);
    if (row && CommandVerbs::hasActions(verb) && row->action != action)
        return nullptr;
    return row;
}

void CommandServer::runOnReceiver(const QJsonObject &body, CommandVerbs::Command command)
{
    using CommandVerbs::Command;
    if (!m_model.attached()) {
        fail(said(ModelResult::NoReceiver, QStringLiteral("no receiver is plugged in")));
        return;
    }

    m_attachment = m_model.attachment();
    m_failedWrites = m_model.failedWrites();
    switch (command) {
    case Command::Choose:
        if (const ModelOutcome found = chooseMode(body.value(kName).toString(), body.value(kTab).toString());
            !found.ok())
            fail(found);
        return;
    case Command::Gains:
        setModeGains(tabOf(body), body.value(kGains));
        return;
    case Command::Tab: {
        const QString tab = body.value(kTab).toString();
        if (tab != kSurround && tab != kStereo) {
            fail(said(ModelResult::BadRequest, QStringLiteral("no tab named \"%1\"").arg(tab)));
            return;
        }
        const ReceiverModel::Outcome outcome =
            m_model.selectPage(tab == kStereo ? Page::Stereo : Page::Surround);
        waitForReceiver({{kTab, tab}}, outcome);
        return;
    }
    case Command::Enc: {
        const bool on =
            body.value(kAction).toString() == kToggle ? !m_model.micEnc() : body.value(kOn).toBool();
        m_model.setMicEnc(on);
        waitForReceiver({{kMicEncState, on}});
        return;
    }
    default:
        editMode(body, command);
        return;
    }
}

void CommandServer::waitForReceiver(QJsonObject success, const ModelOutcome &outcome)
{
    m_success = std::move(success);
    m_refusal = outcome;
    m_waiting = Waiting::Receiver;
    m_clock.start();
    m_check.start();
}

void CommandServer::noteSaveFailed(const QString &path, const QString &reason)
{
    if (m_running && m_saveFailure.ok())
        m_saveFailure =
            said(ModelResult::NotSaved,
                 QStringLiteral("the change reached the receiver, but it could not be saved to %1: %2; "
                                "VoxBench keeps it until it ends")
                     .arg(QDir::toNativeSeparators(path), reason));
}

void CommandServer::check()
{
    if (m_waiting == Waiting::DevicePage) {
        if (!m_model.receiverOpen() || m_model.attached()) {
            m_waiting = Waiting::Nothing;
            m_check.stop();
            run(m_pendingBody);
        } else if (m_clock.elapsed() > kAttachWaitMs) {
            fail(said(ModelResult::NoReceiver, QStringLiteral("the receiver did not come up")));
        }
        return;
    }
    if (m_waiting != Waiting::Receiver)
        return;
    if (!m_model.attached() || m_model.attachment() != m_attachment) {
        fail(said(ModelResult::NoReceiver, QStringLiteral("the receiver was pulled out")));
    } else if (m_model.failedWrites() != m_failedWrites) {
        fail(said(ModelResult::NotTaken,
                  QStringLiteral("the receiver did not take what was sent; was it pulled out?")));
    } else if (m_model.settled()) {
        if (!m_refusal.ok())
            fail(m_refusal);
        else if (!m_saveFailure.ok())
            fail(m_saveFailure);
        else
            answer(m_success);
    } else if (m_clock.elapsed() > kAnswerTimeoutMs) {
        m_model.forgetUnanswered();
        fail(said(ModelResult::NotTaken, QStringLiteral("no answer from the receiver")));
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
    reply.send(compact(body));
    m_running = false;
    // The next request in its own turn of the event loop.
    QMetaObject::invokeMethod(this, &CommandServer::runNext, Qt::QueuedConnection);
}

void CommandServer::fail(const ModelOutcome &refusal)
{
    answer(failureOf(refusal));
}

void CommandServer::farewell()
{
    m_watchers.farewell();
}

std::vector<CommandServer::Mode> CommandServer::offeredModes(ModeType type) const
{
    return ModeNames::offered(m_model, type);
}

// The one mode `name` names on `tab` (both tabs without one), or why there is none.
ModelOutcome CommandServer::findMode(const QString &name, const QString &tab, Mode *mode) const
{
    const std::vector<Mode> found = ModeNames::find(m_model, tabNamed(tab), name);
    const QString where = tab.isEmpty() ? QString() : QStringLiteral(" on the %1 tab").arg(tab);
    if (found.empty()) {
        const ModelOutcome unreachable = explainUnreachable(name, tab);
        return unreachable.ok() ? said(ModelResult::NoSuchMode,
                                       QStringLiteral("no mode named \"%1\"%2").arg(quoted(name), where))
                                : unreachable;
    }
    if (found.size() > 1) {
        QStringList names;
        for (const Mode &each : found)
            names << QStringLiteral("\"%1\" (%2, %3)")
                         .arg(ModeNameRule::escaped(each.name), tabName(each.type),
                              each.builtIn ? QStringLiteral("built-in") : QStringLiteral("custom"));
        return said(ModelResult::Ambiguous,
                    QStringLiteral("\"%1\" names several modes%2: %3; choose one with --tab%4")
                        .arg(quoted(name), where, names.join(QStringLiteral(", ")),
                             tab.isEmpty() ? QString() : QStringLiteral(" or rename the custom mode")));
    }
    *mode = found.front();
    return {};
}

ModelOutcome CommandServer::chooseMode(const QString &name, const QString &tab)
{
    Mode mode;
    const ModelOutcome found = findMode(name, tab, &mode);
    if (found.ok())
        choose(mode);
    return found;
}

// `mode export`: the mode's name, tab and gains; the client writes the file.
void CommandServer::exportMode(const QJsonObject &body)
{
    Mode mode;
    const ModelOutcome found = findMode(body.value(kName).toString(), body.value(kTab).toString(), &mode);
    if (!found.ok()) {
        fail(found);
        return;
    }
    answer({{kTab, tabName(mode.type)},
            {kName, mode.name},
            {kBuiltIn, mode.builtIn},
            {kGains, modeGains(mode)}});
}

// A mode is chosen, and a custom mode changed, on its tab shown, as with the
// window: a click on the tab first when another one shows. False (and the
// refusal is the answer) when the receiver refuses the tab.
bool CommandServer::bringUpTab(ModeType type)
{
    if (m_model.page() == Pages::pageOf(type))
        return true;
    const ReceiverModel::Outcome page = m_model.selectPage(Pages::pageOf(type));
    if (!page.ok())
        waitForReceiver({}, page);
    return page.ok();
}

void CommandServer::choose(const Mode &mode)
{
    if (!bringUpTab(mode.type))
        return;
    const ReceiverModel::Outcome outcome = mode.builtIn ? m_model.selectPreset(mode.type, mode.number)
                                                        : m_model.selectCustom(mode.type, mode.number);
    waitForReceiver({{kTab, tabName(mode.type)}, {kName, mode.name}, {kBuiltIn, mode.builtIn}}, outcome);
}

// Without --tab: the tab shown, or on the Mic ENC tab the one whose algorithm runs.
ModeType CommandServer::tabOf(const QJsonObject &body) const
{
    const QString tab = body.value(kTab).toString();
    if (!tab.isEmpty())
        return tab == kSurround ? Surround : Stereo;
    if (Pages::carriesModes(m_model.page()))
        return Pages::typeOf(m_model.page());
    return m_model.algorithm() == PageAlgorithm::Surround ? Surround : Stereo;
}

ModelOutcome CommandServer::findCustom(const QString &name, const QString &tab, ModeType *type,
                                       int *slot) const
{
    const std::vector<Mode> named = ModeNames::find(m_model, tabNamed(tab), name);
    std::vector<Mode> found;
    std::copy_if(named.begin(), named.end(), std::back_inserter(found),
                 [](const Mode &mode) { return !mode.builtIn; });
    if (found.size() == 1) {
        *type = found.front().type;
        *slot = found.front().number;
        return {};
    }
    if (found.size() > 1)
        return said(ModelResult::Ambiguous,
                    QStringLiteral("\"%1\" names a custom mode on both tabs; choose one with --tab")
                        .arg(quoted(name)));
    if (!named.empty())
        return said(ModelResult::NotCustom, kBuiltInUnchangeable);
    const ModelOutcome unreachable = explainUnreachable(name, tab);
    if (!unreachable.ok())
        return unreachable;
    return said(
        ModelResult::NoSuchMode,
        QStringLiteral("no custom mode named \"%1\"%2")
            .arg(quoted(name), tab.isEmpty() ? QString() : QStringLiteral(" on the %1 tab").arg(tab)));
}

// add, rename, delete, next and previous: each the call the window's button makes.
void CommandServer::editMode(const QJsonObject &body, CommandVerbs::Command command)
{
    using CommandVerbs::Command;
    const QString name = body.value(kName).toString();
    if (command == Command::Next || command == Command::Previous) {
        stepMode(tabOf(body), command == Command::Next ? 1 : -1);
        return;
    }
    if (command == Command::Add) {
        const ModeType type = tabOf(body);
        Gains gains{};
        const QJsonValue values = body.value(kGains);
        if (!values.isUndefined() && !gainsFrom(values, &gains)) {
            fail(said(ModelResult::BadRequest, kBadGains));
            return;
        }
        // Refused before its tab comes up: a refusal changes nothing.
        if (const ReceiverModel::Outcome allowed = m_model.checkNewCustomMode(type, name); !allowed.ok()) {
            fail(allowed);
            return;
        }
        if (!bringUpTab(type))
            return;
        const ReceiverModel::Outcome outcome =
            m_model.addCustomMode(type, name, values.isUndefined() ? nullptr : &gains);
        waitForReceiver({{kTab, tabName(type)},
                         {kName, outcome.ok() ? m_model.chosenName(type) : name},
                         {kBuiltIn, false},
                         {kGains, gainsOf(gains)}},
                        outcome);
        return;
    }
    ModeType type = Stereo;
    int slot = -1;
    const ModelOutcome found = findCustom(name, body.value(kTab).toString(), &type, &slot);
    if (!found.ok()) {
        fail(found);
        return;
    }
    if (command == Command::Rename) {
        const QString newName = body.value(kNewName).toString();
        waitForReceiver({{kTab, tabName(type)}, {kName, newName}},
                        m_model.renameCustomMode(type, slot, newName));
    } else {
        if (!bringUpTab(type))
            return;
        const ReceiverModel::Outcome outcome = m_model.deleteCustomMode(type, slot);
        waitForReceiver({{kTab, tabName(type)}, {kName, name}}, outcome);
    }
}

// Through the modes the tab offers, in the order `modes` lists them, round.
void CommandServer::stepMode(ModeType type, int step)
{
    const std::vector<Mode> modes = offeredModes(type);
    const ReceiverModel::Selection &selection = m_model.selection(type);
    int at = -1;
    for (int i = 0; selection.chosen && i < int(modes.size()); ++i) {
        const Mode &mode = modes[i];
        const bool builtIn = selection.origin == ModeOrigin::BuiltIn;
        if (mode.builtIn == builtIn && mode.number == (builtIn ? selection.preset : selection.slot))
            at = i;
    }
    const int count = int(modes.size());
    const int next = at < 0 ? (step > 0 ? 0 : count - 1) : (at + step + count) % count;
    choose(modes[next]);
}

// The sliders moved to `values`, then Save: the chosen custom mode keeps them.
void CommandServer::setModeGains(ModeType type, const QJsonValue &values)
{
    Gains gains{};
    if (!gainsFrom(values, &gains)) {
        fail(said(ModelResult::BadRequest, kBadGains));
        return;
    }
    const ReceiverModel::Selection &selection = m_model.selection(type);
    if (!selection.chosen || selection.origin != ModeOrigin::Custom) {
        fail(said(ModelResult::NotCustom, kBuiltInUnchangeable));
        return;
    }
    if (!bringUpTab(type))
        return;
    ReceiverModel::Outcome outcome = m_model.setGains(type, gains);
    const QString name = m_model.chosenName(type);
    if (outcome.ok())
        outcome = m_model.saveCustomMode(type, name);
    waitForReceiver({{kTab, tabName(type)}, {kName, name}, {kGains, gainsOf(m_model.gains(type))}}, outcome);
}

// A custom mode of config.json that no slot shows: a tab shows five, so a file
// written by hand or merged from elsewhere may hold more than can be chosen.
ModelOutcome CommandServer::explainUnreachable(const QString &name, const QString &tab) const
{
    for (const ModeType type : {Surround, Stereo}) {
        if (!tab.isEmpty() && tab != tabName(type))
            continue;
        for (const QString &kept : m_model.modesWithoutSlot(type)) {
            if (kept.compare(name, Qt::CaseInsensitive) == 0)
                return said(
                    ModelResult::NoSlot,
                    QStringLiteral("\"%1\" is kept in config.json, but the %2 tab shows only %3 custom modes "
                                   "and it has no place among them; delete another custom mode of the tab "
                                   "to choose it")
                        .arg(ModeNameRule::escaped(kept), tabName(type))
                        .arg(kCustomSlots));
        }
    }
    return {};
}

QJsonObject CommandServer::currentMode(ModeType type) const
{
    const ReceiverModel::Selection &selection = m_model.selection(type);
    if (!selection.chosen)
        return {};
    return {{kName, m_model.chosenName(type)},
            {kBuiltIn, selection.origin == ModeOrigin::BuiltIn},
            {kGains, gainsOf(m_model.gains(type))}};
}

void CommandServer::setRules(AppRules *rules, RuleEngine *engine)
{
    m_rules = rules;
    m_engine = engine;
    connect(rules, &AppRules::changed, &m_watchers, &CommandWatchers::noteRules);
    connect(engine, &RuleEngine::inForceChanged, &m_watchers, &CommandWatchers::noteRules);
}

namespace {
QJsonObject ruleObject(const AppRules::Rule &rule)
{
    return {{kApplication, rule.application}, {kName, rule.mode}, {kTab, tabName(rule.tab)}};
}
} // namespace

QJsonObject CommandServer::ruleList() const
{
    QJsonArray rules;
    for (const AppRules::Rule &rule : m_rules->rules())
        rules.append(ruleObject(rule));
    const AppRules::Rule *inForce = m_engine->inForce();
    return {{kRules, rules},
            {kPaused, m_rules->paused()},
            {kRuleInForce, inForce ? QJsonValue(ruleObject(*inForce)) : QJsonValue()}};
}

// Rules need no receiver: they are kept for whichever one is attached.
void CommandServer::runRule(const QJsonObject &body, CommandVerbs::Command command)
{
    using CommandVerbs::Command;
    const QString application = body.value(kApplication).toString();
    const auto notSaved = [this] {
        return said(ModelResult::NotSaved,
                    QStringLiteral("the rules are kept until VoxBench ends, but could not be saved to %1: %2")
                        .arg(QDir::toNativeSeparators(AppRules::defaultPath()), m_rules->saveProblem()));
    };
    if (command == Command::RuleList) {
        answer(ruleList());
    } else if (command == Command::RuleDelete) {
        if (!m_rules->remove(application))
            fail(said(ModelResult::NoSuchRule, QStringLiteral("no rule for %1").arg(quoted(application))));
        else if (!m_rules->saved())
            fail(notSaved());
        else
            answer(ruleList());
    } else if (command == Command::RulePause || command == Command::RuleResume) {
        if (!m_rules->setPaused(command == Command::RulePause))
            fail(notSaved());
        else
            answer(ruleList());
    } else {
        const QString mode = body.value(kName).toString();
        QString tab = body.value(kTab).toString();
        if (AppRules::key(application).isEmpty() || mode.trimmed().isEmpty()) {
            fail(said(ModelResult::BadRequest, QStringLiteral("a rule needs an application and a mode")));
            return;
        }
        if (ModeNameRule::hasControl(application) || ModeNameRule::hasControl(mode)) {
            fail(said(ModelResult::BadName,
                      QStringLiteral("an application or mode name cannot hold control characters")));
            return;
        }
        // Without --tab, the tab of the attached receiver's mode of that name.
        if (tab.isEmpty()) {
            QStringList tabs;
            for (const ModeType type : {Surround, Stereo}) {
                if (m_model.attached() && !ModeNames::find(m_model, type, mode).empty())
                    tabs << tabName(type);
            }
            if (tabs.size() != 1) {
                fail(
                    tabs.isEmpty()
                        ? said(ModelResult::NoSuchMode,
                               QStringLiteral("no mode named \"%1\" here to find its tab; name it with --tab")
                                   .arg(quoted(mode)))
                        : said(ModelResult::Ambiguous,
                               QStringLiteral("\"%1\" names a mode on both tabs; choose one with --tab")
                                   .arg(quoted(mode))));
                return;
            }
            tab = tabs.first();
        }
        if (!m_rules->hasRoomFor(application)) {
            fail(said(ModelResult::Full, QStringLiteral("VoxBench follows at most %1 rules; delete one first")
                                             .arg(AppRules::kMaxRules)));
            return;
        }
        const AppRules::Rule rule{application, mode, tab == kSurround ? Surround : Stereo};
        if (!m_rules->add(rule)) {
            fail(notSaved());
            return;
        }
        answer(ruleObject(*m_rules->find(application)));
    }
}

// What closing the window does without a tray: asked of the settings, never of the window.
void CommandServer::runBackground(const QJsonObject &body)
{
    if (body.contains(kOn) && !m_closeChoice->set(body.value(kOn).toBool())) {
        fail(said(
            ModelResult::NotSaved,
            QStringLiteral("the choice holds until VoxBench ends, but could not be saved to %1: %2")
                .arg(QDir::toNativeSeparators(CloseChoice::defaultPath()), m_closeChoice->saveProblem())));
        return;
    }
    const CloseChoice::Choice choice = m_closeChoice->choice();
    answer({{kBackground, choice == CloseChoice::Choice::NotAsked
                              ? QJsonValue()
                              : QJsonValue(choice == CloseChoice::Choice::KeepRunning)}});
}

QJsonObject CommandServer::status() const
{
    const bool attached = m_model.attached();
    QJsonObject status{{kAttached, attached}};
    if (attached) {
        const QString version = m_model.version();
        const QString identity = m_model.identity();
        status.insert(kReceiver, QJsonObject{{kProductId, QStringLiteral("0x%1").arg(m_model.productId(), 4,
                                                                                     16, QLatin1Char('0'))},
                                             {kIdentity, identity.isEmpty() ? QJsonValue() : identity},
                                             {kVersion, version.isEmpty() ? QJsonValue() : version},
                                             {kSurround71, m_model.offersSurround()}});
    } else {
        status.insert(kReceiver, QJsonValue());
    }
    const Page page = m_model.page();
    status.insert(kTab, page == Page::MicEnc ? QString(kMicEnc) : tabName(Pages::typeOf(page)));
    const PageAlgorithm algorithm = attached ? m_model.algorithm() : PageAlgorithm::None;
    status.insert(kAlgorithm, algorithm == PageAlgorithm::Surround ? QJsonValue(kSurround)
                              : algorithm == PageAlgorithm::Stereo ? QJsonValue(kStereo)
                                                                   : QJsonValue());
    QJsonObject modes;
    for (const ModeType type : {Surround, Stereo}) {
        const QJsonObject mode = currentMode(type);
        modes.insert(tabName(type), mode.isEmpty() ? QJsonValue() : QJsonValue(mode));
    }
    status.insert(kModeList, modes);
    status.insert(kMicEncState, m_model.micEnc());
    status.insert(kSpectrum, attached && m_model.spectrumOn());
    status.insert(kWindowShown, m_program.shown && m_program.shown());
    const AppRules::Rule *rule = m_engine ? m_engine->inForce() : nullptr;
    status.insert(kRuleInForce, rule ? QJsonValue(ruleObject(*rule)) : QJsonValue());
    return status;
}

// A mode's gains as `modes` and `mode export` give them; null for a preset
// of a receiver not attached.
QJsonValue CommandServer::modeGains(const Mode &mode) const
{
    if (!mode.builtIn) {
        for (const ReceiverModel::CustomMode &custom : m_model.customModes(mode.type)) {
            if (custom.slot == mode.number)
                return gainsOf(custom.gains);
        }
        return QJsonValue();
    }
    const ModeData *preset = m_model.preset(mode.type, mode.number);
    if (!preset)
        return QJsonValue();
    Gains values{};
    for (int band = 0; band < kBands && band < int(preset->parameter.size()); ++band)
        values[band] = preset->parameter[band];
    return gainsOf(values);
}

QJsonObject CommandServer::listModes() const
{
    QJsonObject modes;
    for (const ModeType type : {Surround, Stereo}) {
        QJsonArray list;
        for (const Mode &mode : offeredModes(type))
            list.append(QJsonObject{{kName, mode.name}, {kBuiltIn, mode.builtIn}, {kGains, modeGains(mode)}});
        modes.insert(tabName(type), list);
    }
    return {{kAttached, m_model.attached()}, {kModeList, modes}};
}
