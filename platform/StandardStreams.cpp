#include "StandardStreams.h"

#include <algorithm>
#include <cstdio>

#include "WriteAll.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#endif

void GuardStandardStreams() {
#ifdef Q_OS_UNIX
    std::signal(SIGPIPE, SIG_IGN);
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int held = ::open("/dev/null", O_RDONLY);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
#endif
}

bool StderrIsTerminal() {
#ifdef Q_OS_UNIX
    return ::isatty(STDERR_FILENO) == 1;
#else
    return false;
#endif
}

std::optional<QString> WriteToStdout(const QByteArray& bytes) {
    if (std::fflush(stdout) != 0) return SystemErrorText(errno);
    return WriteAll(fileno(stdout), bytes, SystemWriteCalls());
}

#ifdef Q_OS_UNIX

namespace {

// Waits until the stream takes more or a stop is asked for; true when it may be written (also
// after a stop: what the stream takes is still written).
bool AwaitStream(int fd, int stopFd) {
    pollfd watched[2] = {{fd, POLLOUT, 0}, {stopFd, POLLIN, 0}};
    const nfds_t count = stopFd >= 0 ? 2 : 1;
    for (;;) {
        if (::poll(watched, count, -1) < 0) {
            if (errno == EINTR) continue;
            return true;  // the write says what is wrong
        }
        if (watched[0].revents != 0) return true;
        if (count == 2 && (watched[1].revents & POLLIN)) return false;
    }
}

}  // namespace

static StdoutWrite WriteToStreamUnlessStopped(int fd, const QByteArray& bytes, int stopFd) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        if (!AwaitStream(fd, stopFd)) return {StdoutWrite::Kind::Stopped, {}};
        const std::size_t chunk = std::size_t(std::min<qsizetype>(bytes.size() - done, PIPE_BUF));
        const ssize_t n = ::write(fd, bytes.constData() + done, chunk);
        if (n > 0)
            done += n;
        else if (n == 0)
            return {StdoutWrite::Kind::Failed, SystemErrorText(EIO)};
        else if (errno == EPIPE)
            return {StdoutWrite::Kind::ReaderGone, SystemErrorText(errno)};
        else if (errno != EINTR && errno != EAGAIN)
            return {StdoutWrite::Kind::Failed, SystemErrorText(errno)};
    }
    return {};
}

StdoutWrite WriteToStdoutUnlessStopped(const QByteArray& bytes, int stopFd) {
    if (std::fflush(stdout) != 0) return {StdoutWrite::Kind::Failed, SystemErrorText(errno)};
    return WriteToStreamUnlessStopped(STDOUT_FILENO, bytes, stopFd);
}

StdoutWrite WriteToStderrUnlessStopped(const QByteArray& bytes, int stopFd) {
    std::fflush(stderr);
    return WriteToStreamUnlessStopped(STDERR_FILENO, bytes, stopFd);
}

#else

StdoutWrite WriteToStdoutUnlessStopped(const QByteArray& bytes, int) {
    if (const std::optional<QString> reason = WriteToStdout(bytes))
        return {StdoutWrite::Kind::Failed, *reason};
    return {};
}

StdoutWrite WriteToStderrUnlessStopped(const QByteArray& bytes, int) {
    std::fputs(bytes.constData(), stderr);
    std::fflush(stderr);
    return {};
}

#endif
