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

QString decibels(double db)
{
    return QString::number(db, 'f', 1) + QStringLiteral(" dB");
}

QString levelText(const ModeFile::Reading &reading)
{
    return QStringLiteral("level: the curve moved by %1%2 so that its mean over 20 Hz-20 kHz is 0 dB")
        .arg(reading.shiftDb >= 0 ? QStringLiteral("+") : QString(), decibels(reading.shiftDb));
}

QString deviationText(const ModeFile::Reading &reading)
{
    return QStringLiteral("deviation from the curve over 20 Hz-20 kHz: %1 RMS, %2 at most")
        .arg(decibels(reading.rmsDeviationDb), decibels(reading.largestDeviationDb));
}

// Never a silent merge: which side was read, and how far the sides differ.
QString sidesText(const ModeFile::Reading &reading)
{
    QStringList lines;
    if (reading.perChannel) {
        const QString differ =
            QStringLiteral("left and right differ by up to %1 (%2 RMS)")
                .arg(decibels(reading.sideDifferenceDb), decibels(reading.sideRmsDifferenceDb));
        lines << (reading.channel == ModeFile::Channel::Both
                      ? differ + QStringLiteral(": both sides averaged; --channel L or R imports one")
                      : differ + QStringLiteral(": the %1 side imported")
                                     .arg(reading.channel == ModeFile::Channel::Left
                                              ? QStringLiteral("left")
                                              : QStringLiteral("right")));
    }
    if (reading.otherChannelLines > 0)
        lines << QStringLiteral("left out: %1 for channels other than L and R")
                     .arg(reading.otherChannelLines == 1
                              ? QStringLiteral("1 line")
                              : QStringLiteral("%1 lines").arg(reading.otherChannelLines));
    return lines.join(QLatin1Char('\n'));
}

QString clampText(const ModeFile::Reading &reading)
{
    return QStringLiteral("cut to the receiver's %1 to %2 dB: %3, by up to %4")
        .arg(kMinGain)
        .arg(kMaxGain)
        .arg(reading.clampedBands == 1 ? QStringLiteral("1 band")
                                       : QStringLiteral("%1 bands").arg(reading.clampedBands),
             decibels(reading.largestClampDb));
}
} // namespace

Export exportMode(const QJsonObject &answer)
{
    // A name from elsewhere that breaks the rule is written as `modes` shows it.
    const QString name = ModeNameRule::escaped(answer.value(kName).toString());
    const QJsonArray values = answer.value(kGains).toArray();
    if (values.size() != kBands)
        return {{}, QStringLiteral("VoxBench told no gains for \"%1\"").arg(name)};
    std::array<int, kBands> gains{};
    for (int band = 0; band < kBands; ++band)
        gains[band] = values[band].toInt();
    return {ModeFile::write(name, answer.value(kTab).toString(), gains), QString()};
}

Import importMode(const QByteArray &contents, const QString &path, const QString &nameOption,
                  const QString &tabOption, const QString &channelOption)
{
    Import import;
    ModeFile::Options options;
    options.path = path;
    options.channel = channelOption == QLatin1String("L")   ? ModeFile::Channel::Left
                      : channelOption == QLatin1String("R") ? ModeFile::Channel::Right
                                                            : ModeFile::Channel::Both;
    import.reading = ModeFile::read(contents, options);
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
    if (reading.format == ModeFile::Format::VoxBench) {
        if (reading.largestDeviationDb > 0)
            out << "largest deviation from the file's gains: "
                << QString::number(reading.largestDeviationDb, 'f', 1) << " dB\n";
    } else {
        out << levelText(reading) << '\n' << deviationText(reading) << '\n';
        if (!sidesText(reading).isEmpty())
            out << sidesText(reading) << '\n';
    }
    if (reading.clampedBands > 0)
        out << clampText(reading) << '\n';
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
    object.insert(kShift, reading.shiftDb);
    object.insert(kRmsDeviation, reading.rmsDeviationDb);
    object.insert(kChannel, reading.channel == ModeFile::Channel::Both
                                ? QStringLiteral("both")
                                : ModeFile::channelName(reading.channel));
    object.insert(kPerChannel, reading.perChannel);
    object.insert(kSideDifference, reading.sideDifferenceDb);
    object.insert(kSideRmsDifference, reading.sideRmsDifferenceDb);
    object.insert(kOtherChannelLines, reading.otherChannelLines);
    object.insert(kIncludedFiles, reading.includedFiles);
    return object;
}

} // namespace ModeTransfer
