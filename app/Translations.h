#pragma once

#include <QString>

class QCoreApplication;

// The catalogues beside the executable: translations/voxbench_<locale>.qm.
QString translationsFolder();

// Installs the catalogue of the system's language (LANG) and Qt's own for its
// dialog buttons; English, the source language, needs none and is the fall-back.
void loadTranslations(QCoreApplication &app);
