#include "WriteTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>

#include "NativeName.h"

namespace {

bool IsTerminal(const QByteArray& name) {
    const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}

WriteTarget::Kind KindOf(const struct stat& info, const QByteArray& name) {
    using Kind = WriteTarget::Kind;
    if (S_ISLNK(info.st_mode)) return Kind::SymbolicLink;
    if (S_ISDIR(info.st_mode)) return Kind::Folder;
    if (S_ISFIFO(info.st_mode)) return Kind::Fifo;
    if (S_ISCHR(info.st_mode) && IsTerminal(name)) return Kind::Terminal;
    if (!S_ISREG(info.st_mode)) return Kind::OtherNode;
    return Kind::Regular;
}

WriteTarget::FolderAccess AccessTo(const QString& folder) {
    const QByteArray name = NativeName(folder);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return WriteTarget::FolderAccess::Missing;
    if (::access(name.constData(), W_OK | X_OK) != 0) return WriteTarget::FolderAccess::ReadOnly;
    return WriteTarget::FolderAccess::Writable;
}

}  // namespace

WriteTarget InspectWriteTarget(const QString& path) {
    WriteTarget target;
    const QFileInfo info(path);
    target.folder = info.absolutePath();
    const QByteArray name = NativeName(path);
    struct stat found {};
    if (::lstat(name.constData(), &found) == 0) {
        target.kind = KindOf(found, name);
        target.mode = found.st_mode & 07777;
        target.owner = found.st_uid;
        target.group = found.st_gid;
        if (target.kind == WriteTarget::Kind::SymbolicLink)
            target.linkTarget = info.symLinkTarget();
        if (target.kind == WriteTarget::Kind::Regular)
            target.writable = (found.st_mode & 0222) != 0 && ::access(name.constData(), W_OK) == 0;
    }
    target.folderAccess = AccessTo(target.folder);
    return target;
}
