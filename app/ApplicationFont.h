#pragma once

#include <QString>

// Makes the first family of the font file the application font at 15 pixels.
// A missing file or one without a family leaves the default font; returns false then.
// The same face known to fontconfig already is used from there.
bool loadApplicationFont(const QString &fontFile);

// "<directory of the executable>/font/SourceHanSansCN-Normal.ttf"
QString applicationFontFile();
