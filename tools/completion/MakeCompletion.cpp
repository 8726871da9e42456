// Writes a shell completion of voxbench from its template, with the verbs,
// their actions, values and options taken from the command table, so that the
// three shells offer what the command line takes and nothing else.
// Usage: voxbench_make_completion TEMPLATE MODES_AWK OUTPUT

#include "command/CommandVerbs.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>

namespace {

QString valuesOf(const char *verb)
{
    return QString::fromLatin1(CommandVerbs::find(QLatin1String(verb), QString())->values);
}

// "VERB ACTION OPTION..." a line, "-" for no action: what each command takes
// besides --no-start, which every command takes.
QString optionLines()
{
    QStringList lines;
    for (const CommandVerbs::Verb *row = CommandVerbs::begin(); row != CommandVerbs::end(); ++row) {
        QStringList words{row->verb, row->action.size() > 0 ? QString(row->action) : QStringLiteral("-")};
        const std::pair<unsigned, const char *> options[] = {{CommandVerbs::kJsonOffered, "--json"},
                                                             {CommandVerbs::kTabOption, "--tab"},
                                                             {CommandVerbs::kGainsOption, "--gains"},
                                                             {CommandVerbs::kNameOption, "--name"},
                                                             {CommandVerbs::kChannelOption, "--channel"}};
        for (const auto &[flag, option] : options) {
            if (row->options & flag)
                words << QLatin1String(option);
        }
        lines << words.join(QLatin1Char(' '));
    }
    return lines.join(QLatin1Char('\n'));
}

bool readAll(const QString &path, QString *text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    *text = QString::fromUtf8(file.readAll());
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QTextStream err(stderr);
    if (argc != 4) {
        err << "usage: voxbench_make_completion TEMPLATE MODES_AWK OUTPUT\n";
        return 2;
    }
    QString text;
    QString awk;
    if (!readAll(QString::fromLocal8Bit(argv[1]), &text) || !readAll(QString::fromLocal8Bit(argv[2]), &awk)) {
        err << "voxbench_make_completion: cannot read " << argv[1] << " or " << argv[2] << '\n';
        return 1;
    }
    using CommandVerbs::Offer;
    const std::pair<const char *, QString> substitutions[] = {
        {"@VOXBENCH_MODES_AWK@", awk},
        {"@VOXBENCH_VERBS@", CommandVerbs::verbs()},
        {"@VOXBENCH_MODE_ACTIONS@", CommandVerbs::actions(QStringLiteral("mode"))},
        {"@VOXBENCH_RULE_ACTIONS@", CommandVerbs::actions(QStringLiteral("rule"))},
        {"@VOXBENCH_TABS@", valuesOf("tab")},
        {"@VOXBENCH_ENC_VALUES@", valuesOf("enc")},
        {"@VOXBENCH_AUTOSTART_VALUES@", valuesOf("autostart")},
        {"@VOXBENCH_OPTIONS@", optionLines()},
        {"@VOXBENCH_CHANNELS@", QString::fromLatin1(CommandVerbs::kChannels)},
        {"@VOXBENCH_NAME_ACTIONS@", CommandVerbs::actionsOffering(QStringLiteral("mode"), Offer::ModeNames)},
        {"@VOXBENCH_CUSTOM_ACTIONS@",
         CommandVerbs::actionsOffering(QStringLiteral("mode"), Offer::CustomNames)},
        {"@VOXBENCH_FILE_ACTIONS@", CommandVerbs::actionsOffering(QStringLiteral("mode"), Offer::Files)},
        {"@VOXBENCH_RULE_NAME_ACTIONS@",
         CommandVerbs::actionsOffering(QStringLiteral("rule"), Offer::ModeNames)},
    };
    for (const auto &[key, value] : substitutions)
        text.replace(QLatin1String(key), value);
    if (text.contains(QLatin1String("@VOXBENCH_"))) {
        err << "voxbench_make_completion: " << argv[1] << " names a list the command table does not have\n";
        return 1;
    }
    QFile out(QString::fromLocal8Bit(argv[3]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(text.toUtf8()) < 0 ||
        !out.flush()) {
        err << "voxbench_make_completion: cannot write " << argv[3] << '\n';
        return 1;
    }
    return 0;
}
