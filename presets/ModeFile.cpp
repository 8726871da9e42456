#include "presets/ModeFile.h"

#include "presets/ModeNameRule.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <complex>
#include <map>

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

constexpr double kPi = 3.14159265358979323846;

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

bool toNumber(const QString &text, double *value)
{
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value);
}

// "GraphicEQ: f g; f g; …": the gains between two points lie on a straight
// line over log frequency; beyond the first and last point the end gain holds.
Reading readGraphicEq(const QString &line, int number)
{
    const QString where = QStringLiteral("line %1: ").arg(number);
    std::map<double, double> points;
    const QString list = line.mid(line.indexOf(QLatin1Char(':')) + 1);
    for (const QString &pair : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList fields = pair.simplified().split(QLatin1Char(' '));
        if (fields.size() == 1 && fields[0].isEmpty())
            continue;
        double hz = 0;
        double db = 0;
        if (fields.size() != 2 || !toNumber(fields[0], &hz) || !toNumber(fields[1], &db) || hz <= 0)
            return failed(where + QStringLiteral("GraphicEQ: \"%1\" is not a frequency and a gain")
                                      .arg(ModeNameRule::quoted(pair.trimmed())));
        points[hz] = db;
    }
    if (points.empty())
        return failed(where + QStringLiteral("GraphicEQ: no points"));
    Reading reading;
    reading.format = Format::GraphicEq;
    for (int band = 0; band < kBands; ++band) {
        const double hz = kBandHz[band];
        const auto above = points.lower_bound(hz);
        if (above == points.end()) {
            reading.curve[band] = points.rbegin()->second;
        } else if (above == points.begin() || above->first == hz) {
            reading.curve[band] = above->second;
        } else {
            const auto below = std::prev(above);
            const double at = std::log(hz / below->first) / std::log(above->first / below->first);
            reading.curve[band] = below->second + at * (above->second - below->second);
        }
        if (!std::isfinite(reading.curve[band]))
            return failed(where + QStringLiteral("GraphicEQ: the gains are too large to follow"));
    }
    return fitted(reading);
}

enum class FilterType { Peak, LowShelf, HighShelf };

struct Filter
{
    FilterType type;
    double hz;
    double db;
    double q;
    int line;
};

// The filter's gain at `hz`, in dB: the biquad of the Audio EQ Cookbook
// (R. Bristow-Johnson), as Equalizer APO builds it, evaluated on the unit circle.
double responseDb(const Filter &filter, double hz)
{
    const double a = std::pow(10.0, filter.db / 40.0);
    const double w0 = 2 * kPi * filter.hz / kSampleRateHz;
    const double cosW0 = std::cos(w0);
    const double alpha = std::sin(w0) / (2 * filter.q);
    const double shelf = 2 * std::sqrt(a) * alpha;
    double b[3] = {};
    double d[3] = {};
    switch (filter.type) {
    case FilterType::Peak:
        b[0] = 1 + alpha * a, b[1] = -2 * cosW0, b[2] = 1 - alpha * a;
        d[0] = 1 + alpha / a, d[1] = -2 * cosW0, d[2] = 1 - alpha / a;
        break;
    case FilterType::LowShelf:
        b[0] = a * ((a + 1) - (a - 1) * cosW0 + shelf);
        b[1] = 2 * a * ((a - 1) - (a + 1) * cosW0);
        b[2] = a * ((a + 1) - (a - 1) * cosW0 - shelf);
        d[0] = (a + 1) + (a - 1) * cosW0 + shelf;
        d[1] = -2 * ((a - 1) + (a + 1) * cosW0);
        d[2] = (a + 1) + (a - 1) * cosW0 - shelf;
        break;
    case FilterType::HighShelf:
        b[0] = a * ((a + 1) + (a - 1) * cosW0 + shelf);
        b[1] = -2 * a * ((a - 1) + (a + 1) * cosW0);
        b[2] = a * ((a + 1) + (a - 1) * cosW0 - shelf);
        d[0] = (a + 1) - (a - 1) * cosW0 + shelf;
        d[1] = 2 * ((a - 1) - (a + 1) * cosW0);
        d[2] = (a + 1) - (a - 1) * cosW0 - shelf;
        break;
    }
    const std::complex<double> z1 = std::polar(1.0, -2 * kPi * hz / kSampleRateHz);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h = (b[0] + b[1] * z1 + b[2] * z2) / (d[0] + d[1] * z1 + d[2] * z2);
    return 20 * std::log10(std::abs(h));
}

// Equalizer APO's "Preamp: g dB" and "Filter n: ON PK|LSC|HSC Fc f Hz Gain g dB Q q".
Reading readParametric(const QStringList &lines)
{
    static const QRegularExpression filterLine(
        QStringLiteral("^filter\\s*\\d*\\s*:\\s*(on|off)\\s+(\\S+)(.*)$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression fc(QStringLiteral("\\bfc\\s+(\\S+)\\s*hz\\b"),
                                       QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression gain(QStringLiteral("\\bgain\\s+(\\S+)\\s*db\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression q(QStringLiteral("\\bq\\s+(\\S+)"),
                                      QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression preamp(QStringLiteral("^preamp\\s*:\\s*(\\S+)\\s*db"),
                                           QRegularExpression::CaseInsensitiveOption);
    const std::map<QString, FilterType> types = {
        {QStringLiteral("PK"), FilterType::Peak},
        {QStringLiteral("LSC"), FilterType::LowShelf},
        {QStringLiteral("HSC"), FilterType::HighShelf},
    };

    Reading reading;
    reading.format = Format::Parametric;
    std::vector<Filter> filters;
    bool sawFilter = false;
    for (int number = 0; number < lines.size(); ++number) {
        const QString line = lines[number].trimmed();
        const QString where = QStringLiteral("line %1").arg(number + 1);
        if (const QRegularExpressionMatch m = preamp.match(line); m.hasMatch()) {
            if (!toNumber(m.captured(1), &reading.preampDb))
                return failed(where + QStringLiteral(": the preamp is not a number"));
            continue;
        }
        const QRegularExpressionMatch m = filterLine.match(line);
        if (!m.hasMatch())
            continue; // comments, "Device:", "Channel:" and the like
        sawFilter = true;
        if (m.captured(1).compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
            continue;
        const auto type = types.find(m.captured(2).toUpper());
        if (type == types.end())
            return failed(where + QStringLiteral(": filter type %1 is not supported (PK, LSC and HSC are)")
                                      .arg(ModeNameRule::quoted(m.captured(2))));
        Filter filter{type->second, 0, 0, 0, number + 1};
        const QString rest = m.captured(3);
        const auto fcMatch = fc.match(rest);
        const auto gainMatch = gain.match(rest);
        const auto qMatch = q.match(rest);
        if (!fcMatch.hasMatch() || !gainMatch.hasMatch() || !qMatch.hasMatch() ||
            !toNumber(fcMatch.captured(1), &filter.hz) || !toNumber(gainMatch.captured(1), &filter.db) ||
            !toNumber(qMatch.captured(1), &filter.q))
            return failed(where + QStringLiteral(": a filter needs \"Fc … Hz Gain … dB Q …\""));
        if (filter.hz <= 0 || filter.hz >= kSampleRateHz / 2 || filter.q <= 0)
            return failed(
                where +
                QStringLiteral(": Fc must lie between 0 and %1 Hz, and Q above 0").arg(kSampleRateHz / 2));
        filters.push_back(filter);
    }
    if (!sawFilter)
        return failed(QStringLiteral("not a mode: expected a VoxBench mode file, a \"GraphicEQ:\" line or "
                                     "Equalizer APO filters"));
    for (const Filter &filter : filters) {
        for (int band = 0; band < kBands; ++band) {
            reading.curve[band] += responseDb(filter, kBandHz[band]);
            // A Q of 1e-320 or a gain of 1e308 dB makes no filter: its response is not a number.
            if (!std::isfinite(reading.curve[band]))
                return failed(QStringLiteral("line %1: the filter's response is not a finite number "
                                             "(its gain or Q is out of reach)")
                                  .arg(filter.line));
        }
    }
    return fitted(reading);
}

} // namespace

Reading read(const QByteArray &bytes)
{
    QByteArray text = bytes;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    if (text.trimmed().startsWith('{'))
        return readJson(text);
    const QStringList lines = QString::fromUtf8(text).split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    for (int number = 0; number < lines.size(); ++number) {
        if (lines[number].trimmed().startsWith(QLatin1String("GraphicEQ:"), Qt::CaseInsensitive))
            return readGraphicEq(lines[number].trimmed(), number + 1);
    }
    return readParametric(lines);
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
