#include <gtest/gtest.h>

#include "SimHarness.h"
#include "Uploader.h"

namespace {

// 111 image bytes; the tool sends the buffer up to offset 111 (the byte after the image is 0).
QByteArray ImageStream() {
    QByteArray stream;
    for (int i = 0; i < 111; ++i) stream.append(static_cast<char>(0x80 + i * 7));
    stream.append('\0');
    return stream;
}

quint32 SumOf(const QByteArray& bytes) {
    quint32 sum = 0;
    for (char c : bytes) sum += static_cast<quint8>(c);
    return sum;
}

void EnterBootLoader(SimHarness& h) {
    const QByteArray tag = h.Ask("?W\r");
    ASSERT_EQ(tag.size(), 12);
    ASSERT_EQ(h.Ask("UP" + tag.mid(4, 4) + "\r"), "RADY");
}

TEST(SimBootLoader, DeviceTagInquiryAndStartWord) {
    SimHarness mc;
    const QByteArray answer = mc.Ask("?W\r");
    ASSERT_EQ(answer.size(), 12);
    EXPECT_EQ(answer.mid(4, 4), "QZMC");
    // The start word for the other family is not for this controller.
    EXPECT_EQ(mc.Ask("UPQZEC\r"), "");
    EXPECT_FALSE(mc.sim.BootLoader().Active());

    SimConfig config;
    config.deviceTag = "QZEC";
    SimHarness ec(config);
    EXPECT_EQ(ec.Ask("?W\r").mid(4, 4), "QZEC");
    EXPECT_EQ(ec.Ask("UPQZEC\r"), "RADY");
    EXPECT_TRUE(ec.sim.BootLoader().Active());
}

TEST(SimBootLoader, UploadOf111BytesIsAcknowledgedAndSummed) {
    SimHarness h;
    h.Ask("S~0001\r");
    EnterBootLoader(h);
    EXPECT_FALSE(h.sim.LiveOn()) << "the boot loader does not stream";

    const QByteArray stream = ImageStream();
    const std::vector<QByteArray> packets = Uploader::Packets(stream);
    ASSERT_EQ(packets.size(), 5u);  // start 1, data 2 and 3, end 4, confirm 5
    quint32 expectedAck = 2;
    for (const QByteArray& packet : packets) {
        const QByteArray answer = h.Ask(packet);
        ASSERT_EQ(answer.size(), 64);
        EXPECT_EQ(Uploader::AckNumber(answer), expectedAck++);
        if (static_cast<quint8>(packet[0]) == 0xC8) {
            EXPECT_EQ(Uploader::AckSum(answer), SumOf(stream));
        }
    }
    EXPECT_EQ(h.sim.BootLoader().Image(), stream);
    EXPECT_EQ(h.sim.BootLoader().SenderSum(), SumOf(stream));
    EXPECT_TRUE(h.sim.BootLoader().Confirmed());
    // The application runs again and answers the read-back.
    EXPECT_EQ(h.Ask("?V\r"), "?V\r=1218\r\n");
}

TEST(SimBootLoader, PacketsInAnyChunkingAndAnAnswerOnlyForWholePackets) {
    SimHarness h;
    EnterBootLoader(h);
    QByteArray all;
    for (const QByteArray& packet : Uploader::Packets(ImageStream())) all += packet;
    EXPECT_EQ(h.Ask(all.left(63)), "");
    QByteArray answers = h.Ask(all.mid(63, 1));
    answers += h.Ask(all.mid(64, 100));
    answers += h.Ask(all.mid(164));
    ASSERT_EQ(answers.size(), 5 * 64);
    EXPECT_EQ(Uploader::AckNumber(answers.mid(4 * 64)), 6u);
}

TEST(SimBootLoader, PacketOutOfSequenceIsRefusedWithTheNumberStillExpected) {
    SimHarness h;
    EnterBootLoader(h);
    h.Ask(Uploader::Packet(0xA0, 1));
    const QByteArray skipped = h.Ask(Uploader::Packet(0xA5, 3, QByteArray(56, 'x')));
    EXPECT_EQ(Uploader::AckNumber(skipped), 2u);
    EXPECT_TRUE(h.sim.BootLoader().Image().isEmpty());
    const QByteArray repeated = h.Ask(Uploader::Packet(0xA0, 1));
    EXPECT_EQ(Uploader::AckNumber(repeated), 2u) << "a new start packet begins afresh";
}

TEST(SimBootLoader, AsciiAtAPacketBoundaryEndsTheBootLoader) {
    SimHarness h;
    EnterBootLoader(h);
    EXPECT_EQ(h.Ask("?V\r"), "?V\r=1218\r\n");
    EXPECT_FALSE(h.sim.BootLoader().Active());
}

}  // namespace
