#include "WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>

namespace {

std::optional<QString> Errno() { return SystemErrorText(errno); }

// A name in the target's folder that no one else uses: hidden, and ending in ".part".
QString PartName(const QString& path) {
    static std::atomic<int> counter = 0;
    const QFileInfo info(path);
    return info.absoluteDir().filePath(
        QStringLiteral(".%1.%2-%3.part").arg(info.fileName()).arg(::getpid()).arg(++counter));
}

// The rename is on the disk only once the folder is: a crash right after it must not bring
// the old file back without the new one's bytes. Best effort: not every file system can.
void SyncFolder(const QString& path) {
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    [[maybe_unused]] const int synced = ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::optional<QString> WriteWholeFile(const QString& path, QByteArrayView bytes,
                                      const WriteCalls& calls, std::optional<mode_t> mode,
                                      std::optional<FileOwner> owner) {
    const QByteArray partName = QFile::encodeName(PartName(path));
    const int fd =
        ::open(partName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return Errno();
    if (owner) [[maybe_unused]]
        const int owned = ::fchown(fd, owner->user, owner->group);
    std::optional<QString> problem;
    if (mode && ::fchmod(fd, *mode) != 0) problem = Errno();
    if (!problem) problem = WriteAll(fd, bytes, calls);
    if (!problem && calls.sync(fd) != 0) problem = Errno();
    if (::close(fd) != 0 && !problem) problem = Errno();
    if (!problem && ::rename(partName.constData(), QFile::encodeName(path).constData()) != 0)
        problem = Errno();
    if (problem) {
        ::unlink(partName.constData());
        return problem;
    }
    SyncFolder(path);
    return std::nullopt;
}
