#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QSystemTrayIcon;
class VoxBench;
class VoxBenchInstance;

// The window over a running instance, built the first time something shows it
// (the tray, a second start, "voxbench show"): a VoxBench started by a command
// holds no widgets while it stays out of sight.
class WindowHost : public QObject
{
    Q_OBJECT

public:
    explicit WindowHost(VoxBenchInstance &instance, QObject *parent = nullptr);
    // The window goes first: it holds on to the instance's model.
    ~WindowHost() override;

    // The window, built now if it was not yet.
    VoxBench &window();
    bool built() const { return m_window != nullptr; }
    // As "Main Page" in the tray menu, brought forward too.
    void show();
    // Until the window is built: a tray icon of the host's own that shows it
    // (the window brings its own), where the desktop has a tray.
    void offerTray();

private:
    VoxBenchInstance &m_instance;
    std::unique_ptr<VoxBench> m_window;
    QSystemTrayIcon *m_tray = nullptr; // a child, until the window is built
};
