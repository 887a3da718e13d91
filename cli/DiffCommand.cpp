#include "DiffCommand.h"

#include <algorithm>

#include "ParameterLabel.h"

QStringList DifferenceLines(const std::vector<ParameterDifference>& differences) {
    const NameLanguage language = UserNameLanguage();
    int labelWidth = 0;
    for (const ParameterDifference& d : differences)
        labelWidth = std::max(labelWidth, DisplayWidth(ParameterLabel(d.letter, language)));
    QStringList lines;
    for (const ParameterDifference& d : differences) {
        const QString label = ParameterLabel(d.letter, language);
        lines << QStringLiteral("%1  %2%3  %4  %5")
                     .arg(QString(QLatin1Char(d.letter)), label,
                          QString(labelWidth - DisplayWidth(label), QLatin1Char(' ')))
                     .arg(d.controller)
                     .arg(d.file);
    }
    return lines;
}

QString DifferenceJson(const std::vector<ParameterDifference>& differences,
                       const QString& controllerKey, const QString& fileKey) {
    const NameLanguage language = UserNameLanguage();
    QStringList entries;
    for (const ParameterDifference& d : differences)
        entries << JsonObject(
            {{QStringLiteral("letter"), JsonString(QString(QLatin1Char(d.letter)))},
             {QStringLiteral("name"), JsonString(ParameterLabel(d.letter, language))},
             {controllerKey, QString::number(d.controller)},
             {fileKey, QString::number(d.file)}});
    return JsonArray(entries);
}

CommandResult Diff(PortSession& session, const ParameterValues& values,
                   const std::function<void(const QString&)>& progress) {
    ShowReadBackProgress(session, progress, QStringLiteral("read"));
    const PortSession::End end = session.ReadBack();
    if (end != PortSession::End::Done) return Fault(session, end);
    const std::vector<ParameterDifference> differences =
        DiffParameters(values, session.Core().Cache(), session.Core().FirmwareVersion());
    CommandResult result;
    result.lines = DifferenceLines(differences);
    result.json = JsonObject({{QStringLiteral("differences"), DifferenceJson(differences)}});
    if (!differences.empty())
        result.status = kExitDiffers;
    else
        result.notes << QStringLiteral(
                            "%1: no difference; the controller holds every value a restore of "
                            "the file would write")
                            .arg(session.PortName());
    return result;
}
