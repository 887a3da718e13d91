// Arbitrary bytes in every receive mode: nothing crashes, nothing grows without end.
#include <QStringList>
#include <algorithm>
#include <random>

#include "CommError.h"
#include "DispatcherFixture.h"

namespace {

class RobustnessTest : public DispatcherTest {};

// Bytes drawn mostly from what replies are made of, so that recognition paths are reached.
QByteArray RandomChunk(std::mt19937& random) {
    static const QByteArray kAlphabet = "?S\r\n0123456789jVCNOkyz~-x";
    std::uniform_int_distribution<int> length(0, 24);
    std::uniform_int_distribution<int> pick(0, int(kAlphabet.size()) - 1);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::bernoulli_distribution raw(0.2);
    QByteArray chunk;
    for (int n = length(random); n > 0; --n)
        chunk += raw(random) ? char(anyByte(random)) : kAlphabet[pick(random)];
    return chunk;
}

TEST_F(RobustnessTest, ArbitraryBytesInEveryModeAreHandled) {
    std::mt19937 random(20240611);
    // The upload's modes are the upload's (its own test and fuzz target); without it, their
    // bytes only fill the buffer.
    for (RxMode mode : {RxMode::ReadBack, RxMode::BulkWrite, RxMode::Live, RxMode::SpecialSet,
                        RxMode::ReverseReread}) {
        for (int i = 0; i < 3000; ++i) {
            if (i % 50 == 0) {
                EnterMode(mode);  // chains move the mode on; bring it back
                m_state.m_nRxCount = 0;
                m_state.m_strRestoreText[int(random() % 200)] = RandomChunk(random);
            }
            Arrive(RandomChunk(random));
            ASSERT_GE(m_state.m_nRxCount, 0);
        }
    }
    for (const auto& sent : m_line->Sent()) EXPECT_FALSE(sent.bytes.isEmpty());
}

TEST_F(RobustnessTest, CountAndBufferOutOfStepDoNotReadPastTheBuffer) {
    for (RxMode mode :
         {RxMode::ReadBack, RxMode::BulkWrite, RxMode::SpecialSet, RxMode::ReverseReread}) {
        for (const QByteArray& buffer : {QByteArray(), QByteArray("?"), QByteArray("S"),
                                         QByteArray("?C"), QByteArray("?N\r")}) {
            EnterMode(mode);
            m_state.m_strRxBuf = buffer;
            m_state.m_nRxCount = mode == RxMode::SpecialSet  ? 8
                                 : mode == RxMode::BulkWrite ? 7
                                                             : 10;
            m_reader.Receive({});
        }
    }
    SUCCEED();
}

// An unknown reply, noise and a live stream the window did not start arrive in mode 0: none is
// an answer the read-back waits for, nothing of them is kept beyond what may still begin an
// answer, and the awaited reply behind them is taken.
TEST_F(RobustnessTest, NoiseInModeZeroIsDroppedAndTheAwaitedReplyBehindItTaken) {
    StartReadBack();
    ForgetWrittenFrames();
    Arrive(Reply('X', 1));
    const QByteArray noise(4096, 'n');
    const QByteArray live = "CHDA10001100120013001400150016001700\r\nSSDA0123012301230123\r\n";
    for (int i = 0; i < 100; ++i) Arrive(i % 2 ? noise : live);
    EXPECT_LT(m_state.m_strRxBuf.size(), 10);
    EXPECT_TRUE(SentFrames().empty());
    Arrive(Reply('V', 1218));
    EXPECT_EQ(SentFrames(), std::vector<QByteArray>{"?C\r"});
}

TEST_F(RobustnessTest, ClosedPortEndsTheHandlerAfterTheValueIsStored) {
    StartReadBack();
    Arrive(Reply('V', 1218));  // "?C" is asked
    m_comm.SetPortOpen(false);
    EXPECT_THROW(m_reader.Receive(Reply('C', 45)), CommError);
    EXPECT_EQ(m_state.m_nParamCache[3], 45);
    EXPECT_EQ(m_listener.ValuesOf('C'), std::vector<int>{45});
}

}  // namespace

// Every byte the program drops reaches the debug log with the reason, so that a user's log shows
// what the controller said when a chain reports no answer.
TEST_F(RobustnessTest, EveryDroppedByteIsLoggedWithWhyItWasDropped) {
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { logged << text; });
    StartReadBack();       // "?V" asked
    Arrive("xx");          // noise
    Arrive("SC0045\r\n");  // an echo no chain waits for
    Arrive(Reply('V', 1218));
    // Stale bytes wait on the port when "?A" is asked.
    m_listener.onValue = [this](char letter) {
        if (letter == 'C') m_line->Feed("?Q\r");
    };
    Arrive(Reply('C', 45));
    Arrive("?A\r=00");  // cut off by a new read-back
    StartReadBack();
    qInstallMessageHandler(previous);
    const struct Row {
        const char* bytes;
        const char* why;
    } rows[] = {
        {"xx", "they begin no answer"},
        {"SC0045\\r\\n", "no chain waits for this answer"},
        {"?Q\\r", "discarded before a send"},
        {"?A\\r=00", "not complete"},
    };
    for (const Row& row : rows) {
        const bool found = std::any_of(logged.begin(), logged.end(), [&](const QString& line) {
            return line.contains(QLatin1String(row.bytes)) && line.contains(QLatin1String(row.why));
        });
        EXPECT_TRUE(found) << row.bytes << " / " << row.why << "\n"
                           << logged.join(QLatin1Char('\n')).toStdString();
    }
}
