#pragma once

#include <QByteArray>
#include <QtEndian>
#include <functional>

// The tool's side of a firmware upload, packet by packet: start packet 1, data packets 2 to N
// with 56 bytes of the image stream each, end packet N+1 with the sum of the data bytes sent,
// confirm packet N+2.
struct Uploader {
    static QByteArray Packet(quint8 type, quint32 number, const QByteArray& payload = {}) {
        QByteArray packet(64, '\0');
        packet[0] = static_cast<char>(type);
        qToLittleEndian<quint32>(number, packet.data() + 4);
        packet.replace(8, payload.size(), payload);
        return packet;
    }

    static QByteArray SumBytes(quint32 sum) {
        QByteArray bytes(4, '\0');
        qToLittleEndian<quint32>(sum, bytes.data());
        return bytes;
    }

    // The packets for `stream` (already padded to whole data packets), in order.
    static std::vector<QByteArray> Packets(const QByteArray& stream) {
        std::vector<QByteArray> packets{Packet(0xA0, 1)};
        quint32 sum = 0;
        quint32 number = 2;
        for (qsizetype at = 0; at < stream.size(); at += 56, ++number) {
            const QByteArray data = stream.mid(at, 56);
            for (char c : data) sum += static_cast<quint8>(c);
            packets.push_back(Packet(0xA5, number, data));
        }
        packets.push_back(Packet(0xC8, number, SumBytes(sum)));
        packets.push_back(Packet(0xA6, number + 1));
        return packets;
    }

    static quint32 AckNumber(const QByteArray& answer) {
        return qFromLittleEndian<quint32>(answer.constData() + 4);
    }
    static quint32 AckSum(const QByteArray& answer) {
        return qFromLittleEndian<quint32>(answer.constData() + 8);
    }
};
