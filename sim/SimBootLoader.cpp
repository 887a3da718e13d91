#include "SimBootLoader.h"

#include <QtEndian>

namespace {

quint32 ReadLe32(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

void WriteLe32(QByteArray& bytes, int at, quint32 value) {
    qToLittleEndian<quint32>(value, bytes.data() + at);
}

}  // namespace

bool SimBootLoader::IsPacketType(quint8 byte) {
    return byte == Start || byte == Data || byte == End || byte == Confirm;
}

void SimBootLoader::Enter() {
    m_bActive = true;
    m_packet.clear();
    m_image.clear();
    m_nSum = 0;
    m_nSenderSum = 0;
    m_nExpected = 1;
    m_bEnd = false;
    m_bConfirmed = false;
}

std::optional<SimBootLoader::Answer> SimBootLoader::Feed(char byte, QByteArray* packet) {
    if (!m_bActive) return std::nullopt;
    m_packet.append(byte);
    if (m_packet.size() < kPacketSize) return std::nullopt;
    QByteArray complete;
    complete.swap(m_packet);
    Answer answer = Evaluate(complete);
    if (packet) *packet = complete;
    return answer;
}

SimBootLoader::Answer SimBootLoader::Evaluate(const QByteArray& packet) {
    const auto type = static_cast<quint8>(packet[0]);
    const quint32 number = ReadLe32(packet, 4);
    // A start packet numbered 1 always begins the upload afresh.
    if (type == Start && number == 1) Enter();
    if (number == m_nExpected && IsPacketType(type)) {
        Take(type, packet);
        ++m_nExpected;
    }
    QByteArray bytes(kPacketSize, '\0');
    bytes[0] = static_cast<char>(type);
    WriteLe32(bytes, 4, m_nExpected);
    WriteLe32(bytes, 8, m_nSum);
    if (m_bConfirmed) Leave();
    return {bytes, type, number};
}

void SimBootLoader::Take(quint8 type, const QByteArray& packet) {
    switch (type) {
        case Data: {
            const QByteArray data = packet.mid(8, kDataBytes);
            m_image += data;
            for (char c : data) m_nSum += static_cast<quint8>(c);
            break;
        }
        case End:
            m_nSenderSum = ReadLe32(packet, 8);
            m_bEnd = true;
            break;
        case Confirm:
            m_bConfirmed = true;
            if (m_bEnd && m_nSenderSum == m_nSum) m_installed = m_image;
            break;
        default:
            break;
    }
}
