#pragma once

#include <QIcon>
#include <QString>

class QMenu;
class RuleEngine;
class QSystemTrayIcon;

// What a tray icon of VoxBench shows, for the window's icon and for the one a
// hidden instance shows before its window is built: both offer the same.
namespace TrayParts {

// The theme's symbolic icon follows the panel's colours; without one installed, `fallback`.
QIcon icon(const QIcon &fallback);

// "Start at log-on", checked as the entry is when the menu opens.
void addLogonStartEntry(QMenu *menu);

// The tooltip follows the rule in force, for as long as `tray` lives.
void followRuleInForce(QSystemTrayIcon *tray, const RuleEngine *engine);

} // namespace TrayParts
