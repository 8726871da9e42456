#include "app/ModeTransfer.h"

#include "command/CommandProtocol.h"
#include "presets/ModeNameRule.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QTextStream>

namespace ModeTransfer {
using namespace CommandProtocol;

namespace {
QString formatKey(ModeFile::Format format)
{
    switch (format) {
    case ModeFile::Format::VoxBench:
        return QStringLiteral("voxbench");
    case ModeFile::Format::GraphicEq:
        return QStringLiteral("graphic-eq");
    case ModeFile::Format::Parametric:
        return QStringLiteral("parametric");
    }
    return QString();
}
} // namespace

Export exportMode(const QJsonObject &modesAnswer, const QString &name, const QString &tab)
{
    const QJsonObject modes = modesAnswer.value(kModeList).toObject();
    QStringList tabs;
    QJsonObject found;
    for (const QLatin1String each : {kSurround, kStereo}) {
        if (!tab.isEmpty() && tab != each)
            continue;
        for (const QJsonValue &mode : modes.value(each).toArray()) {
            const QString modeName = mode.toObject().value(kName).toString();
            // A name from elsewhere that breaks the rule is typed as `modes` shows it.
            if (modeName == name || ModeNameRule::escaped(modeName) == name) {
                tabs << each;
                found = mode.toObject();
            }
        }
    }
    if (tabs.isEmpty())
        return {{},
                QStringLiteral("no mode named \"%1\"%2")
                    .arg(name, tab.isEmpty() ? QString() : " on the " + tab + " tab")};
    if (tabs.size() > 1)
        return {{}, QStringLiteral("\"%1\" names a mode on both tabs; choose one with --tab").arg(name)};
    const QJsonArray values = found.value(kGains).toArray();
    if (values.size() != kBands)
        return {{}, QStringLiteral("VoxBench told no gains for \"%1\"").arg(name)};
    std::array<int, kBands> gains{};
    for (int band = 0; band < kBands; ++band)
        gains[band] = values[band].toInt();
    return {ModeFile::write(name, tabs.front(), gains), QString()};
}

Import importMode(const QByteArray &contents, const QString &path, const QString &nameOption,
                  const QString &tabOption)
{
    Import import;
    import.reading = ModeFile::read(contents);
    if (!import.reading.ok) {
        import.error = QStringLiteral("%1 is not a mode file: %2")
                           .arg(ModeNameRule::escaped(path), import.reading.error);
        return import;
    }
    import.name = !nameOption.isEmpty() ? nameOption
                  : !import.reading.name.isEmpty()
                      ? import.reading.name
                      : QFileInfo(path).completeBaseName().left(ModeNameRule::kMaxLength).trimmed();
    if (const ModeNameRule::Problem problem = ModeNameRule::check(import.name);
        problem != ModeNameRule::Problem::None) {
        import.error = QStringLiteral("the name \"%1\" cannot be used: %2; give another with --name")
                           .arg(ModeNameRule::quoted(import.name), ModeNameRule::message(problem));
        return import;
    }
    import.tab = !tabOption.isEmpty() ? tabOption : import.reading.tab;
    QJsonArray gains;
    for (const int gain : import.reading.gains)
        gains.append(gain);
    import.request = {{kVerb, kMode}, {kAction, kAdd}, {kName, import.name}, { kGains, gains }};
    if (!import.tab.isEmpty())
        import.request.insert(kTab, import.tab);
    return import;
}

QString importText(const Import &import, const QJsonObject &answer)
{
    const ModeFile::Reading &reading = import.reading;
    QString text;
    QTextStream out(&text);
    out << answer.value(kTab).toString() << ": " << ModeNameRule::escaped(answer.value(kName).toString())
        << " added (read as " << ModeFile::formatName(reading.format) << ")\n";
    QStringList gains;
    for (const int gain : reading.gains)
        gains << QString::number(gain);
    out << "gains: " << gains.join(QLatin1Char(' ')) << '\n';
    if (reading.format != ModeFile::Format::VoxBench || reading.largestDeviationDb > 0)
        out << "largest deviation from the curve at the ten bands: "
            << QString::number(reading.largestDeviationDb, 'f', 1) << " dB\n";
    if (reading.clampedBands > 0)
        out << "cut to the receiver's " << kMinGain << " to " << kMaxGain << " dB: " << reading.clampedBands
            << " bands, by up to " << QString::number(reading.largestClampDb, 'f', 1) << " dB\n";
    if (reading.preampDb != 0)
        out << "preamp " << QString::number(reading.preampDb, 'f', 1) << " dB left out\n";
    return text;
}

QJsonObject importJson(const Import &import, const QJsonObject &answer)
{
    const ModeFile::Reading &reading = import.reading;
    QJsonObject object = answer;
    object.insert(kFormat, formatKey(reading.format));
    QJsonArray curve;
    for (const double value : reading.curve)
        curve.append(value);
    object.insert(kCurve, curve);
    object.insert(kLargestDeviation, reading.largestDeviationDb);
    object.insert(kClampedBands, reading.clampedBands);
    object.insert(kLargestClamp, reading.largestClampDb);
    object.insert(kPreamp, reading.preampDb);
    return object;
}

} // namespace ModeTransfer
