// Mode 0: the read-back chains, the retry rule, reply recognition and the reference-set echo.
#include <QCoreApplication>
#include <string_view>

#include "DispatcherFixture.h"
#include "ParamTable.h"
#include "ReadBackChain.h"

using namespace std::chrono_literals;

namespace {

// A controller that holds a distinct, in-range value for every parameter.
int HeldValue(char letter) {
    switch (letter) {
        case 'V':
            return 1218;
        case 'A':
            return 15;  // list entry 8
        case 'B':
            return 7;  // list entry 5
        case 'P':
            return 3;  // list entry 2
        case 'Q':
            return 200;  // declination 20
        case 'L':
            return 330;
        case '^':
            return 40;  // centre -60
        case '4':
            return 4200;
        case 'M':
            return 0x93;
        case 'N':
            return 0xA5;
        case 'i':
            return 0x801;
        case 'j':
            return 2;
        default:
            return 50;
    }
}

std::vector<QByteArray> QueriesOf(std::string_view order) {
    std::vector<QByteArray> queries;
    for (char letter : order) queries.push_back(QueryCommand(letter));
    return queries;
}

class ReadBackTest : public DispatcherTest {
protected:
    void AnswerEveryQuery(int (*value)(char) = HeldValue) {
        controller = [value](const QByteArray& frame) -> std::vector<QByteArray> {
            if (frame.size() != 3 || frame[0] != '?') return {};
            return {Reply(frame[1], value(frame[1]))};
        };
    }

    // Answers the chain's queries with the held values until the query of `letter` has gone
    // out, then forgets what was sent and told, so that a test sees only what follows.
    void AnswerUntil(char letter) {
        while (!SentFrames().empty() && SentFrames().back()[1] != letter) {
            const char asked = SentFrames().back()[1];
            Arrive(Reply(asked, HeldValue(asked)));
        }
        ASSERT_EQ(SentFrames().back(), QueryCommand(letter));
        m_line->ClearSent();
        m_listener = {};
    }
};

TEST_F(ReadBackTest, WalksAllFortyNineQueriesEachAfterThePreviousReply) {
    AnswerEveryQuery();
    StartReadBack();
    Pump();

    EXPECT_EQ(SentFrames(), QueriesOf(kReadBackOrder));
    ASSERT_EQ(WrittenAfterAnswers().size(), 49u);
    for (int i = 0; i < 49; ++i) EXPECT_EQ(WrittenAfterAnswers()[i], i) << "query " << i;

    EXPECT_EQ(m_listener.versions, std::vector<int>{1218});
    EXPECT_EQ(m_state.m_nFwVersion, 1218);
    EXPECT_EQ(m_listener.readBackFinished, 1);
    // Every reply but the version and the two unused values reaches the controls.
    EXPECT_EQ(m_listener.values.size(), 46u);
    EXPECT_TRUE(m_listener.ValuesOf('H').empty());
    EXPECT_TRUE(m_listener.ValuesOf('I').empty());
    EXPECT_TRUE(m_state.m_strRxBuf.isEmpty());
    EXPECT_EQ(m_state.m_nRxCount, 0);
    EXPECT_EQ(m_clock.PendingTimers(), 0u);  // no time-out outlives the chain
}

TEST_F(ReadBackTest, StoresDecodedValuesInTheCacheAndTellsTheListenerTheSame) {
    AnswerEveryQuery();
    StartReadBack();
    Pump();

    const auto& cache = m_state.m_nParamCache;
    EXPECT_EQ(cache[0], 8);      // A: list entry
    EXPECT_EQ(cache[1], 5);      // B
    EXPECT_EQ(cache[2], 2);      // P
    EXPECT_EQ(cache[3], 50);     // C
    EXPECT_EQ(cache[24], -60);   // ^
    EXPECT_EQ(cache[26], 330);   // L
    EXPECT_EQ(cache[27], 4200);  // battery 1, no range check
    EXPECT_EQ(cache[190], 20);   // Q
    const int mBits[] = {1, 1, 0, 0, 1, 0, 0, 1};
    for (int bit = 0; bit < 8; ++bit) EXPECT_EQ(cache[31 + bit], mBits[bit]) << bit;
    const int nBits[] = {1, 0, 1, 0, 0, 1, 0, 1};
    for (int bit = 0; bit < 8; ++bit) EXPECT_EQ(cache[39 + bit], nBits[bit]) << bit;
    EXPECT_EQ(cache[163], 1);  // i, switch 0
    EXPECT_EQ(cache[174], 1);  // i, switch 11: the last cell of the grid
    EXPECT_EQ(cache[164], 0);

    EXPECT_EQ(m_listener.ValuesOf('A'), std::vector<int>{8});
    EXPECT_EQ(m_listener.ValuesOf('M'), std::vector<int>{0x93});
    EXPECT_EQ(m_listener.ValuesOf('j'), std::vector<int>{2});
}

TEST_F(ReadBackTest, GimbalRatiosDecodeByTheVersionJustRead) {
    for (int version : {1211, 1218}) {
        StartReadBack();
        Arrive(Reply('V', version));
        AnswerUntil('J');
        Arrive(Reply('J', 150));
        const int expected = version == 1211 ? 50 : 150;
        EXPECT_EQ(m_listener.ValuesOf('J'), std::vector<int>{expected}) << version;
        EXPECT_EQ(m_state.m_nParamCache[18], expected) << version;
    }
}

TEST_F(ReadBackTest, ZeroIsAskedAgainThreeTimesThenAccepted) {
    StartReadBack();
    AnswerUntil('E');
    for (int i = 0; i < 4; ++i) Arrive(Reply('E', 0));
    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"?E\r", "?E\r", "?E\r", "?F\r"}));

    // The budget is per query: the next zeros are asked again too, three times.
    for (int i = 0; i < 4; ++i) Arrive(Reply('F', 0));
    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"?E\r", "?E\r", "?E\r", "?F\r", "?F\r", "?F\r",
                                                     "?F\r", "?G\r"}));

    // A read-back started afresh has the whole budget again, whatever the one before used.
    StartReadBack();
    ForgetWrittenFrames();
    for (int i = 0; i < 4; ++i) Arrive(Reply('V', 0));
    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"?V\r", "?V\r", "?V\r", "?C\r"}));
}

TEST_F(ReadBackTest, ChainEndsOnlyRepeatAndReadBackFinishesOnce) {
    StartReadBack();
    AnswerUntil('j');
    for (int i = 0; i < 4; ++i) Arrive(Reply('j', 0));
    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"?j\r", "?j\r", "?j\r"}));
    EXPECT_EQ(m_listener.readBackFinished, 1);
    EXPECT_EQ(m_listener.ValuesOf('j').size(), 4u);

    Arrive(Reply('z', 33));
    EXPECT_EQ(SentFrames().size(), 3u);
}

TEST_F(ReadBackTest, ReplySplitAcrossEventsIsEvaluatedOnItsTenthByte) {
    StartReadBack();
    AnswerUntil('C');
    const QByteArray reply = Reply('C', 45);
    Arrive(reply.left(4));
    Arrive(reply.mid(4, 5));
    EXPECT_TRUE(SentFrames().empty());
    Arrive(reply.mid(9));
    EXPECT_EQ(SentFrames(), std::vector<QByteArray>{"?A\r"});
    EXPECT_EQ(m_listener.ValuesOf('C'), std::vector<int>{45});

    for (char byte : Reply('A', 5)) Arrive(QByteArray(1, byte));
    EXPECT_EQ(SentFrames().back(), "?B\r");
}

// Every complete answer in one read is handled on its own: bytes after a reply do not hide it,
// a reply no query waits for is dropped without blocking the replies behind it.
TEST_F(ReadBackTest, EachAnswerOfAReadIsHandledOnItsOwn) {
    StartReadBack();
    AnswerUntil('C');
    const QByteArray reply = Reply('C', 45);
    Arrive(reply.left(7));
    Arrive(reply.mid(7) + "OK");  // the reply's last bytes and two more in one event
    EXPECT_EQ(SentFrames(), std::vector<QByteArray>{"?A\r"});
    EXPECT_EQ(m_listener.ValuesOf('C'), std::vector<int>{45});

    Arrive(Reply('X', 1) + Reply('C', 45) + Reply('A', 5));
    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"?A\r", "?B\r"}));
    EXPECT_EQ(m_listener.ValuesOf('C'), std::vector<int>{45});
    EXPECT_EQ(m_listener.ValuesOf('A'), std::vector<int>{5});
}

TEST_F(ReadBackTest, ReferenceSetEchoRestartsTheReadBackAfterTenMilliseconds) {
    StartReferenceSet(2);
    ForgetWrittenFrames();
    Arrive("Sj00");  // four bytes: not yet
    EXPECT_TRUE(SentFrames().empty());
    const auto arrived = m_clock.Now();
    Arrive("02\r");

    EXPECT_EQ(m_clock.Waits(), std::vector<std::chrono::milliseconds>{10ms});
    ASSERT_EQ(SentFrames(), std::vector<QByteArray>{"?V\r"});
    EXPECT_GE(m_line->Sent()[0].at - arrived, 10ms);
    EXPECT_TRUE(m_state.m_strRxBuf.isEmpty());
    EXPECT_EQ(m_state.m_nRxCount, 0);
}

// A reference-set echo when none was chosen starts nothing; once one was chosen, "Sj0" and five
// bytes are its echo whatever digits follow: the controller has loaded a set.
TEST_F(ReadBackTest, AReferenceSetEchoRestartsTheReadBackOnlyAfterAChoice) {
    Arrive("Sj0002\r\n");
    EXPECT_TRUE(SentFrames().empty());
    StartReferenceSet(1);
    ForgetWrittenFrames();
    Arrive("Sj000");
    EXPECT_EQ(SentFrames(), std::vector<QByteArray>{"?V\r"});
}

TEST_F(ReadBackTest, StaleInputIsDroppedBeforeTheNextQuery) {
    // Bytes that reach the port while a reply is being handled are not part of the next reply.
    StartReadBack();
    AnswerUntil('C');
    m_listener.onValue = [this](char letter) {
        if (letter == 'C') m_line->Feed("Sx\r");
    };
    Arrive(Reply('C', 45));
    QCoreApplication::processEvents();
    Arrive(Reply('A', 5));
    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"?A\r", "?B\r"}));
}

TEST_F(ReadBackTest, ValueBytesThatAreNotFourDigitsReadAsTheirLeadingNumber) {
    StartReadBack();
    AnswerUntil('C');
    Arrive(Reply('C', "4x5 "));
    EXPECT_EQ(m_listener.ValuesOf('C'), std::vector<int>{4});
    EXPECT_EQ(SentFrames().back(), "?A\r");

    // No number at all counts as a zero reply and is asked again.
    AnswerUntil('D');
    Arrive(Reply('D', "ab12"));
    EXPECT_EQ(m_listener.ValuesOf('D'), std::vector<int>{0});
    EXPECT_EQ(SentFrames().back(), "?D\r");

    // The leading number is range-checked: 150 shows 0 but is not a zero reply.
    AnswerUntil('E');
    Arrive(Reply('E', "150x"));
    EXPECT_EQ(m_listener.ValuesOf('E'), std::vector<int>{0});
    EXPECT_EQ(SentFrames().back(), "?F\r");

    // A sign is not a digit: "-001" for the sensor mask must not set every bit.
    AnswerUntil('M');
    Arrive(Reply('M', "-001"));
    EXPECT_EQ(m_listener.ValuesOf('M'), std::vector<int>{0});
}

TEST_F(ReadBackTest, FrameGeometryChainDecodesExtentsAndCoordinates) {
    AnswerEveryQuery([](char letter) {
        switch (letter) {
            case 'k':
                return 6;
            case 'l':
                return 650;
            case 'm':
                return 5001;  // out of range
            case 'n':
                return 4880;
            case 'y':
                return 9999;
            case 'z':
                return 33;
            default:
                return 5000;
        }
    });
    int geometryReadWhenZAsked = -1;
    controller = [inner = controller, this, &geometryReadWhenZAsked](const QByteArray& frame) {
        if (frame == "?z\r") geometryReadWhenZAsked = m_listener.frameGeometryRead;
        return inner(frame);
    };
    StartFrameGeometryRead();
    Pump();

    EXPECT_EQ(SentFrames(), QueriesOf(kFrameGeometryOrder));
    EXPECT_EQ(geometryReadWhenZAsked, 1);  // the plan is redrawn before "?z" is asked
    EXPECT_EQ(m_listener.ValuesOf('k'), std::vector<int>{6});
    EXPECT_EQ(m_listener.ValuesOf('l'), std::vector<int>{650});
    EXPECT_EQ(m_listener.ValuesOf('m'), std::vector<int>{0});
    EXPECT_EQ(m_listener.ValuesOf('n'), std::vector<int>{-120});
    EXPECT_EQ(m_listener.ValuesOf('o'), std::vector<int>{0});
    EXPECT_EQ(m_listener.ValuesOf('y'), std::vector<int>{4999});
    EXPECT_EQ(m_listener.ValuesOf('z'), std::vector<int>{33});
    EXPECT_EQ(m_listener.readBackFinished, 0);
    // The custom frame entries of the cache belong to the frame editor's save, not to this chain.
    for (int slot = 175; slot <= 189; ++slot) EXPECT_EQ(m_state.m_nParamCache[slot], 0);
}

TEST_F(ReadBackTest, CoordinateReplyOfZeroShowsMinusFiveThousandAndIsAskedAgain) {
    StartFrameGeometryRead();
    AnswerUntil('n');
    Arrive(Reply('n', 0));
    EXPECT_EQ(m_listener.ValuesOf('n'), std::vector<int>{-5000});
    EXPECT_EQ(SentFrames(), std::vector<QByteArray>{"?n\r"});
}

// Answers to set commands sent during the read-back (a slider released, a page changed) come
// in mode 0 too: before, after or together with the reply the chain waits for.
TEST_F(ReadBackTest, SetEchoesAroundAReplyAreDroppedAndTheChainGoesOn) {
    const QByteArray echo = "SC0045\r\n";
    const QByteArray reply = Reply('C', HeldValue('C'));
    const std::vector<std::vector<QByteArray>> arrangements = {
        {echo, reply},
        {reply, echo},
        {reply + echo},
        {echo + reply},
        {reply + echo.left(3), echo.mid(3)},
        {echo.left(5), echo.mid(5) + reply.left(4), reply.mid(4)},
        {echo, echo + reply, echo},
    };
    for (std::size_t i = 0; i < arrangements.size(); ++i) {
        SCOPED_TRACE(i);
        m_line->ClearSent();
        m_listener = {};
        controller = [&](const QByteArray& frame) -> std::vector<QByteArray> {
            if (frame == "?C\r") return arrangements[i];
            return {Reply(frame[1], HeldValue(frame[1]))};
        };
        StartReadBack();
        Pump();
        EXPECT_EQ(SentFrames(), QueriesOf(kReadBackOrder));
        EXPECT_EQ(m_listener.ValuesOf('C'), std::vector<int>{HeldValue('C')});
        EXPECT_EQ(m_listener.readBackFinished, 1);
    }
}

TEST_F(ReadBackTest, OrdinarySetEchoDoesNotHideAReferenceSetEcho) {
    StartReferenceSet(2);
    ForgetWrittenFrames();
    Arrive("SC0045\r\nSj0002\r\n");
    EXPECT_EQ(SentFrames(), std::vector<QByteArray>{"?V\r"});
}

// A repeating line delivers every reply twice: only the first copy moves the chain on.
TEST_F(ReadBackTest, RepeatedRepliesAreDroppedAndEveryQueryGoesOutOnce) {
    int asked = 0;
    controller = [&asked](const QByteArray& frame) -> std::vector<QByteArray> {
        if (++asked > 100) return {};  // a forked chain would never end
        const QByteArray reply = Reply(frame[1], HeldValue(frame[1]));
        return {reply, reply};
    };
    StartReadBack();
    Pump();
    EXPECT_EQ(SentFrames(), QueriesOf(kReadBackOrder));
    EXPECT_EQ(m_listener.ValuesOf('C'), std::vector<int>{HeldValue('C')});
    EXPECT_EQ(m_listener.readBackFinished, 1);
}

TEST_F(ReadBackTest, EveryReplySplitAtAnyByteStillWalksTheWholeChain) {
    for (int at = 1; at < 10; ++at) {
        SCOPED_TRACE(at);
        m_line->ClearSent();
        controller = [at](const QByteArray& frame) -> std::vector<QByteArray> {
            const QByteArray reply = Reply(frame[1], HeldValue(frame[1]));
            return {reply.left(at), reply.mid(at)};
        };
        StartReadBack();
        Pump();
        EXPECT_EQ(SentFrames(), QueriesOf(kReadBackOrder));
    }
}

// A reply that does not come is asked for once more after a second; when that stays
// unanswered too, the chain ends and the listener hears of it once.
enum class Meanwhile { Nothing, Noise, LiveDisplayOn, AnotherExchange, PortClosed };

struct MissingReplyCase {
    const char* name;
    Meanwhile meanwhile;  // what happens while "?E" waits
    bool secondAskAnswered;
    std::vector<QByteArray> sentAfterTheWait;
    std::vector<char> incomplete;
};

void PrintTo(const MissingReplyCase& c, std::ostream* os) { *os << c.name; }

class MissingReplyTest : public ReadBackTest,
                         public ::testing::WithParamInterface<MissingReplyCase> {};

TEST_P(MissingReplyTest, IsAskedOnceMoreThenTheChainEnds) {
    const MissingReplyCase& c = GetParam();
    int asksOfE = 0;
    controller = [&](const QByteArray& frame) -> std::vector<QByteArray> {
        if (frame == "?E\r" && (++asksOfE == 1 || !c.secondAskAnswered)) return {};
        return {Reply(frame[1], HeldValue(frame[1]))};
    };
    StartReadBack();
    Pump();
    ASSERT_EQ(SentFrames().back(), "?E\r");
    m_line->ClearSent();
    switch (c.meanwhile) {
        case Meanwhile::Nothing:
            break;
        case Meanwhile::Noise:  // noise came, but not the reply
            Arrive("\x7f\x01?E\r");
            break;
        case Meanwhile::LiveDisplayOn:
            EnterMode(RxMode::Live);
            break;
        case Meanwhile::AnotherExchange:  // a special set came and went, answered
            EnterMode(RxMode::SpecialSet);
            Arrive("SZ0000\r\n");
            EnterMode(RxMode::ReadBack);
            break;
        case Meanwhile::PortClosed:
            m_comm.SetPortOpen(false);
            break;
    }

    m_clock.Advance(999ms);
    EXPECT_TRUE(SentFrames().empty());
    m_clock.Advance(1ms);
    Pump();
    m_clock.Advance(1s);
    Pump();
    EXPECT_EQ(SentFrames(), c.sentAfterTheWait);
    EXPECT_EQ(m_listener.incomplete, c.incomplete);
    EXPECT_EQ(m_listener.readBackFinished, c.sentAfterTheWait.size() > 1 ? 1 : 0);
    EXPECT_EQ(m_clock.PendingTimers(), 0u);
}

std::vector<QByteArray> QueriesFrom(char letter) {
    return QueriesOf(kReadBackOrder.substr(kReadBackOrder.find(letter)));
}

INSTANTIATE_TEST_SUITE_P(
    ReadBack, MissingReplyTest,
    ::testing::Values(
        MissingReplyCase{"NeverAnswered", Meanwhile::Nothing, false, {"?E\r"}, {'E'}},
        MissingReplyCase{"AnsweredTheSecondTime", Meanwhile::Nothing, true, QueriesFrom('E'), {}},
        MissingReplyCase{"OnlyNoiseCame", Meanwhile::Noise, true, QueriesFrom('E'), {}},
        // The line serves another exchange now: the read-back ends without a word.
        MissingReplyCase{"LiveDisplayOn", Meanwhile::LiveDisplayOn, true, {}, {}},
        MissingReplyCase{"AnotherExchange", Meanwhile::AnotherExchange, true, {}, {}},
        // The adapter was pulled: the status line says so already.
        MissingReplyCase{"PortClosed", Meanwhile::PortClosed, true, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadBackTest, FrameGeometryChainAlsoEndsWhenItsReplyStaysAway) {
    StartFrameGeometryRead();
    m_clock.Advance(1s);
    m_clock.Advance(1s);
    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"?k\r", "?k\r"}));
    EXPECT_EQ(m_listener.incomplete, std::vector<char>{'k'});
}

TEST_F(ReadBackTest, WorkQueuedBehindTheReadBackRunsWhenItEndsAndOnlyThen) {
    int ran = 0;
    AfterReadBack([&ran] { ++ran; });
    EXPECT_EQ(ran, 1);  // nothing on the line: at once

    AnswerEveryQuery();
    StartReadBack();
    AfterReadBack([this, &ran] {
        ++ran;
        EXPECT_EQ(SentFrames().size(), 49u);  // after the reply to "?j"
    });
    EXPECT_EQ(ran, 1);
    Pump();
    EXPECT_EQ(ran, 2);

    // A new read-back replaces the one the work was waiting for, and the work with it.
    controller = nullptr;
    StartReadBack();
    AfterReadBack([&ran] { ++ran; });
    StartReadBack();
    AnswerEveryQuery();
    Arrive(Reply('V', 1218));
    Pump();
    EXPECT_EQ(ran, 2);
}

// A read-back that ends without its reply frees the line as well: a frame save waiting for it
// goes out once the operator has been told; when the port is gone, it goes with the read-back.
TEST_F(ReadBackTest, WorkQueuedBehindAnUnansweredReadBackRunsWhenTheChainGivesUp) {
    for (const bool portOpen : {true, false}) {
        SCOPED_TRACE(portOpen);
        m_listener = {};
        int ran = 0;
        StartReadBack();
        AfterReadBack([this, &ran] {
            ++ran;
            EXPECT_EQ(m_listener.incomplete, std::vector<char>{'V'});
        });
        if (!portOpen) m_comm.SetPortOpen(false);
        m_clock.Advance(1s);
        m_clock.Advance(1s);
        EXPECT_EQ(ran, portOpen ? 1 : 0);
        AfterReadBack([&ran] { ++ran; });  // nothing on the line now: at once
        EXPECT_EQ(ran, portOpen ? 2 : 1);
    }
}

}  // namespace
