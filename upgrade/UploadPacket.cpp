#include "UploadPacket.h"

#include <QtEndian>

namespace upload {

namespace {
constexpr qsizetype kNumberAt = 4;
constexpr qsizetype kBodyAt = 8;
constexpr qsizetype kSumAt = 8;
}  // namespace

QByteArray BuildPacket(PacketType type, quint32 number, QByteArrayView body) {
    QByteArray packet(kPacketSize, '\0');
    packet[0] = char(type);
    qToLittleEndian<quint32>(number, packet.data() + kNumberAt);
    const qsizetype length = qMin(body.size(), kPacketSize - kBodyAt);
    std::copy_n(body.data(), length, packet.data() + kBodyAt);
    return packet;
}

QByteArray SumBody(quint32 sum) {
    QByteArray body(4, '\0');
    qToLittleEndian<quint32>(sum, body.data());
    return body;
}

quint32 AddToSum(quint32 sum, QByteArrayView bytes) {
    for (char byte : bytes) sum += quint8(byte);
    return sum;
}

BootAnswer ReadAnswer(QByteArrayView answer) {
    Q_ASSERT(answer.size() >= kPacketSize);
    return {qFromLittleEndian<quint32>(answer.data() + kNumberAt),
            qFromLittleEndian<quint32>(answer.data() + kSumAt)};
}

}  // namespace upload
