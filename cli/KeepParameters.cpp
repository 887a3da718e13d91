#include "KeepParameters.h"

#include "DiffCommand.h"
#include "FileCommands.h"
#include "FlashCommand.h"
#include "ParameterBackup.h"
#include "ParameterDiff.h"
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

QString BackupNote(PortSession& session, const QString& folder) {
    if (folder.isEmpty()) return {};
    const ProtocolState& state = session.State();
    const BackupSource source{session.Record().IsComplete(), state.m_nParamCache,
                              session.PortNumber(), state.m_nFwVersion};
    const BackupOutcome outcome = ParameterBackup(folder).Write(source, QStringLiteral("upgrade"));
    return session.PortName() + QLatin1String(": ") + outcome.Describe(true);
}

}  // namespace

CommandResult FlashKeepingParameters(PortSession& session, const FirmwareImage& image,
                                     const QString& backupFolder,
                                     const std::function<void(const QString&)>& progress) {
    ShowReadBackProgress(session, progress, QStringLiteral("read"));
    const End end = session.ReadBack();
    if (end != End::Done) return Fault(session, end);
    const ParameterValues before =
        SavedValues(session.State().m_nParamCache, session.State().m_nFwVersion);
    QStringList notes;
    if (const QString held = HeldOutOfRangeNote(session); !held.isEmpty()) notes << held;
    if (const QString backup = BackupNote(session, backupFolder); !backup.isEmpty())
        notes << backup;

    CommandResult result = Flash(session, image, progress);
    result.notes = notes + result.notes;
    if (result.status != kExitOk) return result;

    const std::vector<ParameterDifference> changed =
        DiffParameters(before, session.State().m_nParamCache, session.State().m_nFwVersion);
    if (!changed.empty()) {
        CommandResult restored = Restore(session, image.Path(), before, progress);
        if (restored.status != kExitOk && restored.status != kExitDiffers) {
            restored.notes = result.notes;
            return restored;
        }
    }
    const std::vector<ParameterDifference> left =
        DiffParameters(before, session.State().m_nParamCache, session.State().m_nFwVersion);
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
