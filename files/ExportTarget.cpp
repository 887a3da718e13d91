#include "ExportTarget.h"

namespace {

ExportTarget::Kind KindOf(const WriteTarget& found) {
    using Kind = ExportTarget::Kind;
    switch (found.kind) {
        case WriteTarget::Kind::Missing:
            return Kind::Missing;
        case WriteTarget::Kind::Regular:
            return found.writable ? Kind::Regular : Kind::ReadOnly;
        case WriteTarget::Kind::SymbolicLink:
            return Kind::Link;
        case WriteTarget::Kind::Folder:
            return Kind::Folder;
        case WriteTarget::Kind::Fifo:
        case WriteTarget::Kind::Terminal:
            return Kind::Stream;
        case WriteTarget::Kind::OtherNode:
            return Kind::Special;
    }
    return Kind::Special;
}

}  // namespace

ExportTarget InspectExportTarget(const QString& path) {
    const WriteTarget found = InspectWriteTarget(path);
    ExportTarget target;
    target.kind = KindOf(found);
    target.folder = found.folder;
    target.linkTarget = found.linkTarget;
    target.mode = found.mode;
    target.owner = found.owner;
    target.group = found.group;
    // A new or replaced file is made beside it, so the folder must take one.
    const bool madeBeside = target.kind == ExportTarget::Kind::Missing ||
                            target.kind == ExportTarget::Kind::Regular ||
                            target.kind == ExportTarget::Kind::ReadOnly;
    if (madeBeside && found.folderAccess == WriteTarget::FolderAccess::Missing)
        target.kind = ExportTarget::Kind::NoFolder;
    else if (madeBeside && found.folderAccess == WriteTarget::FolderAccess::ReadOnly)
        target.kind = ExportTarget::Kind::FolderReadOnly;
    return target;
}

std::optional<QString> ExportRefusal(const ExportTarget& target, bool force,
                                     const QString& forceHint) {
    using Kind = ExportTarget::Kind;
    switch (target.kind) {
        case Kind::Missing:
        case Kind::Regular:
        case Kind::Stream:
            return std::nullopt;
        case Kind::ReadOnly:
            if (force) return std::nullopt;
            return QStringLiteral("it is read-only%1")
                .arg(forceHint.isEmpty() ? QString() : QStringLiteral("; ") + forceHint);
        case Kind::Link:
            return QStringLiteral(
                       "it is a symbolic link to %1; a link is not written through: give the "
                       "file itself")
                .arg(target.linkTarget);
        case Kind::Folder:
            return QStringLiteral("it is a folder: give the name of the file to write");
        case Kind::Special:
            return QStringLiteral("it is a device node or socket, not a regular file");
        case Kind::NoFolder:
            return QStringLiteral("the folder %1 does not exist").arg(target.folder);
        case Kind::FolderReadOnly:
            return QStringLiteral("the folder %1 cannot be written by this user")
                .arg(target.folder);
    }
    return std::nullopt;
}
