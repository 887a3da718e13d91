#include "InPlaceWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QThread>
#include <cerrno>

#include "NativeName.h"

namespace {

// How often a FIFO is tried again while waiting for its reader.
constexpr int kReaderPollMs = 20;

// A FIFO opened for writing blocks until someone reads; opened non-blocking it says ENXIO.
int OpenStream(const QByteArray& name, const std::function<bool()>& stopWaitingForReader) {
    const int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(name.constData(), flags);
    while (fd < 0 && errno == ENXIO && stopWaitingForReader) {
        if (stopWaitingForReader()) {
            errno = EINTR;
            return -1;
        }
        QThread::msleep(kReaderPollMs);
        fd = ::open(name.constData(), flags);
    }
    return fd;
}

}  // namespace

InPlaceWrite WriteInPlace(const QString& path, QByteArrayView bytes,
                          const std::function<bool()>& stopWaitingForReader,
                          const WriteCalls& calls) {
    const int fd = OpenStream(NativeName(path), stopWaitingForReader);
    if (fd < 0) {
        if (errno == EINTR) return {InPlaceWrite::Kind::Interrupted, {}};
        if (errno == ENXIO) return {InPlaceWrite::Kind::NoReader, {}};
        return {InPlaceWrite::Kind::Failed, SystemErrorText(errno)};
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !(S_ISFIFO(info.st_mode) || ::isatty(fd) == 1)) {
        ::close(fd);
        return {InPlaceWrite::Kind::NotAStream, {}};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::optional<QString> problem = WriteAll(fd, bytes, calls);
    if (::close(fd) != 0 && !problem) problem = SystemErrorText(errno);
    if (problem) return {InPlaceWrite::Kind::Failed, *problem};
    return {};
}
