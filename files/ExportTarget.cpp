#include "ExportTarget.h"

#include "NativeName.h"

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsTerminal(const QByteArray& name) {
    const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}

ExportTarget::Kind KindOf(const struct stat& info, const QByteArray& name) {
    if (S_ISLNK(info.st_mode)) return ExportTarget::Kind::Link;
    if (S_ISDIR(info.st_mode)) return ExportTarget::Kind::Folder;
    if (S_ISFIFO(info.st_mode)) return ExportTarget::Kind::Stream;
    if (S_ISCHR(info.st_mode) && IsTerminal(name)) return ExportTarget::Kind::Stream;
    if (!S_ISREG(info.st_mode)) return ExportTarget::Kind::Special;
    // Read-only by its mode, or to this user: root may write a 0444 file, but its owner meant
    // it to stay as it is.
    const bool writable = (info.st_mode & 0222) != 0 && ::access(name.constData(), W_OK) == 0;
    return writable ? ExportTarget::Kind::Regular : ExportTarget::Kind::ReadOnly;
}

}  // namespace

ExportTarget InspectExportTarget(const QString& path) {
    ExportTarget target;
    const QFileInfo info(path);
    target.folder = info.absolutePath();
    const QByteArray name = NativeName(path);
    struct stat found {};
    if (::lstat(name.constData(), &found) == 0) {
        target.kind = KindOf(found, name);
        target.mode = found.st_mode & 07777;
        target.owner = found.st_uid;
        target.group = found.st_gid;
        if (target.kind == ExportTarget::Kind::Link) target.linkTarget = info.symLinkTarget();
        if (target.kind != ExportTarget::Kind::Regular && target.kind != ExportTarget::Kind::ReadOnly)
            return target;
    }
    // A new or replaced file is made beside it, so the folder must take one.
    const QByteArray folder = NativeName(target.folder);
    struct stat folderInfo {};
    if (::stat(folder.constData(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode))
        target.kind = ExportTarget::Kind::NoFolder;
    else if (::access(folder.constData(), W_OK | X_OK) != 0)
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
            return QStringLiteral("the folder %1 cannot be written by this user").arg(target.folder);
    }
    return std::nullopt;
}
