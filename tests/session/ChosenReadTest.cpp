// Mode 0 as the command line drives it: a read of chosen letters, a set command whose echo is
// awaited, and the choice of a reference set.
#include "DispatcherFixture.h"
#include "ReadBackChain.h"

using namespace std::chrono_literals;

namespace {

class ChosenReadTest : public DispatcherTest {
protected:
    // A controller that answers every query with `value(letter)` and echoes every set command
    // in eight bytes.
    void Answer(std::function<int(char)> value) {
        controller = [value](const QByteArray& frame) -> std::vector<QByteArray> {
            if (frame.size() == 3 && frame[0] == '?') return {Reply(frame[1], value(frame[1]))};
            if (frame.size() == 7 && frame[0] == 'S') return {frame.chopped(1) + "\r\n"};
            return {};
        };
    }
};

TEST_F(ChosenReadTest, AsksOnlyTheGivenLettersInOrderWithTheRetryRule) {
    int zeroesLeft = 2;  // "?K" is answered 0 twice before its value
    Answer([&](char letter) {
        return letter == 'V' ? 1218 : letter == 'K' && zeroesLeft-- > 0 ? 0 : 150;
    });
    StartChosenRead("VKH");
    Pump();

    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"?V\r", "?K\r", "?K\r", "?K\r", "?H\r"}));
    EXPECT_EQ(WrittenAfterAnswers(), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(m_listener.chosenReadFinished, 1);
    EXPECT_EQ(m_listener.readBackFinished, 0);
    // The version just read decodes the gimbal ratio; H is told as it came.
    EXPECT_EQ(m_listener.ValuesOf('K').back(), 150);
    EXPECT_EQ(m_listener.replies.back(), std::make_pair('H', 150));
    // The read has ended: a late copy of its last reply finds no one.
    Arrive(Reply('H', 150));
    EXPECT_EQ(SentFrames().size(), 5u);
}

TEST_F(ChosenReadTest, AReplyForAnotherLetterDoesNotStandInForTheAwaitedOne) {
    StartChosenRead("CD");
    Arrive(Reply('A', 5));  // a late reply to an earlier query
    EXPECT_TRUE(m_listener.values.empty());
    EXPECT_EQ(SentFrames(), std::vector<QByteArray>{"?C\r"});
    Arrive(Reply('C', 45));
    Arrive(Reply('D', 40));
    EXPECT_EQ(m_listener.values, (std::vector<std::pair<char, int>>{{'C', 45}, {'D', 40}}));
    EXPECT_EQ(m_listener.chosenReadFinished, 1);
}

TEST_F(ChosenReadTest, AwaitedEchoIsTakenOnlyForItsLetterAndOnlyWhenAwaited) {
    struct Case {
        const char* name;
        bool awaited;
        QByteArray arrives;
        std::vector<char> echoes;
    };
    const Case cases[] = {
        {"the echo of the awaited letter", true, "SC0045\r\n", {'C'}},
        {"its line end is not waited for", true, "SC0045", {'C'}},
        {"five bytes are not yet the echo", true, "SC004", {}},
        {"an echo with another value is the letter's echo", true, "SC0046\r\n", {'C'}},
        {"the echo of another letter", true, "SD0045\r\n", {}},
        {"an echo nobody waits for (the window)", false, "SC0045\r\n", {}},
    };
    for (const Case& c : cases) {
        m_session.EnterIdle(true);  // no echo awaited any more
        m_listener.echoes.clear();
        if (c.awaited) SetAwaitingEcho('C', 45);
        Arrive(c.arrives);
        EXPECT_EQ(m_listener.echoes, c.echoes) << c.name;
    }
    EXPECT_EQ(SentFrames().front(), "SC0045\r");
}

TEST_F(ChosenReadTest, EchoedSetLeavesTheLineReadyForTheNextRead) {
    Answer([](char) { return 45; });
    SetAwaitingEcho('Q', -12);  // "SQ0168"
    Pump();
    StartChosenRead("Q");
    Pump();
    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"SQ0168\r", "?Q\r"}));
    EXPECT_EQ(m_listener.echoes, std::vector<char>{'Q'});
    EXPECT_EQ(m_listener.ValuesOf('Q'), std::vector<int>{45 - 180});
    EXPECT_EQ(m_listener.chosenReadFinished, 1);
}

TEST_F(ChosenReadTest, ReferenceSetIsChosenAndItsEchoStartsTheWholeReadBack) {
    Answer([](char letter) { return letter == 'V' ? 1218 : 50; });
    StartReferenceSet(2);
    Pump();
    std::vector<QByteArray> expected{"Sj0002\r"};
    for (char letter : kReadBackOrder) expected.push_back(QueryCommand(letter));
    EXPECT_EQ(SentFrames(), expected);
    EXPECT_EQ(m_clock.Waits().front(), 10ms);
    EXPECT_EQ(m_listener.readBackFinished, 1);
}

}  // namespace
