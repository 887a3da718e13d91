#include "ExportWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ExportTarget.h"

namespace {

// How often a FIFO is tried again while waiting for its reader.
constexpr int kReaderPollMs = 20;

std::optional<QString> Errno() { return SystemErrorText(errno); }

// A name in the target's folder that no one else uses: hidden, and ending in ".part".
QString PartName(const QString& path) {
    static std::atomic<int> counter = 0;
    const QFileInfo info(path);
    return info.absoluteDir().filePath(QStringLiteral(".%1.%2-%3.part")
                                           .arg(info.fileName())
                                           .arg(::getpid())
                                           .arg(++counter));
}

std::optional<QString> WriteAndClose(int fd, const QByteArray& bytes, const WriteCalls& calls,
                                     bool sync) {
    std::optional<QString> problem = WriteAll(fd, bytes, calls);
    if (!problem && sync && calls.sync(fd) != 0) problem = Errno();
    if (::close(fd) != 0 && !problem) problem = Errno();
    return problem;
}

std::optional<QString> Replace(const QString& path, const ExportTarget& target,
                               const QByteArray& bytes, const WriteCalls& calls) {
    const QString part = PartName(path);
    const QByteArray partName = QFile::encodeName(part);
    const bool replacing = target.kind != ExportTarget::Kind::Missing;
    const int fd = ::open(partName.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return Errno();
    if (replacing) {
        [[maybe_unused]] const int owned = ::fchown(fd, target.owner, target.group);  // root only
        if (::fchmod(fd, target.mode) != 0) {
            const std::optional<QString> problem = Errno();
            ::close(fd);
            ::unlink(partName.constData());
            return problem;
        }
    }
    std::optional<QString> problem = WriteAndClose(fd, bytes, calls, true);
    // rename replaces whatever is at path now, a link included, never what a link points to.
    if (!problem && ::rename(partName.constData(), QFile::encodeName(path).constData()) != 0)
        problem = Errno();
    if (problem) ::unlink(partName.constData());
    return problem;
}

// A FIFO opened for writing blocks until someone reads; opened non-blocking it says ENXIO.
int OpenStream(const QByteArray& name, const SaveOptions& options) {
    const int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(name.constData(), flags);
    while (fd < 0 && errno == ENXIO && options.stopWaitingForReader) {
        if (options.stopWaitingForReader()) {
            errno = EINTR;
            return -1;
        }
        QThread::msleep(kReaderPollMs);
        fd = ::open(name.constData(), flags);
    }
    return fd;
}

std::optional<QString> WriteInPlace(const QString& path, const QByteArray& bytes,
                                    const SaveOptions& options, const WriteCalls& calls) {
    const int fd = OpenStream(QFile::encodeName(path), options);
    if (fd < 0) {
        if (errno == EINTR) return SaveInterruptedReason();
        if (errno == ENXIO) return QStringLiteral("it is a FIFO that no program is reading");
        return Errno();
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !(S_ISFIFO(info.st_mode) || ::isatty(fd) == 1)) {
        ::close(fd);
        return QStringLiteral("it is no longer a FIFO or terminal");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return WriteAndClose(fd, bytes, calls, false);
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
        return WriteInPlace(path, bytes, options, calls);
    return Replace(path, target, bytes, calls);
}
