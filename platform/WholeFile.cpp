#include "WholeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <atomic>
#include <cerrno>

#include "NativeName.h"

namespace {

// The longest name one folder entry may have on the file systems the program writes to.
constexpr qsizetype kNameMax = 255;

std::optional<QString> Errno() { return SystemErrorText(errno); }

QByteArray Native(const QString& path) { return NativeName(path); }

// The folder of path and its last name, as the system spells them.
QByteArray FolderOf(const QString& path) { return Native(QFileInfo(path).absolutePath()); }

// A name in the target's folder that no one else uses: hidden, and ending in ".PID-N.part".
// A target's name long enough to take the hidden name past the longest name a folder entry may
// have is shortened in it, so that every name that can be written has a hidden name too.
QByteArray PartName(const QString& path) {
    static std::atomic<int> counter = 0;
    const QByteArray suffix =
        '.' + QByteArray::number(::getpid()) + '-' + QByteArray::number(++counter) + ".part";
    QByteArray name = Native(QFileInfo(path).fileName());
    const qsizetype room = kNameMax - 1 - suffix.size();
    if (name.size() > room) name.truncate(room);
    return FolderOf(path) + "/." + name + suffix;
}

// The rename is on the disk only once the folder is: a crash right after it must not bring
// the old file back without the new one's bytes. Best effort: not every file system can.
void SyncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    [[maybe_unused]] const int synced = ::fsync(fd);
    ::close(fd);
}

bool IsRunning(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

}  // namespace

void RemoveStalePartFiles(const QByteArray& folder) {
    static const QRegularExpression kPart(
        QStringLiteral("^\\..*\\.([1-9][0-9]{0,9})-[0-9]+\\.part$"),
        QRegularExpression::DotMatchesEverythingOption);
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        // The pattern is read from the name's bytes as Latin-1: every byte is one character.
        const QRegularExpressionMatch match = kPart.match(QString::fromLatin1(entry->d_name));
        if (!match.hasMatch()) continue;
        const pid_t pid = pid_t(match.captured(1).toLongLong());
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        // Only this user's own part files, of a program that no longer runs.
        if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || pid == ::getpid() ||
            IsRunning(pid))
            continue;
        ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

PartFile WritePartFile(const QString& path, QByteArrayView bytes, const WriteCalls& calls,
                       std::optional<mode_t> mode, std::optional<FileOwner> owner) {
    RemoveStalePartFiles(FolderOf(path));
    PartFile part;
    part.name = PartName(path);
    const int fd =
        ::open(part.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        part.problem = Errno();
        part.name.clear();
        return part;
    }
    if (owner) [[maybe_unused]]
        const int owned = ::fchown(fd, owner->user, owner->group);
    if (mode && ::fchmod(fd, *mode) != 0) part.problem = Errno();
    if (!part.problem) part.problem = WriteAll(fd, bytes, calls);
    if (!part.problem && calls.sync(fd) != 0) part.problem = Errno();
    if (::close(fd) != 0 && !part.problem) part.problem = Errno();
    if (part.problem) {
        ::unlink(part.name.constData());
        part.name.clear();
    }
    return part;
}

int RenameNoReplace(const QByteArray& from, const QByteArray& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
#endif
    // A file system without it: a hard link never replaces either.
    if (::link(from.constData(), to.constData()) != 0) return -1;
    ::unlink(from.constData());
    return 0;
}

std::optional<QString> WriteWholeFile(const QString& path, QByteArrayView bytes,
                                      const WriteCalls& calls, std::optional<mode_t> mode,
                                      std::optional<FileOwner> owner) {
    const PartFile part = WritePartFile(path, bytes, calls, mode, owner);
    if (part.problem) return part.problem;
    if (::rename(part.name.constData(), Native(path).constData()) != 0) {
        const std::optional<QString> problem = Errno();
        ::unlink(part.name.constData());
        return problem;
    }
    SyncFolder(FolderOf(path));
    return std::nullopt;
}

void SyncFolderOf(const QString& path) { SyncFolder(FolderOf(path)); }
