// Mode 15 (calibration, frame save, reverse echoes) and mode 20 (reverse re-read).
#include "DispatcherFixture.h"

using namespace std::chrono_literals;

namespace {

class SpecialSetTest : public DispatcherTest {
protected:
    SpecialSetTest() { EnterMode(RxMode::SpecialSet); }

    // The controller echoes a set command with one byte more: eight bytes in all.
    void EchoEverySetCommand() {
        controller = [](const QByteArray& frame) -> std::vector<QByteArray> {
            if (frame.startsWith('S')) return {frame + '\n'};
            return {};
        };
    }
};

TEST_F(SpecialSetTest, CalibrationSendsTheRunningSumsThenFinishes) {
    m_state.m_nParamCache[18] = 77;  // the gimbal roll ratio
    EchoEverySetCommand();
    StartCalibration({420, 415, 418, 410});
    Pump();

    EXPECT_EQ(SentFrames(),
              (std::vector<QByteArray>{"S00420\r", "S10835\r", "S21253\r", "S31663\r"}));
    EXPECT_EQ(m_listener.calibrationFinished, 1);
    EXPECT_EQ(m_reader.ReceiveMode(), RxMode::ReadBack);
    // The cell values have nothing to do with the roll ratio; its cached value stays.
    EXPECT_EQ(m_state.m_nParamCache[18], 77);
    const auto& sent = m_line->Sent();
    for (std::size_t i = 1; i < sent.size(); ++i) EXPECT_GE(sent[i].at - sent[i - 1].at, 50ms);
}

TEST_F(SpecialSetTest, EchoIsTakenOnItsSixthByteWithoutWaitingForItsLineEnd) {
    StartCalibration({420, 415, 418, 410});
    ForgetWrittenFrames();
    Arrive("S0042");
    EXPECT_TRUE(SentFrames().empty());
    Arrive("0");
    EXPECT_EQ(SentFrames(), std::vector<QByteArray>{"S10835\r"});
}

TEST_F(SpecialSetTest, FrameSaveSendsExtentsThenCoordinatesShifted) {
    EchoEverySetCommand();
    StartFrameSave({4, 650, 600, -120, 300, 120, 300, -120, -300, 120, -300, 0, 0, 4999, -5000});
    Pump();

    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"Sk0004\r", "Sl0650\r", "Sm0600\r", "Sn4880\r",
                                                     "So5300\r", "Sp5120\r", "Sq5300\r", "Sr4880\r",
                                                     "Ss4700\r", "St5120\r", "Su4700\r", "Sv5000\r",
                                                     "Sw5000\r", "Sx9999\r", "Sy0000\r"}));
    EXPECT_EQ(m_reader.ReceiveMode(), RxMode::SpecialSet);
    EXPECT_EQ(m_clock.Waits().size(), 15u);  // the "Sy" echo is taken too, with its pause
}

TEST_F(SpecialSetTest, OnlyTheEchoOfTheFrameSentIsTaken) {
    StartCalibration({420, 415, 418, 410});
    ForgetWrittenFrames();
    // Another letter, a reply: neither is this chain's.
    for (const QByteArray& other : {QByteArray("Sl0650\r\n"), Reply('0', 420)}) Arrive(other);
    EXPECT_TRUE(SentFrames().empty());
    EXPECT_TRUE(m_state.m_strRxBuf.isEmpty());
    EXPECT_EQ(m_reader.ReceiveMode(), RxMode::SpecialSet);
    Arrive("S00420\r\n");
    EXPECT_EQ(SentFrames(), std::vector<QByteArray>{"S10835\r"});
}

TEST_F(SpecialSetTest, ReverseEchoReadsTheFlagsBackAndResumesTheLiveDisplay) {
    for (char letter : {'N', 'O'}) {
        EnterMode(RxMode::SpecialSet);
        m_session.SetReverseMask(letter, 165);
        m_line->ClearSent();
        Arrive(SetCommand(letter, 165) + '\n');
        EXPECT_EQ(m_reader.ReceiveMode(), RxMode::ReverseReread);
        EXPECT_EQ(SentFrames(), std::vector<QByteArray>{QueryCommand(letter)});

        Arrive(Reply(letter, 165));
        EXPECT_EQ(SentFrames().back(), "S~0001\r");
        EXPECT_EQ(m_reader.ReceiveMode(), RxMode::Live);
        EXPECT_EQ(m_listener.ValuesOf(letter), std::vector<int>{165});
        const int first = letter == 'N' ? 39 : 47;
        const int bits[] = {1, 0, 1, 0, 0, 1, 0, 1};
        for (int bit = 0; bit < 8; ++bit)
            EXPECT_EQ(m_state.m_nParamCache[first + bit], bits[bit]) << letter << bit;
        EXPECT_TRUE(m_state.m_strRxBuf.isEmpty());
        EXPECT_EQ(m_state.m_nRxCount, 0);
    }
}

TEST_F(SpecialSetTest, ReverseReReadWaitsForItsOwnReply) {
    EnterMode(RxMode::ReverseReread);
    Arrive(Reply('C', 45));
    EXPECT_TRUE(SentFrames().empty());
    EXPECT_TRUE(m_listener.values.empty());
    EXPECT_EQ(m_reader.ReceiveMode(), RxMode::ReverseReread);
}

}  // namespace
