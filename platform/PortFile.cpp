#include "PortFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

#include "RegularFile.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

// The number is at the start; a file of any size is read no further than this.
constexpr qint64 kReadLimit = 4096;

PortFile::Content ContentOf(const QByteArray& text) {
    PortFile::Content content;
    content.empty = text.isEmpty();
    // The text is null-terminated: the number ends at a zero byte.
    const long number = std::strtol(text.constData(), nullptr, 10);
    content.number = (number > 99999 || number < -99999) ? 0 : static_cast<int>(number);
    return content;
}

QByteArray TwoBytesOf(int port) {
    QByteArray bytes = QByteArray::number(port);
    if (bytes.size() == 1) bytes += '\0';
    return bytes.left(2);
}

#ifdef Q_OS_UNIX
QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// O_NOFOLLOW: a link (dangling or not) is refused instead of leading the write elsewhere.
std::optional<QString> WriteAtStart(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
        if (errno == ELOOP) return QStringLiteral("it is a symbolic link, which is not followed");
        return SystemReason(errno);
    }
    struct stat info {};
    std::optional<QString> problem;
    if (::fstat(fd, &info) != 0)
        problem = SystemReason(errno);
    else if (!S_ISREG(info.st_mode))
        problem = QStringLiteral("it is not a regular file");
    else if (::pwrite(fd, bytes.constData(), std::size_t(bytes.size()), 0) != bytes.size())
        problem = SystemReason(errno);
    if (::close(fd) != 0 && !problem) problem = SystemReason(errno);
    return problem;
}
#else
std::optional<QString> WriteAtStart(const QString& path, const QByteArray& bytes) {
    if (QFileInfo(path).isSymLink()) return QStringLiteral("it is a symbolic link");
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return file.errorString();
    if (file.write(bytes) != bytes.size()) return file.errorString();
    return std::nullopt;
}
#endif

}  // namespace

PortFile::Content PortFile::Read() const {
    const auto read = ReadRegularFile(m_path, kReadLimit);
    if (const auto* bytes = std::get_if<QByteArray>(&read)) return ContentOf(*bytes);
    PortFile::Content content;
    const FileRefusal& refusal = std::get<FileRefusal>(read);
    if (refusal.kind != FileRefusal::Kind::Missing) content.problem = refusal.reason;
    return content;
}

std::optional<QString> PortFile::Write(int port) const {
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) return QStringLiteral("the folder %1 cannot be made").arg(folder);
    return WriteAtStart(m_path, TwoBytesOf(port));
}
