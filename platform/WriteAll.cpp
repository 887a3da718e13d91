#include "WriteAll.h"

#include <cerrno>
#include <cstring>

#include "TerminationSignals.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#else
#include <io.h>
#endif

const WriteCalls& SystemWriteCalls() {
    static const WriteCalls calls{
        [](int fd, const char* data, std::size_t size) -> long {
            return long(::write(fd, data, size));
        },
        [](int fd) {
#ifdef Q_OS_UNIX
            return ::fsync(fd);
#else
            return fd >= 0 ? 0 : -1;
#endif
        }};
    return calls;
}

std::optional<QString> WriteAll(int fd, QByteArrayView bytes, const WriteCalls& calls) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const long n = calls.write(fd, bytes.data() + done, std::size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n == 0) {
            return SystemErrorText(EIO);
        } else if (errno != EINTR || TerminationSignals::Caught() != 0) {
            return SystemErrorText(errno);
        }
    }
    return std::nullopt;
}

QString SystemErrorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }
