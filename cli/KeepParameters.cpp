#include "KeepParameters.h"

#include <optional>

#include "BackupFirst.h"
#include "BulkWriteChain.h"
#include "DiffCommand.h"
#include "FileCommands.h"
#include "FlashCommand.h"
#include "ParamTable.h"
#include "ParameterBackup.h"
#include "ParameterDiff.h"
#include "ParameterLabel.h"
#include "SessionNotes.h"

namespace {

using End = PortSession::End;

// The flash result's JSON object with more members after its own.
QString WithMembers(const QString& object, const JsonMembers& members) {
    QString inner = JsonObject(members);
    if (!object.endsWith(QLatin1Char('}')) || inner.size() <= 2) return object;
    QString joined = object.chopped(1);
    if (!joined.endsWith(QLatin1Char('{'))) joined += QLatin1Char(',');
    return joined + inner.mid(1);
}

// A put-back cut off with no backup file: the values it was to write are printed, so that
// they are not lost with the run.
void ListNotPutBack(CommandResult& result, const std::vector<ParameterDifference>& changed) {
    result.lines << QStringLiteral("not put back (letter, name, value before the upgrade):");
    const NameLanguage language = UserNameLanguage();
    QStringList entries;
    for (const ParameterDifference& d : changed) {
        const QString name = ParameterLabel(d.letter, language);
        result.lines
            << QStringLiteral("  %1  %2  %3").arg(QString(QLatin1Char(d.letter)), name).arg(d.file);
        entries << JsonObject(
            {{QStringLiteral("letter"), JsonString(QString(QLatin1Char(d.letter)))},
             {QStringLiteral("name"), JsonString(name)},
             {QStringLiteral("kept"), QString::number(d.file)}});
    }
    result.json = JsonObject({{QStringLiteral("notPutBack"), JsonArray(entries)}});
}

// Where a cut-off put-back's values are now: the backup file, or stdout.
void PointAtTheValues(CommandResult& result, const std::optional<BackupOutcome>& backup) {
    const QString advice =
        backup ? QStringLiteral("put them back with vexactl restore %1").arg(backup->path)
               : QStringLiteral("put back the values listed on stdout with vexactl set");
    if (!result.error.contains(QLatin1String("restore the file again")))
        result.error += QStringLiteral("; ") + advice;
    result.error.replace(QLatin1String("restore the file again"), advice);
}

// Every value the put-back writes, as read before the upgrade: what stdout keeps when the
// put-back never ran and there is no backup file.
std::vector<ParameterDifference> EveryValueBefore(const ParameterValues& before, int fwVersion) {
    std::vector<ParameterDifference> values;
    for (char letter : kBulkWriteOrder) {
        int saved = 0;
        if (BitCountOf(letter) > 0) {
            saved = MaskFromCache(letter, before);
        } else if (const std::optional<int> slot = CacheSlotOf(letter);
                   slot && *slot < int(before.size())) {
            saved = before[std::size_t(*slot)];
        }
        values.push_back(
            {letter, 0, BitCountOf(letter) > 0 ? saved : ShownFromSaved(letter, saved, fwVersion)});
    }
    return values;
}

// The upload or the read-back after it interrupted: where the values from before are.
CommandResult Interrupted(CommandResult result, FlashStop stop,
                          const std::optional<BackupOutcome>& backup, const ParameterValues& before,
                          int fwVersion) {
    if (stop == FlashStop::InBootLoader) {
        if (backup)
            result.error += QStringLiteral(", then put the parameters back with vexactl restore %1")
                                .arg(backup->path);
        return result;
    }
    if (stop != FlashStop::AfterUpload) return result;
    if (!backup) {
        ListNotPutBack(result, EveryValueBefore(before, fwVersion));
        result.error += QStringLiteral(
            "; the values before the upgrade were not put back: put "
            "back the values listed on stdout with vexactl set");
        return result;
    }
    result.error += QStringLiteral(
                        "; the values before the upgrade were not put back: put them "
                        "back with vexactl restore %1")
                        .arg(backup->path);
    return result;
}

}  // namespace

CommandResult FlashKeepingParameters(PortSession& session, const FirmwareImage& image,
                                     const QString& backupFolder,
                                     const std::function<void(const QString&)>& progress) {
    ShowReadBackProgress(session, progress, QStringLiteral("read"));
    const End end = session.ReadBack();
    if (end == End::Interrupted) {
        CommandResult result = Fault(session, end);
        result.error = QStringLiteral(
                           "%1: interrupted while reading the parameters; nothing "
                           "was sent that changes the controller")
                           .arg(session.PortName());
        return result;
    }
    if (end != End::Done) return Fault(session, end);
    const int versionBefore = session.Core().FirmwareVersion();
    const ParameterValues before = SavedValues(session.Core().Cache(), versionBefore);
    QStringList notes;
    if (const QString held = HeldOutOfRangeNote(session); !held.isEmpty()) notes << held;
    std::optional<BackupOutcome> backup;
    if (!backupFolder.isEmpty()) {
        backup.emplace();
        if (std::optional<CommandResult> stopped =
                WriteBackup(session, backupFolder, QStringLiteral("upgrade"), &notes, &*backup))
            return *stopped;
    }

    FlashStop stop = FlashStop::None;
    CommandResult result = Flash(session, image, progress, &stop);
    result.notes = notes + result.notes;
    if (result.status == kExitInterrupted)
        return Interrupted(result, stop, backup, before, versionBefore);
    if (result.status != kExitOk) return result;

    const std::vector<ParameterDifference> changed =
        DiffParameters(before, session.Core().Cache(), session.Core().FirmwareVersion());
    if (!changed.empty()) {
        CommandResult restored = Restore(session, image.Path(), before, progress);
        if (restored.status == kExitInterrupted) {
            restored.notes = result.notes;
            if (!backup) ListNotPutBack(restored, changed);
            restored.error = QStringLiteral(
                                 "%1: interrupted while the values the new firmware "
                                 "changed were put back; %2")
                                 .arg(session.PortName(),
                                      backup ? QStringLiteral("put them back with vexactl "
                                                              "restore %1")
                                                   .arg(backup->path)
                                             : QStringLiteral("put back the values listed on "
                                                              "stdout with vexactl set"));
            return restored;
        }
        if (restored.status != kExitOk && restored.status != kExitDiffers) {
            restored.notes = result.notes;
            if (!backup) ListNotPutBack(restored, changed);
            PointAtTheValues(restored, backup);
            return restored;
        }
    }
    const std::vector<ParameterDifference> left =
        DiffParameters(before, session.Core().Cache(), session.Core().FirmwareVersion());
    result.lines << (changed.empty()
                         ? QStringLiteral("the new firmware kept every parameter")
                         : QStringLiteral("put back (value after the upgrade, value kept):"));
    for (const QString& line : DifferenceLines(changed))
        result.lines << QStringLiteral("  ") + line;
    result.json = WithMembers(
        result.json,
        {{QStringLiteral("putBack"),
          DifferenceJson(changed, QStringLiteral("upgraded"), QStringLiteral("kept"))}});
    if (!left.empty()) {
        result.status = kExitDiffers;
        result.error = QStringLiteral("%1: %2 parameter(s) could not be put back: %3")
                           .arg(session.PortName())
                           .arg(left.size())
                           .arg(DifferenceLines(left).join(QStringLiteral("; ")));
    }
    return result;
}
