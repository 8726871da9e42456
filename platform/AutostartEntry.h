#pragma once

#include <QString>

// The reverse-DNS id that names the desktop entry, the icons and the software
// centres' metadata (set by CMake for every file that needs it).
constexpr char kApplicationId[] = VOXBENCH_APP_ID;

// The switch that a log-on start carries.
constexpr char kAutorunSwitch[] = "-autorun";

// One entry of the current user's list of programs started at log-on.
// Linux: an XDG autostart desktop entry; Windows: a value of the Run key.
class AutostartEntry
{
public:
    enum class State {
        Absent, // no entry: not started at log-on
        Off,    // an entry switched off (Hidden=true or X-GNOME-Autostart-enabled=false)
        On,
    };

    // The entry `name` that starts `executablePath` followed by `arguments`.
    AutostartEntry(const QString &name, const QString &executablePath, const QString &arguments);

    State state() const;
    // Writes the entry with today's program path, replacing one of the same name;
    // an entry the user switched off stays off. False if it could not be written.
    bool refresh() const;
    // Writes the entry switched on, whatever had switched it off.
    bool switchOn() const;
    // Deletes the entry, as settings tools do to switch log-on start off; true
    // when no entry is left.
    bool remove() const;
    // Where the entry lives (Linux: the desktop file; Windows: the value name).
    QString location() const;

    // Exec value of a desktop entry: the program quoted by the Desktop Entry rules,
    // then the arguments as they are, all escaped as a desktop entry string.
    static QString desktopExec(const QString &program, const QString &arguments);

private:
    bool write(bool keepUserChoice) const;
    // A desktop entry string value with its escapes.
    static QString escape(const QString &value);

    QString m_name;
    QString m_executablePath;
    QString m_arguments;
};

// The program's own log-on start as the user wants it. The first start registers
// it; after that a start only refreshes an entry that is still there, so one the
// user deleted stays deleted. "First start done" is kept in a settings file of
// our own in the user's config folder.
class LogonStart
{
public:
    // The entry is named after the executable's complete base name.
    explicit LogonStart(const QString &executablePath);

    // Called at every start; failures are left for the next start to retry.
    void registerAtStart() const;
    bool enabled() const;
    // Switches log-on start on or off for good; false if the entry could not be changed.
    bool setEnabled(bool on) const;
    QString location() const;

    // The settings file that remembers the first start.
    static QString settingsPath();

private:
    bool firstStartDone() const;
    void markFirstStartDone() const;

    QString m_name;
    AutostartEntry m_entry;
};
