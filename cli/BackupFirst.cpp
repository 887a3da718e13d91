#include "BackupFirst.h"

namespace {

using End = PortSession::End;

// A backup asked for and not written stops the command: the values it would keep exist nowhere
// else once the command has overwritten them.
CommandResult BackupFailed(const PortSession& session, const BackupOutcome& outcome) {
    CommandResult result;
    result.status = kExitLineFault;
    result.error = QStringLiteral(
                       "%1: %2; nothing was sent (give --no-backup to go ahead "
                       "without a backup file)")
                       .arg(session.PortName(), outcome.Describe(true));
    return result;
}

}  // namespace

std::optional<CommandResult> WriteBackup(PortSession& session, const QString& folder,
                                         const QString& action, QStringList* notes,
                                         BackupOutcome* written) {
    const BackupSource source =
        BackupSource::FromReadBack(session.Record(), session.Core().Cache(),
                                   session.Core().FirmwareVersion(), session.PortNumber());
    const BackupOutcome outcome = ParameterBackup(folder).Write(source, action);
    if (outcome.kind != BackupOutcome::Kind::Written) {
        CommandResult stopped = BackupFailed(session, outcome);
        stopped.notes = *notes;
        return stopped;
    }
    *notes << session.PortName() + QLatin1String(": ") + outcome.Describe(true);
    if (written) *written = outcome;
    return std::nullopt;
}

std::optional<CommandResult> BackUpFirst(PortSession& session, const QString& folder,
                                         const QString& action,
                                         const std::function<void(const QString&)>& progress,
                                         QStringList* notes, BackupOutcome* written) {
    ShowReadBackProgress(session, progress, QStringLiteral("read for the backup"));
    const End end = session.ReadBack();
    session.onProgress = nullptr;
    if (end == End::Interrupted) {
        CommandResult result = Fault(session, end);
        result.error = QStringLiteral(
                           "%1: interrupted while reading for the backup; nothing "
                           "was sent that changes the controller")
                           .arg(session.PortName());
        return result;
    }
    if (end != End::Done) return Fault(session, end);
    return WriteBackup(session, folder, action, notes, written);
}
