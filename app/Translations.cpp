#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QString translationsFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
}

void loadTranslations(QCoreApplication &app)
{
    const QLocale locale;
    // Parented to the application, so they live as long as it and no longer.
    auto *const own = new QTranslator(&app);
    if (own->load(locale, QStringLiteral("voxbench"), QStringLiteral("_"), translationsFolder()))
        app.installTranslator(own);
    else
        delete own;
    auto *const qt = new QTranslator(&app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qt);
    else
        delete qt;
}
