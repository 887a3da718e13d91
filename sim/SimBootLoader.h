#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>

// The controller's boot loader: a stop-and-wait receiver of 64-byte packets. Every complete
// packet is answered with 64 bytes carrying the number of the packet it expects next and the
// 32-bit sum of the image bytes received so far. A packet out of sequence is not taken and is
// answered with the number still expected, so the sender sees the mismatch.
class SimBootLoader {
public:
    static constexpr int kPacketSize = 64;
    static constexpr int kDataBytes = 56;
    enum PacketType : quint8 { Start = 0xA0, Data = 0xA5, End = 0xC8, Confirm = 0xA6 };

    struct Answer {
        QByteArray bytes;  // 64 bytes
        quint8 type;       // type of the packet answered
        quint32 number;    // number of the packet answered
    };

    static bool IsPacketType(quint8 byte);

    // Entered on the upgrade start word: a new upload begins.
    void Enter();
    void Leave() {
        m_bActive = false;
        m_packet.clear();
    }
    bool Active() const { return m_bActive; }
    bool AtPacketStart() const { return m_packet.isEmpty(); }

    // Takes one byte; once it completes a packet, returns the packet and its answer. After the
    // confirm packet the loader hands over to the application (Active() becomes false).
    std::optional<Answer> Feed(char byte, QByteArray* packet = nullptr);

    // The image as received so far: the data bytes of every data packet, in order.
    const QByteArray& Image() const { return m_image; }
    quint32 Sum() const { return m_nSum; }
    // The checksum the end packet carried.
    quint32 SenderSum() const { return m_nSenderSum; }
    quint32 ExpectedPacket() const { return m_nExpected; }
    bool EndReceived() const { return m_bEnd; }
    // The upload ran to its confirm packet.
    bool Confirmed() const { return m_bConfirmed; }
    // The firmware the controller runs after its last confirmed upload: the image received,
    // taken only when the end packet's sum equals the sum of the bytes received (a boot loader
    // does not start an image that arrived damaged). Empty until then; kept by later uploads
    // that fail.
    const QByteArray& Installed() const { return m_installed; }

private:
    Answer Evaluate(const QByteArray& packet);
    void Take(quint8 type, const QByteArray& packet);

    bool m_bActive = false;
    QByteArray m_packet;
    QByteArray m_image;
    QByteArray m_installed;
    quint32 m_nSum = 0;
    quint32 m_nSenderSum = 0;
    quint32 m_nExpected = 1;
    bool m_bEnd = false;
    bool m_bConfirmed = false;
};
