#pragma once

#include <QObject>
#include <QString>

// What closing the window does where no tray can bring it back: keep VoxBench
// running in the background (rules and the re-apply after resume go on), or
// quit. Asked the first time, then kept in VoxBench's own settings file.
class CloseChoice : public QObject
{
    Q_OBJECT
public:
    enum class Choice { NotAsked, KeepRunning, Quit };

    // The program's settings file in the user's configuration folder.
    static QString defaultPath();

    explicit CloseChoice(QString path = defaultPath(), QObject *parent = nullptr);

    Choice choice() const { return m_choice; }
    bool keepsRunning() const { return m_choice == Choice::KeepRunning; }
    // False when the file could not be written (the choice holds for this run).
    bool set(bool keepRunning);
    const QString &saveProblem() const { return m_saveProblem; }

signals:
    void changed(bool keepRunning);

private:
    const QString m_path;
    Choice m_choice = Choice::NotAsked;
    QString m_saveProblem;
};
