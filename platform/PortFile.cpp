#include "PortFile.h"

#include <QFile>
#include <cstdlib>

namespace {
// The number is at the start; a file of any size is read no further than this.
constexpr qint64 kReadLimit = 4096;
}  // namespace

PortFile::Content PortFile::Read() const {
    QFile file(m_path);
    Content content;
    const bool existed = file.exists();
    // ReadWrite creates the file when it is missing.
    if (!file.open(QIODevice::ReadWrite)) {
        if (existed) content.problem = file.errorString();  // "Is a directory", "Permission denied"
        return content;
    }
    // Null-terminated: the number ends at a zero byte.
    const QByteArray text = file.read(kReadLimit);
    content.empty = text.isEmpty();
    const long number = std::strtol(text.constData(), nullptr, 10);
    content.number = (number > 99999 || number < -99999) ? 0 : static_cast<int>(number);
    return content;
}

void PortFile::Write(int port) const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite)) return;
    QByteArray bytes = QByteArray::number(port);
    if (bytes.size() == 1) bytes += '\0';
    file.write(bytes.left(2));
}
