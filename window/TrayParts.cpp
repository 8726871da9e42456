#include "window/TrayParts.h"

#include "model/RuleEngine.h"
#include "platform/AutostartEntry.h"
#include "presets/ModeNameRule.h"
#include "ui/MessageBox.h"
#include "window/VoxBench.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>

namespace TrayParts {

QIcon icon(const QIcon &fallback)
{
    const QIcon themed = QIcon::fromTheme(QLatin1String(kApplicationId) + QLatin1String("-symbolic"));
    return themed.pixmap(16).isNull() ? fallback : themed;
}

// Read again at each opening: a settings tool, a hand or `voxbench autostart`
// may have switched it meanwhile.
void addLogonStartEntry(QMenu *menu)
{
    QAction *entry = menu->addAction(VoxBench::tr("Start at log-on"));
    entry->setCheckable(true);
    const auto showState = [entry] {
        entry->setChecked(LogonStart(QCoreApplication::applicationFilePath()).enabled());
    };
    showState();
    QObject::connect(menu, &QMenu::aboutToShow, entry, showState);
    QObject::connect(entry, &QAction::triggered, entry, [showState](bool on) {
        const LogonStart logon(QCoreApplication::applicationFilePath());
        if (!logon.setEnabled(on))
            MessageBox::warning(nullptr, VoxBench::tr("warning"),
                                VoxBench::tr("Cannot change the log-on entry %1").arg(logon.location()));
        showState();
    });
}

void followRuleInForce(QSystemTrayIcon *tray, const RuleEngine *engine)
{
    const auto show = [tray, engine] {
        QString tip = VoxBench::tr("Pelago Didavada K10-RX");
        if (const AppRules::Rule *rule = engine->inForce())
            tip += QLatin1Char('\n') +
                   VoxBench::tr("While %1 runs: %2 (%3)")
                       .arg(ModeNameRule::escaped(rule->application), ModeNameRule::escaped(rule->mode),
                            rule->tab == Surround ? VoxBench::tr("7.1 surround") : VoxBench::tr("stereo"));
        tray->setToolTip(tip);
    };
    show();
    QObject::connect(engine, &RuleEngine::inForceChanged, tray, show);
}

} // namespace TrayParts
