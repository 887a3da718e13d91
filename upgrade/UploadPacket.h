#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// The boot loader's packets: 64 bytes each way, numbers and sums 32-bit little-endian.
//
// Sent: byte 0 the type, bytes 1-3 zero, bytes 4-7 the packet number, bytes 8-63 the body
// (data: 56 image bytes; end: the sum of the data bytes sent; start and confirm: zeros).
// Answered: bytes 4-7 the number of the packet the boot loader expects next, bytes 8-11 its
// sum of the data bytes received.
namespace upload {

constexpr qsizetype kPacketSize = 64;

enum class PacketType : quint8 { Start = 0xA0, Data = 0xA5, End = 0xC8, Confirm = 0xA6 };

QByteArray BuildPacket(PacketType type, quint32 number, QByteArrayView body = {});
// The end packet's body: the sum, four bytes.
QByteArray SumBody(quint32 sum);
// `sum` plus every byte of `bytes`, modulo 2^32.
quint32 AddToSum(quint32 sum, QByteArrayView bytes);

struct BootAnswer {
    quint32 expected;  // the packet number the boot loader expects next
    quint32 sum;       // its sum of the data bytes received
};
// Reads a complete 64-byte answer.
BootAnswer ReadAnswer(QByteArrayView answer);

}  // namespace upload
