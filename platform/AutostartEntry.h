#pragma once

#include <QString>

// The current user's list of programs started at log-on.
// Linux: an XDG autostart desktop entry; Windows: the Run key of the registry.
class AutostartEntry
{
public:
    // Registers `executablePath` followed by `arguments` under `name`, replacing an
    // entry of the same name. Where the user switched an existing desktop entry
    // off (Hidden=true or X-GNOME-Autostart-enabled=false), the rewrite keeps it
    // off. Returns false if it could not be written.
    static bool write(const QString &name, const QString &executablePath, const QString &arguments);

    // Where the entry called `name` lives (Linux: the desktop file; Windows: the value name).
    static QString location(const QString &name);

    // Exec value of a desktop entry: the program quoted by the Desktop Entry rules,
    // then the arguments as they are, all escaped as a desktop entry string.
    static QString desktopExec(const QString &program, const QString &arguments);
    // A desktop entry string value with its escapes.
    static QString desktopString(const QString &value);
};
