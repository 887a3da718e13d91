// Mode 7: the bulk write of a restored parameter file.
#include <optional>
#include <string>

#include "BulkWriteChain.h"
#include "DispatcherFixture.h"
#include "ParamTable.h"

using namespace std::chrono_literals;

namespace {

class BulkWriteTest : public DispatcherTest {
protected:
    BulkWriteTest() {
        // Every setting line holds "0045" unless set below (line n + 1 is cache slot n).
        for (int slot = 0; slot <= 26; ++slot) SetText(slot, "0045");
        SetText(0, "0008");   // A: "8. INV Y6"
        SetText(1, "0005");   // B: "5. 400Hz"
        SetText(2, "0002");   // P: 270 Hz
        SetText(17, "0130");  // K, sent as stored
        SetText(24, "-20");   // ^: centre -20
        SetText(23, "0000");  // &
        SetText(25, "0100");  // (
        SetText(26, "0330");  // L
        SetText(190, "-5");   // Q
        SetFlag(35);          // magnetometer
        SetFlag(38);          // GPS
        SetFlag(31, 0);
        SetFlag(39);  // receiver CH1 reversed
        SetFlag(46);  // receiver CH8
        SetFlag(47 + 2);
        SetFlag(55);       // row a, switch 0
        SetFlag(55 + 11);  // row a, switch 11
        SetFlag(174);      // row i, switch 11: the last grid cell
        EnterMode(RxMode::BulkWrite);
    }

    void SetText(int slot, const QByteArray& text) { m_state.m_strRestoreText[slot + 1] = text; }
    void SetFlag(int slot, int value = 1) { m_state.m_nRestoreValue[slot + 1] = value; }

    void EchoEverySetCommand() {
        controller = [](const QByteArray& frame) -> std::vector<QByteArray> {
            if (frame.startsWith('S')) return {frame};
            return {};
        };
    }

    std::optional<QByteArray> FrameFor(char letter) const {
        for (const QByteArray& frame : SentFrames())
            if (frame.size() > 1 && frame[0] == 'S' && frame[1] == letter) return frame;
        return std::nullopt;
    }
};

TEST_F(BulkWriteTest, AnnouncesThenSendsEveryLetterInChainOrderThenReadsBack) {
    EchoEverySetCommand();
    StartBulkWrite();
    Pump();

    const auto frames = SentFrames();
    ASSERT_EQ(frames.size(), kBulkWriteOrder.size() + 2);
    EXPECT_EQ(frames.front(), "Sj0004\r");
    // The first value goes out with the announcement, whose echo nothing waits for; every later
    // value only after the echo of the one before (the announcement's echo counted too).
    for (std::size_t i = 0; i < kBulkWriteOrder.size(); ++i) {
        EXPECT_EQ(frames[i + 1][0], 'S') << i;
        EXPECT_EQ(frames[i + 1][1], kBulkWriteOrder[i]) << i;
        EXPECT_EQ(WrittenAfterAnswers()[i + 1], i == 0 ? 0 : int(i + 1))
            << "sent before the previous echo: " << i;
    }
    EXPECT_EQ(frames.back(), "?V\r");
    EXPECT_EQ(m_reader.ReceiveMode(), RxMode::ReadBack);
    EXPECT_EQ(m_listener.bulkWriteFinished, 1);
    EXPECT_EQ(m_listener.bulkWriteLinks, "j" + std::string(kBulkWriteOrder));
}

TEST_F(BulkWriteTest, ValueLinksArePausedAtLeastFiftyMilliseconds) {
    EchoEverySetCommand();
    StartBulkWrite();
    Pump();

    // The first value follows the announcement's echo at once; every later frame, the final
    // "?V\r" included, comes at least 50 ms after the echo before it.
    const auto& sent = m_line->Sent();
    ASSERT_EQ(sent.size(), kBulkWriteOrder.size() + 2);
    for (std::size_t i = 2; i < sent.size(); ++i)
        EXPECT_GE(sent[i].at - sent[i - 1].at, 50ms) << "before frame " << i;
    EXPECT_EQ(m_clock.Waits(),
              std::vector<std::chrono::milliseconds>(kBulkWriteOrder.size(), 50ms));
}

TEST_F(BulkWriteTest, EachLetterTakesItsForm) {
    EchoEverySetCommand();
    StartBulkWrite();
    Pump();

    EXPECT_EQ(FrameFor('C'), "SC0045\r");
    EXPECT_EQ(FrameFor('A'), "SA0015\r");
    EXPECT_EQ(FrameFor('B'), "SB0007\r");
    EXPECT_EQ(FrameFor('P'), "SP0003\r");
    EXPECT_EQ(FrameFor('K'), "SK0130\r");  // stored text, no version offset
    EXPECT_EQ(FrameFor('^'), "S^0080\r");
    EXPECT_EQ(FrameFor('&'), "S&0100\r");
    EXPECT_EQ(FrameFor('('), "S(0200\r");
    EXPECT_EQ(FrameFor('L'), "SL0330\r");
    EXPECT_EQ(FrameFor('Q'), "SQ0175\r");
    EXPECT_EQ(FrameFor('M'), "SM0159\r");  // 15 + magnetometer 16 + GPS 128
    EXPECT_EQ(FrameFor('N'), "SN0129\r");
    EXPECT_EQ(FrameFor('O'), "SO0004\r");
    EXPECT_EQ(FrameFor('a'), "Sa2049\r");
    EXPECT_EQ(FrameFor('b'), "Sb0000\r");
    EXPECT_EQ(FrameFor('i'), "Si2048\r");
}

TEST_F(BulkWriteTest, StoredTextGoesOutUnchanged) {
    SetText(4, "12");  // D, a short line
    SetText(18, "-30");
    // Short frames make short echoes; pad them so that each is taken.
    controller = [](const QByteArray& frame) -> std::vector<QByteArray> {
        return {frame.leftJustified(7, '\n')};
    };
    StartBulkWrite();
    Pump();
    EXPECT_EQ(FrameFor('D'), "SD12\r");
    EXPECT_EQ(FrameFor('J'), "SJ-30\r");
}

TEST_F(BulkWriteTest, EchoIsTakenAtItsSixthByteAndItsLineEndWhenItComes) {
    ForgetWrittenFrames();  // the announcement and the first value are out
    Arrive("SC004");
    EXPECT_TRUE(SentFrames().empty());
    Arrive("5");
    EXPECT_EQ(SentFrames(), std::vector<QByteArray>{"SA0015\r"});

    Arrive("\r\nSA0015\r\n");  // the line end of the echo before, and the next echo
    EXPECT_EQ(SentFrames().back(), "SB0007\r");
}

// Only the echo of the link last sent moves the chain on: an echo outside the chain, a late
// echo of an earlier link or of the announcement, the echo of a later link, a reply: each is
// dropped, without a pause.
TEST_F(BulkWriteTest, EchoOfAnotherFrameIsDroppedAndTheChainWaitsOn) {
    ForgetWrittenFrames();
    for (const QByteArray& other : {QByteArray("SX0001\r"), QByteArray("SD0045\r\n"),
                                    QByteArray("Sj0004\r\n"), Reply('j', 4)})
        Arrive(other);
    EXPECT_TRUE(SentFrames().empty());
    EXPECT_TRUE(m_state.m_strRxBuf.isEmpty());
    EXPECT_EQ(m_reader.ReceiveMode(), RxMode::BulkWrite);
    EXPECT_TRUE(m_clock.Waits().empty());
    Arrive("SC0045\r\n");
    EXPECT_EQ(SentFrames(), std::vector<QByteArray>{"SA0015\r"});
}

TEST_F(BulkWriteTest, LastEchoEndsTheChain) {
    controller = [](const QByteArray& frame) -> std::vector<QByteArray> {
        if (frame.startsWith('S') && frame[1] != 'O') return {frame};
        return {};
    };
    StartBulkWrite();
    Pump();
    ForgetWrittenFrames();
    Arrive("SO0004\r");
    EXPECT_EQ(SentFrames(), std::vector<QByteArray>{"?V\r"});
    EXPECT_EQ(m_reader.ReceiveMode(), RxMode::ReadBack);
    EXPECT_EQ(m_listener.bulkWriteFinished, 1);
}

}  // namespace
