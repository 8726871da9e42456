#include "app/ApplicationFont.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace {
// The face the build cuts out of Debian's Noto Sans CJK collection
// (resources/font) into the file beside the program.
const QString kBundledFamily = QStringLiteral("Noto Sans CJK SC");

// An OpenType or TrueType file by its first four bytes, without parsing it.
bool looksLikeFont(const QString &fontFile)
{
    QFile file(fontFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray tag = file.read(4);
    return tag == QByteArray("OTTO", 4) || tag == QByteArray("\x00\x01\x00\x00", 4);
}

// The first family the file brings, added to the application's fonts.
QString addFontFile(const QString &fontFile)
{
    const int id = QFontDatabase::addApplicationFont(fontFile);
    return QFontDatabase::applicationFontFamilies(id).value(0);
}
} // namespace

bool loadApplicationFont(const QString &fontFile)
{
    // Where fontconfig already has the bundled face (fonts-noto-cjk installed),
    // that copy draws the same glyphs; adding the 16-MB file would only have
    // it parsed again, about 6 ms of every start.
    QString family;
    if (looksLikeFont(fontFile) && QFontDatabase().hasFamily(kBundledFamily))
        family = kBundledFamily;
    else
        family = addFontFile(fontFile);
    if (family.isEmpty())
        return false;
    QFont font = QApplication::font();
    font.setFamily(family);
    font.setPixelSize(15);
    QApplication::setFont(font);
    return true;
}

QString applicationFontFile()
{
    return QStringLiteral("%1/font/SourceHanSansCN-Normal.ttf").arg(QCoreApplication::applicationDirPath());
}
