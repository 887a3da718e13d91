#include "PortFile.h"

#include <QFile>
#include <cstdlib>

PortFile::Content PortFile::Read() const {
    QFile file(m_path);
    Content content;
    if (!file.open(QIODevice::ReadWrite)) return content;  // ReadWrite creates it when missing
    const QByteArray text = file.readAll();  // null-terminated: the number ends at a zero byte
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
