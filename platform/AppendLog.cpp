#include "AppendLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "KeptFiles.h"
#include "NativeName.h"

namespace {

constexpr int kFlags =
    O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
constexpr mode_t kPrivateFile = 0600;
// Another program rotating the log holds its lock this long at most: a rename.
constexpr int kLockTries = 20;
constexpr auto kLockPause = std::chrono::milliseconds(2);

// The size of the regular file open on fd; -1 when it is anything else.
qint64 RegularSize(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return qint64(info.st_size);
}

// The lock another program rotating the same log holds, taken in turn; false when it cannot be
// had (a file system without locks, a holder that keeps it).
bool LockForRotation(int fd) {
    for (int tries = 0; tries < kLockTries; ++tries) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        std::this_thread::sleep_for(kLockPause);
    }
    return false;
}

// Whether fd is still the file at path: another program may have moved it to PATH.1 meanwhile.
bool StillAt(int fd, const QByteArray& path) {
    struct stat opened {
    }, named{};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool IsRegularOrMissing(const QByteArray& path) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0) return errno == ENOENT;
    return S_ISREG(info.st_mode);
}

}  // namespace

QByteArray LogLinePrefix() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    ::localtime_r(&now.tv_sec, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    char zone[8];
    std::strftime(zone, sizeof zone, "%z", &local);  // "+0100"
    char prefix[96];
    std::snprintf(prefix, sizeof prefix, "%s.%03ld%.3s:%.2s [%ld] ", date,
                  long(now.tv_nsec / 1000000), zone, zone + 3, long(::getpid()));
    return QByteArray(prefix);
}

int AppendLog::Open(std::optional<QString>* problem) const {
    std::optional<QString> ignored;
    std::optional<QString>& why = problem ? *problem : ignored;
    // Nothing but a regular file (or none yet) is opened at all: opening a device node can do
    // something by itself.
    if (!IsRegularOrMissing(m_path)) {
        why = QStringLiteral("it is %1, not a regular file")
                  .arg(DescribeFileType(NameFromNative(m_path), false));
        return -1;
    }
    int fd = ::open(m_path.constData(), kFlags, kPrivateFile);
    if (fd < 0 && errno == ENOENT) {
        const QByteArray folder = m_path.left(m_path.lastIndexOf('/'));
        if (folder.isEmpty()) {
            why = SystemErrorText(ENOENT);
            return -1;
        }
        if ((why = MakeKeptFolder(QString::fromLocal8Bit(folder)))) return -1;
        fd = ::open(m_path.constData(), kFlags, kPrivateFile);
    }
    if (fd < 0) why = SystemErrorText(errno);
    return fd;
}

std::optional<QString> AppendLog::Check() const {
    std::optional<QString> problem;
    const int fd = Open(&problem);
    if (fd >= 0) ::close(fd);
    return problem;
}

void AppendLog::Append(QByteArrayView text) const {
    // One line never fills the log by itself.
    const QByteArray line =
        LogLinePrefix() + text.first(std::min(text.size(), qsizetype(m_limit / 16))).toByteArray() +
        '\n';
    int fd = Open();
    if (fd < 0) return;
    qint64 size = RegularSize(fd);
    if (size >= 0 && size + line.size() > m_limit && size > 0 && LockForRotation(fd)) {
        // The full log becomes the one old file and the line starts a new one, under the log's
        // lock: a second program about to rotate finds the log moved already and writes to
        // the new one instead of moving it over the old file. A log that cannot be locked
        // goes on growing rather than lose its history.
        if (StillAt(fd, m_path) && ::rename(m_path.constData(), (m_path + ".1").constData()) != 0) {
            ::close(fd);
            return;
        }
        ::close(fd);  // the lock goes with it
        fd = Open();
        if (fd < 0) return;
        size = RegularSize(fd);
    }
    if (size >= 0) [[maybe_unused]]
        const auto failed = WriteAll(fd, line, m_calls ? *m_calls : SystemWriteCalls());
    ::close(fd);
}
