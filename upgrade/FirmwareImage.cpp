#include "FirmwareImage.h"

#include <QFileInfo>

#include "RegularFile.h"

FirmwareCheck FirmwareImage::CheckName(const QString& path) {
    if (path.endsWith(QLatin1String("bin"), Qt::CaseSensitive)) return FirmwareCheck::Ok;
    return path.isEmpty() ? FirmwareCheck::NoFileChosen : FirmwareCheck::NotFirmware;
}

FirmwareCheck FirmwareImage::Read(const QString& path) {
    Clear();
    // Only a plain file, opened non-blocking: a device or a pipe that happens to end in "bin"
    // could block the read or never end. One byte more than the limit tells a file too large.
    if (path.isEmpty()) return FirmwareCheck::Corrupt;
    const auto read = ReadRegularFile(path, kBufferSize);
    const auto* bytes = std::get_if<QByteArray>(&read);
    if (!bytes) return FirmwareCheck::Corrupt;
    const qint64 length = bytes->size();
    if (length <= 1 || length >= kBufferSize) return FirmwareCheck::Corrupt;
    QByteArray buffer = *bytes;
    buffer.append(QByteArray(kBufferSize - length, '\0'));

    m_fwImage = std::move(buffer);
    m_nFwTotal = quint32(length) + 1;
    m_nFwPackets = (m_nFwTotal + kPayloadSize - 1) / kPayloadSize + 1;
    m_strPath = path;
    return FirmwareCheck::Ok;
}

bool FirmwareImage::IsTooLarge(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.size() > kLargestFile;
}

FirmwareCheck FirmwareImage::Load(const QString& path) {
    const FirmwareCheck name = CheckName(path);
    if (name != FirmwareCheck::Ok) {
        Clear();
        return name;
    }
    return Read(path);
}

void FirmwareImage::Clear() {
    m_fwImage.clear();
    m_nFwTotal = 0;
    m_nFwPackets = 0;
    m_strPath.clear();
}

QByteArray FirmwareImage::Payload(quint32 offset) const {
    // The stream runs through offset Total() and is zero after it; the buffer is zero past the
    // file, so its bytes are the stream as far as it reaches.
    QByteArray payload = m_fwImage.mid(offset, kPayloadSize);
    payload.resize(kPayloadSize, '\0');
    return payload;
}
