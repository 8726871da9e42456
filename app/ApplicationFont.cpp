#include "app/ApplicationFont.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

bool loadApplicationFont(const QString &fontFile)
{
    const int id = QFontDatabase::addApplicationFont(fontFile);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty())
        return false;
    QFont font = QApplication::font();
    font.setFamily(families.first());
    font.setPixelSize(15);
    QApplication::setFont(font);
    return true;
}

QString applicationFontFile()
{
    return QStringLiteral("%1/font/SourceHanSansCN-Normal.ttf").arg(QCoreApplication::applicationDirPath());
}
