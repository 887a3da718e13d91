#include "PortFile.h"

#include <QFile>
#include <cstdlib>

namespace {

PortFile::Content ContentOf(const QByteArray& text) {
    PortFile::Content content;
    content.empty = text.isEmpty();
    // The text is null-terminated: the number ends at a zero byte.
    const long number = std::strtol(text.constData(), nullptr, 10);
    content.number = (number > 99999 || number < -99999) ? 0 : static_cast<int>(number);
    return content;
}

}  // namespace

PortFile::Content PortFile::Read() const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite)) return {};  // ReadWrite creates it when missing
    return ContentOf(file.readAll());
}

PortFile::Content PortFile::ReadOnly() const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return ContentOf(file.readAll());
}

void PortFile::Write(int port) const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite)) return;
    QByteArray bytes = QByteArray::number(port);
    if (bytes.size() == 1) bytes += '\0';
    file.write(bytes.left(2));
}
