#include "KeptFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "NativeName.h"
#include "WholeFile.h"

namespace {

constexpr mode_t kPrivateFolder = 0700;
constexpr mode_t kPrivateFile = 0600;
// Enough for every writer of one second; past it something else is wrong.
constexpr int kMaxNameTries = 9999;

QByteArray Native(const QString& path) { return NativeName(path); }

// Why what lstat found at a kept file's path may not be written.
std::optional<QString> RefusalOf(const struct stat& found, const QString& path) {
    if (S_ISREG(found.st_mode)) return std::nullopt;
    if (S_ISLNK(found.st_mode))
        return QStringLiteral("it is a symbolic link to %1, which is not written through")
            .arg(QFileInfo(path).symLinkTarget());
    if (S_ISDIR(found.st_mode)) return QStringLiteral("it is a folder");
    return QStringLiteral("it is %1, not a regular file").arg(DescribeFileType(path, false));
}

}  // namespace

std::variant<QByteArray, FileRefusal> ReadKeptFile(const QString& path, qint64 maxBytes) {
    return ReadRegularFile(path, maxBytes, LinkRule::Refuse);
}

std::optional<QString> MakeKeptFolder(const QString& folder) {
    const QString absolute = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    struct stat found {};
    if (::stat(Native(absolute).constData(), &found) == 0) {
        if (S_ISDIR(found.st_mode)) return std::nullopt;
        return QStringLiteral("%1 is %2, not a folder")
            .arg(absolute, DescribeFileType(absolute, true));
    }
    if (errno != ENOENT)
        return QStringLiteral("the folder %1 cannot be reached (%2)")
            .arg(absolute, SystemErrorText(errno));
    const QString parent = QFileInfo(absolute).path();
    if (parent != absolute)
        if (std::optional<QString> problem = MakeKeptFolder(parent)) return problem;
    if (::mkdir(Native(absolute).constData(), kPrivateFolder) == 0) return std::nullopt;
    const int error = errno;
    // Made by another process meanwhile is fine; a link that leads nowhere is not.
    if (error == EEXIST && ::stat(Native(absolute).constData(), &found) == 0 &&
        S_ISDIR(found.st_mode))
        return std::nullopt;
    if (error == EEXIST)
        return QStringLiteral("the folder %1 cannot be made: %2 is in its place")
            .arg(absolute, DescribeFileType(absolute, false));
    return QStringLiteral("the folder %1 cannot be made (%2)")
        .arg(absolute, SystemErrorText(error));
}

std::optional<QString> WriteKeptFile(const QString& path, QByteArrayView bytes,
                                     const WriteCalls* calls) {
    if (std::optional<QString> problem = MakeKeptFolder(QFileInfo(path).absolutePath()))
        return problem;
    const WriteCalls& system = calls ? *calls : SystemWriteCalls();
    struct stat found {};
    if (::lstat(Native(path).constData(), &found) != 0) {
        if (errno != ENOENT) return SystemErrorText(errno);
        return WriteWholeFile(path, bytes, system, kPrivateFile);
    }
    if (std::optional<QString> refusal = RefusalOf(found, path)) return refusal;
    return WriteWholeFile(path, bytes, system, found.st_mode & 07777,
                          FileOwner{found.st_uid, found.st_gid});
}

std::optional<ChangeTime> KeptFileChangeTime(const QString& path) {
    struct stat info {};
    if (::lstat(Native(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return ChangeTime{qint64(info.st_ctim.tv_sec), long(info.st_ctim.tv_nsec)};
}

NewKeptFile WriteNewKeptFile(const QString& folder, const std::function<QString(int)>& nameFor,
                             QByteArrayView bytes, const WriteCalls* calls) {
    NewKeptFile written;
    written.path = QDir(folder).filePath(nameFor(1));
    if ((written.problem = MakeKeptFolder(folder))) return written;
    // The whole file first, under a hidden name: a kill at any moment leaves no partial file
    // under a kept name, only a part file that the next write to the folder removes.
    const PartFile part =
        WritePartFile(written.path, bytes, calls ? *calls : SystemWriteCalls(), kPrivateFile);
    if ((written.problem = part.problem)) return written;
    for (int n = 1; n <= kMaxNameTries; ++n) {
        written.path = QDir(folder).filePath(nameFor(n));
        if (RenameNoReplace(part.name, Native(written.path)) == 0) {
            SyncFolderOf(written.path);
            return written;
        }
        if (errno == EEXIST) continue;
        written.problem = SystemErrorText(errno);
        ::unlink(part.name.constData());
        return written;
    }
    ::unlink(part.name.constData());
    written.problem = QStringLiteral("every name of that second is taken");
    return written;
}
