#pragma once

#include "presets/ModeFile.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// `mode export` and `mode import` on the command line's side: the file is
// read and written where the user runs the command, and what crosses to the
// running VoxBench is a "mode export" asking for the mode or an ordinary "mode add".
namespace ModeTransfer {

struct Export
{
    QByteArray file; // the mode file, when error is empty
    QString error;
};
// The mode file of the mode the answer to "mode export" describes.
Export exportMode(const QJsonObject &answer);

struct Import
{
    ModeFile::Reading reading;
    QString name;
    QString tab;         // empty: the tab on screen
    QJsonObject request; // the "mode add" to send, when error is empty
    QString error;
};
// What `path`'s contents become: the name from --name, else the file's own,
// else the file's base name; the tab from --tab, else the file's; the side of
// a curve with per-channel sections from --channel ("L", "R"; empty: both).
Import importMode(const QByteArray &contents, const QString &path, const QString &nameOption,
                  const QString &tabOption, const QString &channelOption = QString());

// What the import did, for a person and for a program; `answer` is the answer to the "mode add".
QString importText(const Import &import, const QJsonObject &answer);
QJsonObject importJson(const Import &import, const QJsonObject &answer);

} // namespace ModeTransfer
