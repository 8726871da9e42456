#include "presets/ApoConfig.h"

#include "presets/ModeNameRule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>
#include <complex>

namespace ApoConfig {
namespace {

constexpr double kPi = 3.14159265358979323846;
// A GraphicEQ gain beyond this is a broken file, not a curve.
constexpr double kMaxGraphicEqDb = 1000;
// The channels a "Channel:" line selects: left, right, and any other.
enum Mask { kLeft = 1, kRight = 2, kOther = 4, kAll = 7 };

// Text from the file, escaped and cut as every message quotes it.
QString quoted(const QString &text)
{
    return QLatin1Char('"') + ModeNameRule::quoted(text) + QLatin1Char('"');
}

bool toNumber(const QString &text, double *value)
{
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value);
}

// The curve a "GraphicEQ:" line draws: straight lines over log frequency
// between its points, the end gains held beyond the first and the last.
double interpolated(const std::map<double, double> &points, double hz)
{
    const auto above = points.lower_bound(hz);
    if (above == points.end())
        return points.rbegin()->second;
    if (above == points.begin() || above->first == hz)
        return above->second;
    const auto below = std::prev(above);
    const double at = std::log(hz / below->first) / std::log(above->first / below->first);
    return below->second + at * (above->second - below->second);
}

class Reader
{
public:
    Config config;

    // Reads one file's lines; false (with config.error set) at the first it cannot take.
    bool readText(const QString &text, const QString &path, const QStringList &chain, int mask);

private:
    bool readFilter(const QString &rest, const QString &where, int mask);
    bool readGraphicEq(const QString &rest, const QString &where, int mask);
    bool readInclude(const QString &name, const QString &path, const QString &where, const QStringList &chain,
                     int mask);
    // Notes which sides a command reaches; false when it reaches neither.
    bool reaches(int mask);
    bool fail(const QString &error)
    {
        config.error = error;
        return false;
    }
};

bool Reader::reaches(int mask)
{
    if ((mask & (kLeft | kRight)) == 0) {
        ++config.otherChannelLines;
        return false;
    }
    if ((mask & (kLeft | kRight)) != (kLeft | kRight))
        config.perChannel = true;
    return true;
}

bool Reader::readText(const QString &text, const QString &path, const QStringList &chain, int mask)
{
    static const QRegularExpression command(QStringLiteral("^\\s*([A-Za-z]+)\\s*\\d*\\s*:(.*)$"));
    static const QRegularExpression preamp(QStringLiteral("^\\s*(\\S+)\\s*db\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    const QString file =
        chain.size() > 1 ? ModeNameRule::escaped(QFileInfo(path).fileName()) + QLatin1Char(' ') : QString();
    for (int number = 0; number < lines.size(); ++number) {
        const QRegularExpressionMatch m = command.match(lines[number]);
        if (!m.hasMatch())
            continue;
        const QString name = m.captured(1).toLower();
        const QString rest = m.captured(2).trimmed();
        const QString where = file + QStringLiteral("line %1").arg(number + 1);
        if (name == QLatin1String("preamp")) {
            const QRegularExpressionMatch value = preamp.match(rest);
            double db = 0;
            if (!value.hasMatch() || !toNumber(value.captured(1), &db))
                return fail(where + QStringLiteral(": the preamp is not a number of dB"));
            if (reaches(mask)) {
                for (const Side side : {Left, Right})
                    if (mask & (1 << side))
                        config.preampDb[side] += db;
            }
        } else if (name == QLatin1String("filter")) {
            if (!readFilter(rest, where, mask))
                return false;
        } else if (name == QLatin1String("graphiceq")) {
            if (!readGraphicEq(rest, where, mask))
                return false;
        } else if (name == QLatin1String("channel")) {
            mask = 0;
            for (const QString &channel : rest.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                const QString upper = channel.toUpper();
                mask |= upper == QLatin1String("ALL")                                ? kAll
                        : upper == QLatin1String("L") || upper == QLatin1String("1") ? kLeft
                        : upper == QLatin1String("R") || upper == QLatin1String("2") ? kRight
                                                                                     : kOther;
            }
            if (mask == 0)
                return fail(where + QStringLiteral(": \"Channel:\" names no channel"));
        } else if (name == QLatin1String("include")) {
            if (!readInclude(rest, path, where, chain, mask))
                return false;
        }
    }
    return true;
}

// "Filter n: ON PK Fc f Hz Gain g dB Q q" and its kin.
bool Reader::readFilter(const QString &rest, const QString &where, int mask)
{
    static const QRegularExpression head(QStringLiteral("^(on|off)\\s+(\\S+)(.*)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression slope(QStringLiteral("^\\s*[\\d.]+\\s*db\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression fc(QStringLiteral("\\bfc\\s+(\\S+)\\s*hz\\b"),
                                       QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression gain(QStringLiteral("\\bgain\\s+(\\S+)\\s*db\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression q(QStringLiteral("\\bq\\s+(\\S+)"),
                                      QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bw(QStringLiteral("\\bbw\\s+oct\\s+(\\S+)"),
                                       QRegularExpression::CaseInsensitiveOption);
    ++config.filterLines;
    const QRegularExpressionMatch m = head.match(rest);
    if (!m.hasMatch())
        return fail(where + QStringLiteral(": a filter is \"ON\" or \"OFF\", then its type"));
    if (m.captured(1).compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
        return true;
    const QString type = m.captured(2).toUpper();
    const QString parameters = m.captured(3);
    Filter filter;
    if (type == QLatin1String("PK") || type == QLatin1String("PEQ"))
        filter.type = FilterType::Peak;
    else if (type == QLatin1String("LS") || type == QLatin1String("LSC"))
        filter.type = FilterType::LowShelf;
    else if (type == QLatin1String("HS") || type == QLatin1String("HSC"))
        filter.type = FilterType::HighShelf;
    else
        return fail(where +
                    QStringLiteral(": filter type %1 is not supported (PK, PEQ, LS, HS, LSC and HSC are)")
                        .arg(quoted(m.captured(2))));
    if (slope.match(parameters).hasMatch())
        return fail(where + QStringLiteral(": shelf slopes in dB per octave are not supported (LS, HS, and "
                                           "LSC or HSC with Q are)"));
    const bool fixedSlope = type == QLatin1String("LS") || type == QLatin1String("HS");
    const auto fcMatch = fc.match(parameters);
    const auto gainMatch = gain.match(parameters);
    const auto qMatch = q.match(parameters);
    const auto bwMatch = bw.match(parameters);
    if (!fcMatch.hasMatch() || !gainMatch.hasMatch() || !toNumber(fcMatch.captured(1), &filter.hz) ||
        !toNumber(gainMatch.captured(1), &filter.db))
        return fail(where + QStringLiteral(": a filter needs \"Fc … Hz Gain … dB\""));
    if (fixedSlope) {
        filter.q = kShelfSlope;
        filter.isSlope = true;
    } else if (qMatch.hasMatch()) {
        if (!toNumber(qMatch.captured(1), &filter.q) || filter.q <= 0)
            return fail(where + QStringLiteral(": Q must be a number above 0"));
    } else if (bwMatch.hasMatch() && filter.type == FilterType::Peak) {
        if (!toNumber(bwMatch.captured(1), &filter.octaves) || filter.octaves <= 0)
            return fail(where + QStringLiteral(": BW Oct must be a number above 0"));
    } else {
        return fail(where + QStringLiteral(": a %1 filter needs \"Q …\"%2")
                                .arg(type, filter.type == FilterType::Peak
                                               ? QStringLiteral(" or \"BW Oct …\"")
                                               : QString()));
    }
    if (filter.hz <= 0 || filter.hz >= kSampleRateHz / 2)
        return fail(where + QStringLiteral(": Fc must lie between 0 and %1 Hz").arg(kSampleRateHz / 2));
    // A Q or a gain so far out that the filter has no finite response.
    for (double hz = 20; hz < kSampleRateHz / 2; hz *= 2)
        if (!std::isfinite(responseDb(filter, hz)))
            return fail(where + QStringLiteral(": the filter has no finite response"));
    if (reaches(mask)) {
        for (const Side side : {Left, Right})
            if (mask & (1 << side))
                config.filters[side].push_back(filter);
    }
    return true;
}

// "GraphicEQ: f g; f g; …".
bool Reader::readGraphicEq(const QString &rest, const QString &where, int mask)
{
    ++config.graphicEqLines;
    std::map<double, double> points;
    for (const QString &pair : rest.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList fields = pair.simplified().split(QLatin1Char(' '));
        if (fields.size() == 1 && fields[0].isEmpty())
            continue;
        double hz = 0;
        double db = 0;
        if (fields.size() != 2 || !toNumber(fields[0], &hz) || !toNumber(fields[1], &db) || hz <= 0)
            return fail(
                where +
                QStringLiteral(": GraphicEQ: %1 is not a frequency and a gain").arg(quoted(pair.trimmed())));
        // Finite, but no curve: between two such points the line would not be.
        if (std::abs(db) > kMaxGraphicEqDb)
            return fail(where + QStringLiteral(": GraphicEQ: %1 dB is beyond any curve").arg(quoted(fields[1])));
        points[hz] = db;
    }
    if (points.empty())
        return fail(where + QStringLiteral(": GraphicEQ: no points"));
    if (reaches(mask)) {
        for (const Side side : {Left, Right})
            if (mask & (1 << side))
                config.graphicEqs[side].push_back(points);
    }
    return true;
}

// "Include: file", relative to the file that names it. Only plain files are
// read: a FIFO or a device would keep the reader waiting.
bool Reader::readInclude(const QString &name, const QString &path, const QString &where,
                         const QStringList &chain, int mask)
{
    if (path.isEmpty())
        return fail(where + QStringLiteral(": Include: is relative to the file, and standard input is none"));
    if (chain.size() > kMaxIncludeDepth)
        return fail(where + QStringLiteral(": Include: nested more than %1 deep").arg(kMaxIncludeDepth));
    if (++config.includedFiles >= kMaxFiles)
        return fail(where + QStringLiteral(": Include: more than %1 files in all").arg(kMaxFiles));
    QString relative = name;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo info(QFileInfo(path).dir(), relative);
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || !info.isFile())
        return fail(where + QStringLiteral(": Include: %1 is not a file that can be read").arg(quoted(name)));
    if (chain.contains(canonical))
        return fail(where + QStringLiteral(": Include: %1 includes itself").arg(quoted(name)));
    QFile file(canonical);
    if (!file.open(QIODevice::ReadOnly))
        return fail(where +
                    QStringLiteral(": Include: %1 cannot be read: %2").arg(quoted(name), file.errorString()));
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes)
        return fail(where +
                    QStringLiteral(": Include: %1 is larger than a configuration can be").arg(quoted(name)));
    return readText(decodedText(bytes), canonical, chain + QStringList{canonical}, mask);
}

} // namespace

QString decodedText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.startsWith("\xFF\xFE");
        QString text;
        for (int i = 2; i + 1 < bytes.size(); i += 2) {
            const ushort first = quint8(bytes[i + (little ? 0 : 1)]);
            const ushort second = quint8(bytes[i + (little ? 1 : 0)]);
            text.append(QChar(ushort(first | (second << 8))));
        }
        return text;
    }
    return QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
}

double responseDb(const Filter &filter, double hz)
{
    const double a = std::pow(10.0, filter.db / 40.0);
    const double w0 = 2 * kPi * filter.hz / kSampleRateHz;
    const double cosW0 = std::cos(w0);
    const double sinW0 = std::sin(w0);
    double alpha = 0;
    if (filter.octaves > 0)
        alpha = sinW0 * std::sinh(std::log(2.0) / 2 * filter.octaves * w0 / sinW0);
    else if (filter.isSlope)
        alpha = sinW0 / 2 * std::sqrt((a + 1 / a) * (1 / filter.q - 1) + 2);
    else
        alpha = sinW0 / (2 * filter.q);
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

double Config::db(Side side, double hz) const
{
    double sum = preampDb[side];
    for (const Filter &filter : filters[side])
        sum += responseDb(filter, hz);
    for (const std::map<double, double> &points : graphicEqs[side])
        sum += interpolated(points, hz);
    return sum;
}

Config read(const QString &text, const QString &path)
{
    Reader reader;
    const QString canonical = path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
    reader.config.ok = reader.readText(text, canonical.isEmpty() ? path : canonical,
                                       QStringList{canonical.isEmpty() ? path : canonical}, kAll);
    return reader.config;
}

} // namespace ApoConfig
