#include "BackupFirst.h"

#include "ParameterBackup.h"

namespace {

using End = PortSession::End;

CommandResult Stopped(const PortSession& session, const QString& why) {
    CommandResult result;
    result.status = kExitLineFault;
    result.error = QStringLiteral("%1: %2; nothing was written to the controller (--no-backup "
                                  "goes ahead without a backup)")
                       .arg(session.PortName(), why);
    return result;
}

}  // namespace

std::optional<CommandResult> BackUpFirst(PortSession& session, const QString& folder,
                                         const QString& action,
                                         const std::function<void(const QString&)>& progress,
                                         QStringList* notes) {
    ShowReadBackProgress(session, progress, QStringLiteral("read for the backup"));
    const End end = session.ReadBack();
    session.onProgress = nullptr;
    if (end != End::Done) return Fault(session, end);
    const ProtocolState& state = session.State();
    const BackupSource source{session.Record().IsComplete(), state.m_nParamCache,
                              session.PortNumber(), state.m_nFwVersion};
    const BackupOutcome outcome = ParameterBackup(folder).Write(source, action);
    if (outcome.kind != BackupOutcome::Kind::Written)
        return Stopped(session, outcome.Describe(true));
    *notes << session.PortName() + QLatin1String(": ") + outcome.Describe(true);
    return std::nullopt;
}
