#include "ExportWriter.h"

#include "ExportTarget.h"
#include "InPlaceWrite.h"
#include "WholeFile.h"

namespace {

// A new file, or the old one replaced as a whole with its mode (and owner where allowed).
std::optional<QString> Replace(const QString& path, const ExportTarget& target,
                               const QByteArray& bytes, const WriteCalls& calls) {
    if (target.kind == ExportTarget::Kind::Missing)
        return WriteWholeFile(path, bytes, calls, std::nullopt);
    return WriteWholeFile(path, bytes, calls, target.mode, FileOwner{target.owner, target.group});
}

// A FIFO or terminal, written where it is.
std::optional<QString> WriteToStream(const QString& path, const QByteArray& bytes,
                                     const SaveOptions& options, const WriteCalls& calls) {
    const InPlaceWrite written = WriteInPlace(path, bytes, options.stopWaitingForReader, calls);
    switch (written.kind) {
        case InPlaceWrite::Kind::Written:
            return std::nullopt;
        case InPlaceWrite::Kind::NoReader:
            return QStringLiteral("it is a FIFO that no program is reading");
        case InPlaceWrite::Kind::Interrupted:
            return SaveInterruptedReason();
        case InPlaceWrite::Kind::NotAStream:
            return QStringLiteral("it is no longer a FIFO or terminal");
        case InPlaceWrite::Kind::Failed:
            break;
    }
    return written.reason;
}

}  // namespace

QString SaveInterruptedReason() {
    return QStringLiteral("interrupted while waiting for a program to read the FIFO");
}

std::optional<QString> SaveParameterFile(const QString& path, const QByteArray& bytes,
                                         const SaveOptions& options) {
    const WriteCalls& calls = options.calls ? *options.calls : SystemWriteCalls();
    const ExportTarget target = InspectExportTarget(path);
    if (auto refusal = ExportRefusal(target, options.force, options.forceHint)) return refusal;
    if (target.kind == ExportTarget::Kind::Stream)
        return WriteToStream(path, bytes, options, calls);
    return Replace(path, target, bytes, calls);
}
