#include "StandardStreams.h"

#include <cstdio>

#include "WriteAll.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
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

std::optional<QString> WriteToStdout(const QByteArray& bytes) {
    if (std::fflush(stdout) != 0) return SystemErrorText(errno);
    return WriteAll(fileno(stdout), bytes, SystemWriteCalls());
}
