#include "PortFile.h"

#include <QFile>
#include <cstdlib>

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

// Reads the file opened with `mode`; a file that exists but cannot be opened says why.
PortFile::Content ReadOpened(const QString& path, QIODevice::OpenMode mode) {
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(mode)) {
        PortFile::Content content;
        if (existed) content.problem = file.errorString();  // "Is a directory", "Permission denied"
        return content;
    }
    return ContentOf(file.read(kReadLimit));
}

}  // namespace

// ReadWrite creates the file when it is missing.
PortFile::Content PortFile::Read() const { return ReadOpened(m_path, QIODevice::ReadWrite); }

PortFile::Content PortFile::ReadOnly() const { return ReadOpened(m_path, QIODevice::ReadOnly); }

void PortFile::Write(int port) const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite)) return;
    QByteArray bytes = QByteArray::number(port);
    if (bytes.size() == 1) bytes += '\0';
    file.write(bytes.left(2));
}
