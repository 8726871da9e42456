#pragma once

#include "device/ReceiverContract.h"
#include "device/UsbHidOperation.h"
#include "model/CustomModes.h"
#include "model/Outcome.h"
#include "model/Pages.h"
#include "model/ReceiverAttachment.h"
#include "model/ReceiverLimits.h"
#include "presets/ModeData.h"
#include "presets/ModeType.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>
#include <functional>
#include <vector>

class ReceiverSession;
class WriteReadJson;

// What the receiver and the user chose, without widgets: per attached receiver
// what it is, per tab the chosen mode and its gains, the custom modes (whose
// rules are CustomModes'), the page and its algorithm, Mic ENC and the spectrum
// switch. The attachment's life (open, retry, removal, sleep and resume) is
// ReceiverAttachment's; the model follows it.
// It sends through the receiver session, saves through the store and says
// what changed through signals. The window, the command line and automatic
// changes all call it; every change a person or a command makes is one call.
class ReceiverModel : public QObject
{
    Q_OBJECT

public:
    using Result = ModelResult;
    using Outcome = ModelOutcome;
    static constexpr int kNoArgument = ModelOutcome::kNoArgument;

    using CustomMode = CustomModes::Mode;

    // The mode chosen on a tab.
    struct Selection
    {
        ModeOrigin origin = ModeOrigin::BuiltIn;
        bool chosen = false;     // false before anything was chosen, or in an empty custom view
        int preset = -1;         // built-in button, when built in
        int slot = -1;           // custom slot, when custom
        bool customView = false; // "Customize" is chosen on the tab
    };

    // The receiver's answer to an open comes first; then its settings show.
    static constexpr int kPageDelayMs = ReceiverAttachment::kPageDelayMs;

    ReceiverModel(WriteReadJson &store, ReceiverSession &session, QObject *parent = nullptr);
    ~ReceiverModel() override;

    // --- The receiver.
    // Its attachment: open, arrival, removal, sleep and resume.
    ReceiverAttachment &receiver() { return m_attachment; }
    const ReceiverAttachment &receiver() const { return m_attachment; }
    PageState pageState() const { return m_attachment.pageState(); }
    // Attached: open, and its settings are up.
    bool attached() const { return m_attachment.up(); }
    bool receiverOpen() const;
    // A receiver is open or being opened.
    bool receiverPresent() const;
    quint16 productId() const;
    QString identity() const;
    QString version() const;
    // What the attached receiver does beyond a plain one, from its registry row
    // (device/ReceiverModels.h); a plain receiver's when none is attached.
    const ReceiverCapabilities &capabilities() const { return m_capabilities; }
    // The picture the open receiver shows instead of the live spectrum, or none.
    const char *picture() const;
    // The attached receiver shows a picture on its stereo page, not the spectrum.
    bool showsPicture() const;
    // The one 7.1 rule (device/ReceiverContract.h) for the attached receiver.
    bool offersSurround() const;
    bool spectrumOn() const;

    // The receiver streams its spectrum while the stereo page shows it (a
    // known headset shows its picture there instead).
    bool pageWantsSpectrum() const;
    void switchSpectrum(bool on);

    // --- Pages.
    Page page() const { return m_page; }
    // Chooses a page; a page of modes sends its mode again. On a receiver
    // without 7.1 the surround page is refused and the stereo page chosen.
    Outcome selectPage(Page page);

    // --- Modes.
    const Selection &selection(ModeType type) const { return m_tabs[type].selection; }
    // The gains shown and edited on the tab.
    const Gains &gains(ModeType type) const { return m_tabs[type].gains; }
    // Custom modes that have a slot, by slot; and those of a file that hold
    // more than a tab shows.
    std::vector<CustomMode> customModes(ModeType type) const;
    QStringList modesWithoutSlot(ModeType type) const;
    // The chosen mode's name ("" when none), as the store knows it.
    QString chosenName(ModeType type) const;
    // The built-in preset's gains, or none for a receiver without that preset.
    const ModeData *preset(ModeType type, int button) const;

    Outcome selectPreset(ModeType type, int button);
    // "Customize": the tab's custom modes, with the one chosen before (or the first).
    Outcome showCustomModes(ModeType type);
    Outcome selectCustom(ModeType type, int slot);
    // A new custom mode in the lowest free slot, flat or with `gains`, named
    // `name` or the first free "ModeNN"; chosen at once.
    Outcome addCustomMode(ModeType type, const QString &name = QString(), const Gains *gains = nullptr);
    // Whether addCustomMode would take `name` (empty: "ModeNN") on the tab.
    Outcome checkNewCustomMode(ModeType type, const QString &name) const;
    Outcome deleteCustomMode(ModeType type, int slot);
    // Saves the chosen custom mode under `name` with the gains on the tab.
    Outcome saveCustomMode(ModeType type, const QString &name);
    // Renames the custom mode in `slot`, chosen or not, under the rules of a
    // save; its gains and what is chosen stay.
    Outcome renameCustomMode(ModeType type, int slot, const QString &name);
    // Edits of the chosen custom mode's gains; sent at most once per
    // kGateMs, the last edit always; choosing a mode counts as a send.
    Outcome setGains(ModeType type, const Gains &gains);
    void resetGains(ModeType type);
    // Open again once the gate's time has passed since the last send.
    bool gateOpen() const { return m_gateOpen; }
    static constexpr int kGateMs = 500;

    // --- Mic ENC.
    bool micEnc() const { return m_micEnc; }
    // The user's choice: sent, and kept for this receiver (by its identity) in
    // receiversFile(), so that it comes back at its next attachment.
    Outcome setMicEnc(bool on);
    // Choices kept per receiver outside config.json, whose format other tools read.
    static QString receiversFile();

    static constexpr int kResumeSettleMs = ReceiverAttachment::kResumeSettleMs;

    // The link's progress, for callers that answer once the receiver took
    // everything: nothing held back and every answered report answered.
    bool settled() const;
    quint64 attachment() const;
    quint64 failedWrites() const;
    // Acknowledgements still awaited after a time-out never come.
    void forgetUnanswered();
    // The algorithm of the last switch written in this attachment.
    PageAlgorithm algorithm() const;

    // Runs `step` once everything asked for so far has been written.
    void afterSends(QObject *context, std::function<void()> step);
    // Writes what is still pending, then the receiver's quit switch.
    void farewell();

signals:
    void pageStateChanged(PageState state);
    // A receiver was opened (its picture and threads can start).
    void receiverOpened();
    // A receiver was seen whose identity differs from the last one.
    void newIdentity(int productId);
    void pageChanged(Page page);
    void selectionChanged(ModeType type);
    void gainsChanged(ModeType type);
    void customModesChanged(ModeType type);
    void micEncChanged(bool on);
    // A receiver was found whose node this user may not open.
    void accessDenied();
    // Something the model did by itself was refused; a person should be told.
    void notice(const QString &message);
    void spectrumLevels(const SpectrumLevels &levels);
    // A rewrite of config.json failed; the model keeps the change in memory.
    void saveFailed(const QString &path, const QString &reason);
    void spectrumFrameDue();

private:
    struct Tab
    {
        Selection selection;
        Gains gains{};
        Gains sent{};
    };

    static Outcome refuse(Result result, const char *text, int argument = kNoArgument);
    int modeCodeOf(ModeType type, const Selection &selection) const;
    void upload(ModeType type);
    void reapply(ModeType type);
    void restoreRemembered();
    void resendHeld();
    void applyMicEnc(bool on);
    void bringUp();
    void forgetAttachment();
    void replied(int code);
    void touchGate();
    void closeGate();
    void gateElapsed();
    void resetTabs();

public:
    // The first "ModeNN" no custom mode of the tab has.
    QString freeDefaultName(ModeType type) const { return m_custom.freeDefaultName(type); }

private:
    WriteReadJson &m_store;
    ReceiverSession &m_session;
    CustomModes m_custom;
    ReceiverAttachment m_attachment;
    Page m_page = Page::Stereo;
    std::array<Tab, 2> m_tabs{};
    bool m_micEnc = true;
    ReceiverCapabilities m_capabilities;
    IdentityBytes m_lastIdentity{0, 0, 0, 0};

    QTimer m_gateTimer;
    bool m_gateOpen = false;
};
