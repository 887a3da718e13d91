#include "FileCommands.h"

#include <span>
#include <variant>

#include "BulkWriteChain.h"
#include "ExportTarget.h"
#include "ParamTable.h"
#include "ParameterDiff.h"
#include "ParameterExport.h"
#include "ParameterRestore.h"
#include "ReadBackChain.h"
#include "SessionNotes.h"
#include "TerminationSignals.h"

namespace {

using End = PortSession::End;

constexpr char kStdout[] = "-";
const QString kForceHint = QStringLiteral("give --force to replace it");

QString Letter(char letter) { return QString(QLatin1Char(letter)); }

// A letter's value in the cache or in a file's values (both by cache slot): the slot, or the
// mask of a bit field's slots.
int ValueAt(char letter, std::span<const int> cells) {
    if (BitCountOf(letter) > 0) return MaskFromCache(letter, cells);
    const std::optional<int> slot = CacheSlotOf(letter);
    return slot && *slot < int(cells.size()) ? cells[*slot] : 0;
}

// The session's restore with every link of the bulk write on the progress line; a restore that
// waits in vain for an echo ends the wait.
class RestoreRun {
public:
    RestoreRun(PortSession& session, const std::function<void(const QString&)>& progress)
        : m_session(session), m_progress(progress) {
        session.onBulkWriteLinkSent = [this](char) {
            m_progress(QStringLiteral("restore %1/%2").arg(++m_nSent).arg(kLinks));
        };
        session.onChainEnded = [this](const ChainEnd& end) {
            if (end.chain != Chain::Restore) return;
            if (end.result == ChainResult::Done) m_bFinished = true;
            if (end.result != ChainResult::NoAnswer) return;
            m_cStopped = end.letter;
            m_session.CheckDone();
        };
    }
    ~RestoreRun() {
        m_session.onBulkWriteLinkSent = nullptr;
        m_session.onChainEnded = nullptr;
    }

    // Parameters whose echo came: every one sent but the last, until the write has ended.
    int Confirmed() const { return m_bFinished ? kLinks - 1 : std::max(0, m_nSent - 2); }
    static constexpr int Parameters() { return kLinks - 1; }

    End Run(const ParameterValues& values) {
        return m_session.RunThenReadBack([&] { m_session.Core().Restore(values); },
                                         [this] { return m_cStopped != 0; });
    }
    char Stopped() const { return m_cStopped; }
    // Links that went out, the announcement included; whether the controller echoed the last.
    int Sent() const { return m_nSent; }
    bool Finished() const { return m_bFinished; }

private:
    // The announcement and one link per value.
    static constexpr int kLinks = int(kBulkWriteOrder.size()) + 1;

    PortSession& m_session;
    const std::function<void(const QString&)>& m_progress;
    int m_nSent = 0;
    bool m_bFinished = false;
    char m_cStopped = 0;
};

// A restore ended by an interruption, taken before the next link: how far it got and how to
// finish it or go back.
CommandResult RestoreInterrupted(const PortSession& session, const RestoreRun& run,
                                 const QString& file, const QString& backupPath) {
    CommandResult result;
    result.status = kExitInterrupted;
    const QString port = session.PortName();
    const QString back =
        backupPath.isEmpty()
            ? QString()
            : QStringLiteral(", or put back the values from before with vexactl restore %1")
                  .arg(backupPath);
    if (run.Sent() == 0) {
        result.error =
            QStringLiteral("%1: interrupted before the restore; nothing was sent").arg(port);
    } else if (run.Finished()) {
        result.error = QStringLiteral(
                           "%1: interrupted after the restore: all %2 parameters went out, the "
                           "read-back after it did not finish; vexactl diff %3 checks them")
                           .arg(port)
                           .arg(RestoreRun::Parameters())
                           .arg(file);
    } else {
        result.error = QStringLiteral(
                           "%1: interrupted after %2 of %3 parameters went out; those after "
                           "them are as they were: restore %4 again%5")
                           .arg(port)
                           .arg(run.Sent() - 1)
                           .arg(RestoreRun::Parameters())
                           .arg(file, back);
    }
    return result;
}

}  // namespace

bool PrepareExport(const QString& file, bool force, QString* error) {
    if (file == QLatin1String(kStdout)) return true;
    const std::optional<QString> refusal =
        ExportRefusal(InspectExportTarget(file), force, kForceHint);
    if (!refusal) return true;
    *error = QStringLiteral("%1 is not written: %2; nothing was sent").arg(file, *refusal);
    return false;
}

bool PrepareRestore(const QString& file, ParameterValues* values, QString* error) {
    const auto read = ReadRestorableFile(file);
    if (const auto* refusal = std::get_if<RestoreFileRefusal>(&read)) {
        *error = refusal->problem ? QStringLiteral("%1 cannot be restored, nothing was sent: %2")
                                        .arg(file, refusal->problem->Describe(true))
                                  : QStringLiteral("cannot read %1 (%2); nothing was sent")
                                        .arg(file, refusal->unreadable);
        return false;
    }
    *values = std::get<ParameterValues>(read);
    return true;
}

// The file's bytes at the place FILE names; a FIFO nobody reads yet is waited for until a
// termination signal comes.
std::optional<QString> SaveExport(const QString& file, const QByteArray& bytes, bool force) {
    SaveOptions options;
    options.force = force;
    options.forceHint = kForceHint;
    options.stopWaitingForReader = [] { return TerminationSignals::Caught() != 0; };
    return SaveParameterFile(file, bytes, options);
}

CommandResult Export(PortSession& session, const QString& file, bool force,
                     const std::function<void(const QString&)>& progress) {
    ShowReadBackProgress(session, progress, QStringLiteral("read"));
    const End end = session.ReadBack();
    if (end != End::Done) return Fault(session, end);
    const QByteArray bytes = ParameterFileBytes(session.Core().Cache(), session.PortNumber(),
                                                session.Core().FirmwareVersion());
    CommandResult result;
    if (const QString held = HeldOutOfRangeNote(session); !held.isEmpty()) result.notes << held;
    if (file == QLatin1String(kStdout)) {
        result.raw = bytes;
        return result;
    }
    if (const std::optional<QString> reason = SaveExport(file, bytes, force)) {
        result.status = *reason == SaveInterruptedReason() ? kExitInterrupted : kExitLineFault;
        result.error = QStringLiteral("%1 was not written (%2)").arg(file, *reason);
        return result;
    }
    const QString version = FirmwareVersionText(session.FirmwareVersion().value_or(0));
    result.lines << QStringLiteral("%1: %2 bytes, COM%3, firmware %4")
                        .arg(file)
                        .arg(bytes.size())
                        .arg(session.PortNumber())
                        .arg(version);
    result.json = JsonObject({{QStringLiteral("file"), JsonString(file)},
                              {QStringLiteral("bytes"), QString::number(bytes.size())},
                              {QStringLiteral("com"), QString::number(session.PortNumber())},
                              {QStringLiteral("version"), JsonString(version)}});
    return result;
}

CommandResult Restore(PortSession& session, const QString& file, const ParameterValues& values,
                      const std::function<void(const QString&)>& progress,
                      const QString& backupPath) {
    RestoreRun run(session, progress);
    ShowReadBackProgress(session, progress, QStringLiteral("restored, read"));
    const End end = run.Run(values);
    if (end == End::Interrupted) return RestoreInterrupted(session, run, file, backupPath);
    // A lost line shows either as such or as a refused send on the port it closed.
    if (end == End::LineLost || (end == End::Failed && !session.Core().PortOpen())) {
        CommandResult result;
        result.status = kExitLineFault;
        result.error = QStringLiteral(
                           "%1: the line was lost after %2 of %3 parameters; those after "
                           "them may not be in the controller: check the cable and the "
                           "adapter, then restore the file again")
                           .arg(session.PortName())
                           .arg(run.Confirmed())
                           .arg(RestoreRun::Parameters());
        return result;
    }
    if (end != End::Done) return Fault(session, end);
    if (const char letter = run.Stopped()) {
        CommandResult result;
        result.status = kExitLineFault;
        result.error = QStringLiteral(
                           "%1: no echo of %2 within %3 s; the values before it are in the "
                           "controller, this one and those after it may not be: check the "
                           "connection and restore the file again")
                           .arg(session.PortName(), RestoreLinkName(letter, true))
                           .arg(CControllerSession::kRestoreEchoTimeout.count() / 1000.0);
        return result;
    }
    // The read-back after the bulk write has filled the cache: every letter sent is compared.
    // Both sides in the file's form: the cache as an export of it would save it.
    const std::span<const int> cache = session.Core().Cache();
    const std::string differing =
        LettersNotReadBack(values, cache, session.Core().FirmwareVersion());
    const ParameterValues readBack = SavedValues(cache, session.Core().FirmwareVersion());
    QStringList differences, lines;
    for (char letter : differing) {
        const int restored = ValueAt(letter, values);
        const int read = ValueAt(letter, readBack);
        differences << JsonObject({{QStringLiteral("letter"), JsonString(Letter(letter))},
                                   {QStringLiteral("restored"), QString::number(restored)},
                                   {QStringLiteral("read"), QString::number(read)}});
        lines << QStringLiteral("%1 differs: %2 was restored, %3 read back")
                     .arg(Letter(letter))
                     .arg(restored)
                     .arg(read);
    }
    CommandResult result =
        ReadBackResult(session, {{QStringLiteral("file"), JsonString(file)}},
                       {{QStringLiteral("differences"), JsonArray(differences)}});
    result.lines << lines;
    if (!differing.empty()) {
        result.status = kExitDiffers;
        result.error = QStringLiteral("%1: %2 restored value%3 read back otherwise (%4)")
                           .arg(session.PortName())
                           .arg(differing.size())
                           .arg(differing.size() == 1 ? QString() : QStringLiteral("s"))
                           .arg(QString::fromStdString(differing));
    }
    return result;
}
