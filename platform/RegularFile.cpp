#include "RegularFile.h"

#include <QFile>
#include <QFileInfo>

#include "NativeName.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "TerminationSignals.h"
#endif

namespace {

#ifdef Q_OS_UNIX

QString TypeOf(mode_t mode) {
    if (S_ISREG(mode)) return QStringLiteral("a regular file");
    if (S_ISDIR(mode)) return QStringLiteral("a folder");
    if (S_ISFIFO(mode)) return QStringLiteral("a FIFO (named pipe)");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device node");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    if (S_ISLNK(mode)) return QStringLiteral("a symbolic link");
    return QStringLiteral("not a regular file");
}

// The words a refusal gives; a folder keeps the system's own wording.
FileRefusal NotRegular(mode_t mode) {
    if (S_ISDIR(mode)) return {FileRefusal::Kind::NotRegular, QStringLiteral("Is a directory")};
    return {FileRefusal::Kind::NotRegular,
            QStringLiteral("Is %1, not a regular file").arg(TypeOf(mode))};
}

FileRefusal FromErrno(int error) {
    if (error == ENOENT)
        return {FileRefusal::Kind::Missing, QString::fromLocal8Bit(std::strerror(error))};
    return {FileRefusal::Kind::Unreadable, QString::fromLocal8Bit(std::strerror(error))};
}

std::variant<QByteArray, FileRefusal> ReadOpened(int fd, qint64 maxBytes) {
    QByteArray bytes(maxBytes, Qt::Uninitialized);
    qint64 total = 0;
    while (total < maxBytes) {
        const ssize_t n = ::read(fd, bytes.data() + total, std::size_t(maxBytes - total));
        if (n == 0) break;
        if (n > 0) {
            total += n;
            continue;
        }
        if (errno != EINTR) return FromErrno(errno);
        if (TerminationSignals::Caught() != 0)
            return FileRefusal{FileRefusal::Kind::Interrupted, QStringLiteral("interrupted")};
    }
    bytes.truncate(total);
    return bytes;
}

#endif

}  // namespace

#ifdef Q_OS_UNIX

QString DescribeFileType(const QString& path, bool followLinks) {
    struct stat info {};
    const QByteArray name = NativeName(path);
    const int result =
        followLinks ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info);
    if (result != 0) return QStringLiteral("missing");
    return TypeOf(info.st_mode);
}

std::variant<QByteArray, FileRefusal> ReadRegularFile(const QString& path, qint64 maxBytes,
                                                      LinkRule links) {
    const QByteArray name = NativeName(path);
    const bool follow = links == LinkRule::Follow;
    struct stat info {};
    if ((follow ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info)) != 0)
        return FromErrno(errno);
    if (!S_ISREG(info.st_mode)) return NotRegular(info.st_mode);
    // Something else may have been put in its place since: checked again on what was opened.
    const int fd = ::open(name.constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (follow ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        if (errno == ELOOP) return NotRegular(S_IFLNK);
        return FromErrno(errno);
    }
    std::variant<QByteArray, FileRefusal> result;
    if (::fstat(fd, &info) != 0)
        result = FromErrno(errno);
    else if (!S_ISREG(info.st_mode))
        result = NotRegular(info.st_mode);
    else
        result = ReadOpened(fd, maxBytes);
    ::close(fd);
    return result;
}

#else

QString DescribeFileType(const QString& path, bool followLinks) {
    const QFileInfo info(path);
    if (!followLinks && info.isSymLink()) return QStringLiteral("a symbolic link");
    if (!info.exists()) return QStringLiteral("missing");
    if (info.isDir()) return QStringLiteral("a folder");
    return info.isFile() ? QStringLiteral("a regular file") : QStringLiteral("not a regular file");
}

std::variant<QByteArray, FileRefusal> ReadRegularFile(const QString& path, qint64 maxBytes,
                                                      LinkRule links) {
    const QFileInfo info(path);
    if (links == LinkRule::Refuse && info.isSymLink())
        return FileRefusal{FileRefusal::Kind::NotRegular, QStringLiteral("Is a symbolic link")};
    if (!info.exists())
        return FileRefusal{FileRefusal::Kind::Missing, QStringLiteral("No such file or directory")};
    if (info.isDir())
        return FileRefusal{FileRefusal::Kind::NotRegular, QStringLiteral("Is a directory")};
    if (!info.isFile())
        return FileRefusal{FileRefusal::Kind::NotRegular, QStringLiteral("Is not a regular file")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileRefusal{FileRefusal::Kind::Unreadable, file.errorString()};
    QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        return FileRefusal{FileRefusal::Kind::Unreadable, file.errorString()};
    return bytes;
}

#endif
