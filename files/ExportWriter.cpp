#include "ExportWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QThread>
#include <cerrno>

#include "ExportTarget.h"
#include "NativeName.h"
#include "WholeFile.h"

namespace {

// How often a FIFO is tried again while waiting for its reader.
constexpr int kReaderPollMs = 20;

std::optional<QString> Errno() { return SystemErrorText(errno); }

std::optional<QString> WriteAndClose(int fd, const QByteArray& bytes, const WriteCalls& calls) {
    std::optional<QString> problem = WriteAll(fd, bytes, calls);
    if (::close(fd) != 0 && !problem) problem = Errno();
    return problem;
}

// A new file, or the old one replaced as a whole with its mode (and owner where allowed).
std::optional<QString> Replace(const QString& path, const ExportTarget& target,
                               const QByteArray& bytes, const WriteCalls& calls) {
    if (target.kind == ExportTarget::Kind::Missing)
        return WriteWholeFile(path, bytes, calls, std::nullopt);
    return WriteWholeFile(path, bytes, calls, target.mode, FileOwner{target.owner, target.group});
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
    const int fd = OpenStream(NativeName(path), options);
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
    return WriteAndClose(fd, bytes, calls);
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
    if (target.kind == ExportTarget::Kind::Stream) return WriteInPlace(path, bytes, options, calls);
    return Replace(path, target, bytes, calls);
}
