#include <gtest/gtest.h>

#include "SimHarness.h"
#include "Uploader.h"

namespace {

TEST(SimFaults, DropReplyOnceOrAlwaysWhileTheFrameStillTakesEffect) {
    SimConfig config;
    config.faults.DropReply("?E", 1);
    config.faults.DropReply("SC");
    SimHarness h(config);
    EXPECT_EQ(h.Ask("?E\r"), "");
    EXPECT_EQ(h.Ask("?E\r").size(), 10);
    EXPECT_EQ(h.Ask("SC0011\r"), "");
    EXPECT_EQ(h.Ask("SC0012\r"), "");
    EXPECT_EQ(h.Ask("?C\r"), "?C\r=0012\r\n");
    EXPECT_TRUE(h.events.join('\n').contains(QStringLiteral("dropped")));
}

TEST(SimFaults, AnswerZeroForALetterNTimes) {
    SimConfig config;
    config.faults.AnswerZero('E', 3);
    SimHarness h(config);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(h.Ask("?E\r"), "?E\r=0000\r\n");
    EXPECT_EQ(h.Ask("?E\r"), "?E\r=0035\r\n");
    EXPECT_EQ(h.Ask("?F\r").mid(4, 4), "0050") << "other letters are not touched";
}

TEST(SimFaults, NoiseBeforeEveryReplyOrOneFrame) {
    SimConfig config;
    config.faults.AddNoise(2, "?C");
    SimHarness h(config);
    EXPECT_EQ(h.Ask("?V\r"), "?V\r=1218\r\n");
    const QByteArray noisy = h.Ask("?C\r");
    ASSERT_EQ(noisy.size(), 12);
    EXPECT_EQ(noisy.mid(2), "?C\r=0045\r\n");

    SimConfig everyReply;
    everyReply.faults.AddNoise(3);
    SimHarness all(everyReply);
    EXPECT_EQ(all.Ask("?V\r").size(), 13);
    EXPECT_EQ(all.Ask("SC0001\r").size(), 11);
}

TEST(SimFaults, SilentAfterNBytesCutsAReplyAndEverythingAfter) {
    SimConfig config;
    config.faults.SilentAfter(15);
    SimHarness h(config);
    EXPECT_EQ(h.Ask("?V\r").size(), 10);
    EXPECT_EQ(h.Ask("?C\r"), "?C\r=0");
    EXPECT_EQ(h.Ask("?C\r"), "");
    h.Ask("S~0001\r");
    h.sim.TickLive();
    EXPECT_EQ(h.sim.BytesSent(), 15);
}

class SimUploadFaults : public ::testing::Test {
protected:
    std::vector<QByteArray> Upload(const SimConfig& config) {
        h = std::make_unique<SimHarness>(config);
        h->Ask("UPQZMC\r");
        std::vector<QByteArray> answers;
        for (const QByteArray& packet : Uploader::Packets(QByteArray(112, 'A')))
            answers.push_back(h->Ask(packet));
        return answers;
    }

    std::unique_ptr<SimHarness> h;
};

TEST_F(SimUploadFaults, BadAckCarriesThePacketsOwnNumber) {
    SimConfig config;
    config.faults.BadAck(2);
    const auto answers = Upload(config);
    EXPECT_EQ(Uploader::AckNumber(answers[0]), 2u);
    EXPECT_EQ(Uploader::AckNumber(answers[1]), 2u);
    EXPECT_EQ(Uploader::AckNumber(answers[2]), 4u);
}

TEST_F(SimUploadFaults, BadSumDiffersFromTheSumReceived) {
    SimConfig config;
    config.faults.BadSum();
    const auto answers = Upload(config);
    const quint32 sum = 112u * 'A';
    EXPECT_EQ(h->sim.BootLoader().Sum(), sum);
    EXPECT_EQ(Uploader::AckSum(answers[3]), sum + 1);
    EXPECT_EQ(Uploader::AckNumber(answers[3]), 5u);
}

TEST_F(SimUploadFaults, DroppedPacketAnswer) {
    SimConfig config;
    config.faults.DropPacketAnswer(3);
    const auto answers = Upload(config);
    EXPECT_EQ(answers[2], "");
    EXPECT_EQ(answers[3].size(), 64);
}

}  // namespace
