#include "PortFile.h"

#include <cstdlib>

#include "KeptFiles.h"
#include "RegularFile.h"

namespace {

// The number is at the start; a file of any size is read no further than this.
constexpr qint64 kReadLimit = 4096;
// What another writer left after the two bytes is kept up to this size; a larger file is no
// port file and is left alone.
constexpr qint64 kRewriteLimit = 64 * 1024;

// A number written out in a message is cut after this many characters.
constexpr qsizetype kShownDigits = 12;

PortFile::Content ContentOf(const QByteArray& text) {
    PortFile::Content content;
    content.empty = text.isEmpty();
    // The text is null-terminated: the number ends at a zero byte.
    char* end = nullptr;
    const long number = std::strtol(text.constData(), &end, 10);
    const bool huge = number > 99999 || number < -99999;
    content.number = huge ? 0 : static_cast<int>(number);
    QByteArray written = QByteArray(text.constData(), end - text.constData()).trimmed();
    if (written.size() > kShownDigits) written = written.left(kShownDigits) + "...";
    content.text = QString::fromLatin1(written);
    return content;
}

QByteArray TwoBytesOf(int port) {
    QByteArray bytes = QByteArray::number(port);
    if (bytes.size() == 1) bytes += '\0';
    return bytes.left(2);
}

// Why the file found at path is not rewritten.
QString WhyNotRewritten(const QString& path, const FileRefusal& refusal) {
    if (refusal.kind != FileRefusal::Kind::NotRegular)
        return QStringLiteral("it cannot be read (%1)").arg(refusal.reason);
    const QString type = DescribeFileType(path, false);
    if (type == QLatin1String("a symbolic link"))
        return QStringLiteral("it is a symbolic link, which is not followed");
    return QStringLiteral("it is %1, not a regular file").arg(type);
}

}  // namespace

PortFile::Content PortFile::Read() const {
    const auto read = ReadRegularFile(m_path, kReadLimit);
    if (const auto* bytes = std::get_if<QByteArray>(&read)) return ContentOf(*bytes);
    PortFile::Content content;
    const FileRefusal& refusal = std::get<FileRefusal>(read);
    if (refusal.kind != FileRefusal::Kind::Missing) content.problem = refusal.reason;
    return content;
}

std::optional<QString> PortFile::Write(int port, const WriteCalls* calls) const {
    // The file is written whole with its two bytes in front: a failed write leaves the old
    // port, never half a number.
    QByteArray bytes;
    const auto read = ReadKeptFile(m_path, kRewriteLimit + 1);
    if (const auto* old = std::get_if<QByteArray>(&read))
        bytes = *old;
    else if (const FileRefusal& refusal = std::get<FileRefusal>(read);
             refusal.kind != FileRefusal::Kind::Missing)
        return WhyNotRewritten(m_path, refusal);
    if (bytes.size() > kRewriteLimit)
        return QStringLiteral("it is larger than %1 KB, not a port file").arg(kRewriteLimit / 1024);
    const QByteArray two = TwoBytesOf(port);
    bytes.replace(0, std::min<qsizetype>(bytes.size(), two.size()), two);
    return WriteKeptFile(m_path, bytes, calls);
}
