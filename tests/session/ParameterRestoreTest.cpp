// The restore of a checked file: the exact frames of the bulk write in their order and pauses,
// the time-out that ends a restore whose echo does not come, and the comparison after it.
#include <string>

#include "GoldenFile.h"
#include "ParamTable.h"
#include "ParameterRestore.h"
#include "SessionFixture.h"

using namespace std::chrono_literals;

namespace {

// The controller echoes every set command until it falls silent.
class ParameterRestoreTest : public SessionTest {
protected:
    std::vector<ChainEnd> RestoreEnds() const {
        std::vector<ChainEnd> ends;
        for (const ChainEnd& end : m_listener.ends)
            if (end.chain == Chain::Restore) ends.push_back(end);
        return ends;
    }
};

TEST_F(ParameterRestoreTest, GoldenFileGoesOutInChainOrderWithItsPausesThenReadsBack) {
    EchoSetCommandsUntil(0);
    m_session.Restore(GoldenValues());
    Pump();
    const std::vector<QByteArray> expected = {
        "Sj0004\r", "SC0045\r", "SA0005\r", "SB0004\r", "SP0003\r", "SD0007\r", "SE0100\r",
        "SF0000\r", "SG0033\r", "SY0060\r", "SZ0009\r", "SR0050\r", "ST0012\r", "S`0099\r",
        "S@0040\r", "S#0035\r", "S$0030\r", "S!0025\r", "SJ0200\r", "SK0150\r", "S%0050\r",
        "S)0061\r", "S_0060\r", "S+0062\r", "S^0120\r", "S&0097\r", "S(0000\r", "SL0330\r",
        "SQ0175\r", "Sa0129\r", "Sb0516\r", "Sc2064\r", "Sd0064\r", "Se0258\r", "Sf1032\r",
        "S=0032\r", "Sg0129\r", "Sh0516\r", "Si2064\r", "SM0159\r", "SN0004\r", "SO0002\r",
        "?V\r"};
    EXPECT_EQ(SentFrames(), expected);
    const auto& sent = m_line->Sent();
    for (std::size_t i = 2; i < sent.size(); ++i)
        EXPECT_GE(sent[i].at - sent[i - 1].at, 50ms) << expected[i].toStdString();
    ASSERT_EQ(RestoreEnds().size(), 1u);
    EXPECT_EQ(RestoreEnds()[0].result, ChainResult::Done);
    m_clock.Advance(10s);
    EXPECT_EQ(RestoreEnds().size(), 1u);
}

TEST_F(ParameterRestoreTest, MissingEchoEndsTheRestoreAfterTwoSeconds) {
    // Nothing waits for the announcement's echo: silent from it on, the restore ends at C.
    for (auto [silentFrom, silent] : {std::pair{'j', 'C'}, {'C', 'C'}, {'i', 'i'}, {'O', 'O'}}) {
        EchoSetCommandsUntil(silentFrom);
        m_listener.ends.clear();
        m_session.Restore(GoldenValues());
        Pump();
        const std::size_t sent = m_line->Sent().size();
        EXPECT_EQ(SentFrames().back()[1], silent);
        m_clock.Advance(1999ms);
        EXPECT_TRUE(RestoreEnds().empty()) << silent;
        m_clock.Advance(1ms);
        ASSERT_EQ(RestoreEnds().size(), 1u) << silent;
        EXPECT_EQ(RestoreEnds()[0].result, ChainResult::NoAnswer);
        EXPECT_EQ(RestoreEnds()[0].letter, silent);
        m_line->Inject(SentFrames().back() + '\n');  // an echo after the stop moves nothing
        m_clock.Advance(10s);
        EXPECT_EQ(RestoreEnds().size(), 1u) << "told once";
        EXPECT_EQ(m_line->Sent().size(), sent) << "nothing sent after the stop";
    }
}

TEST(ParameterRestore, ReadBackIsComparedWithWhatTheChainSent) {
    const ParameterValues restored = GoldenValues();
    auto cache = GoldenCache();
    cache[31] = 0;   // the battery bit of M goes out set whatever the file says
    cache[175] = 6;  // frame values are not restored
    EXPECT_EQ(LettersNotRestored(restored, cache), "");
    cache[3] = 44;
    cache[36] = 1;
    cache[174] = 0;
    EXPECT_EQ(LettersNotRestored(restored, cache), "CiM");

    EXPECT_EQ(RestoreLinkName('C', false), "参数C（文件第5行“主  稳  定 度”）");
    EXPECT_EQ(RestoreLinkName('a', true), "parameter a (lines 57 to 68 of the file)");
}

}  // namespace
