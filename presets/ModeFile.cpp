#include "presets/ModeFile.h"

#include "presets/ApoConfig.h"
#include "presets/BandFit.h"
#include "presets/ModeNameRule.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

namespace ModeFile {
namespace {

constexpr char kFormatKey[] = "format";
constexpr char kVersionKey[] = "version";
constexpr char kNameKey[] = "name";
constexpr char kTabKey[] = "tab";
constexpr char kBandsKey[] = "bands_hz";
constexpr char kGainsKey[] = "gains_db";
constexpr char kSurroundTab[] = "surround";
constexpr char kStereoTab[] = "stereo";

Reading failed(const QString &error)
{
    Reading reading;
    reading.error = error;
    return reading;
}

// Rounds and clamps the curve into gains and says what that cost.
Reading fitted(Reading reading)
{
    for (int band = 0; band < kBands; ++band) {
        const double wanted = reading.curve[band];
        // Each reader refuses what is not finite with its line; this is the last guard before int().
        if (!std::isfinite(wanted))
            return failed(QStringLiteral("the curve is not a finite number at %1 Hz").arg(kBandHz[band]));
        const double rounded = std::round(wanted);
        const double kept = std::clamp(rounded, double(kMinGain), double(kMaxGain));
        reading.gains[band] = int(kept);
        reading.largestDeviationDb = std::max(reading.largestDeviationDb, std::abs(kept - wanted));
        if (kept != rounded) {
            ++reading.clampedBands;
            const double cut = std::abs(wanted - std::clamp(wanted, double(kMinGain), double(kMaxGain)));
            reading.largestClampDb = std::max(reading.largestClampDb, cut);
        }
    }
    reading.ok = true;
    return reading;
}

Reading readJson(const QByteArray &text)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (!document.isObject())
        return failed(QStringLiteral("not valid JSON: %1").arg(parseError.errorString()));
    const QJsonObject object = document.object();
    if (object.value(kFormatKey).toString() != QLatin1String(kFormat))
        return failed(
            QStringLiteral("a JSON file that is not a VoxBench mode (no \"format\": \"%1\")").arg(kFormat));
    const int version = object.value(kVersionKey).toInt(0);
    if (version < 1)
        return failed(QStringLiteral("a VoxBench mode file without a valid \"version\""));
    if (version > kVersion)
        return failed(QStringLiteral("made by a newer VoxBench (mode file version %1; this one reads %2)")
                          .arg(version)
                          .arg(kVersion));
    const QJsonArray gains = object.value(kGainsKey).toArray();
    if (gains.size() != kBands)
        return failed(QStringLiteral("\"%1\" must hold %2 numbers").arg(kGainsKey).arg(kBands));
    Reading reading;
    reading.format = Format::VoxBench;
    for (int band = 0; band < kBands; ++band) {
        if (!gains[band].isDouble() || !std::isfinite(gains[band].toDouble()))
            return failed(QStringLiteral("\"%1\" must hold %2 numbers").arg(kGainsKey).arg(kBands));
        reading.curve[band] = gains[band].toDouble();
    }
    reading.name = object.value(kNameKey).toString();
    reading.tab = object.value(kTabKey).toString();
    if (!reading.tab.isEmpty() && reading.tab != QLatin1String(kSurroundTab) &&
        reading.tab != QLatin1String(kStereoTab))
        return failed(QStringLiteral("unknown \"tab\": %1").arg(ModeNameRule::quoted(reading.tab)));
    return fitted(reading);
}

// The two sides of a curve as one: the side asked for, or their mean.
double sideDb(const ApoConfig::Config &config, Channel channel, double hz)
{
    switch (channel) {
    case Channel::Left:
        return config.db(ApoConfig::Left, hz);
    case Channel::Right:
        return config.db(ApoConfig::Right, hz);
    case Channel::Both:
        break;
    }
    return (config.db(ApoConfig::Left, hz) + config.db(ApoConfig::Right, hz)) / 2;
}

// An Equalizer APO configuration or an AutoEq GraphicEQ line: put on the
// receiver's level and fitted with the ten bands.
Reading readCurve(const QString &text, const Options &options)
{
    const ApoConfig::Config config = ApoConfig::read(text, options.path);
    if (!config.ok)
        return failed(config.error);
    if (config.filterLines == 0 && config.graphicEqLines == 0)
        return failed(QStringLiteral("not a mode: expected a VoxBench mode file, a \"GraphicEQ:\" line or "
                                     "Equalizer APO filters"));
    Reading reading;
    reading.format = config.filterLines == 0 ? Format::GraphicEq : Format::Parametric;
    reading.channel = options.channel;
    reading.perChannel = config.perChannel;
    reading.otherChannelLines = config.otherChannelLines;
    reading.includedFiles = config.includedFiles;
    reading.preampDb = (config.preampDb[ApoConfig::Left] + config.preampDb[ApoConfig::Right]) / 2;
    const BandFit::Curve curve = [&](double hz) { return sideDb(config, options.channel, hz); };
    for (int band = 0; band < kBands; ++band)
        reading.curve[band] = curve(kBandHz[band]);
    double squares = 0;
    for (const double hz : BandFit::grid()) {
        const double difference = config.db(ApoConfig::Left, hz) - config.db(ApoConfig::Right, hz);
        reading.sideDifferenceDb = std::max(reading.sideDifferenceDb, std::abs(difference));
        squares += difference * difference;
    }
    reading.sideRmsDifferenceDb = std::sqrt(squares / double(BandFit::grid().size()));
    reading.shiftDb = BandFit::levelShiftDb(curve);
    const BandFit::Curve aim = [&](double hz) { return curve(hz) + reading.shiftDb; };
    for (const double hz : BandFit::grid())
        reading.aimDb.push_back(aim(hz));
    const BandFit::Fit fit = BandFit::fit(aim);
    reading.gains = fit.gains;
    reading.rmsDeviationDb = fit.rmsDeviationDb;
    reading.largestDeviationDb = fit.largestDeviationDb;
    reading.clampedBands = fit.clampedBands;
    reading.largestClampDb = fit.largestClampDb;
    reading.ok = true;
    return reading;
}

} // namespace

Reading read(const QByteArray &bytes, const Options &options)
{
    const QString text = ApoConfig::decodedText(bytes);
    if (text.trimmed().startsWith(QLatin1Char('{')))
        return readJson(text.toUtf8());
    return readCurve(text, options);
}

QByteArray write(const QString &name, const QString &tab, const std::array<int, kBands> &gains)
{
    QJsonArray bands;
    QJsonArray values;
    for (int band = 0; band < kBands; ++band) {
        bands.append(kBandHz[band]);
        values.append(gains[band]);
    }
    QJsonObject object;
    object.insert(kFormatKey, QLatin1String(kFormat));
    object.insert(kVersionKey, kVersion);
    object.insert(kNameKey, name);
    object.insert(kTabKey, tab);
    object.insert(kBandsKey, bands);
    object.insert(kGainsKey, values);
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

QString channelName(Channel channel)
{
    switch (channel) {
    case Channel::Left:
        return QStringLiteral("L");
    case Channel::Right:
        return QStringLiteral("R");
    case Channel::Both:
        break;
    }
    return QString();
}

QString formatName(Format format)
{
    switch (format) {
    case Format::VoxBench:
        return QStringLiteral("VoxBench mode");
    case Format::GraphicEq:
        return QStringLiteral("GraphicEQ");
    case Format::Parametric:
        return QStringLiteral("Equalizer APO parametric");
    }
    return QString();
}

} // namespace ModeFile
