// The restore of a checked file: the exact frames of the bulk write in their order and pauses,
// the time-out that ends a restore whose echo does not come, and the comparison after it.
#include <string>

#include "DispatcherFixture.h"
#include "GoldenFile.h"
#include "ParamTable.h"
#include "ParameterRestore.h"

using namespace std::chrono_literals;

namespace {

// The dispatcher's listener hands the bulk write's progress to the restore, as the window and
// the command line do. The controller echoes every set command until it falls silent.
class ParameterRestoreTest : public DispatcherTest, public IRestoreListener {
protected:
    ParameterRestoreTest() : m_restore(m_state, m_dispatcher, m_clock, *this) {
        m_listener.onBulkWriteLink = [this](char letter) { m_restore.OnLinkSent(letter); };
        m_listener.onBulkWriteEnd = [this] { m_restore.OnFinished(); };
        controller = [this](const QByteArray& frame) -> std::vector<QByteArray> {
            if (!frame.startsWith('S')) return {};
            if (frame[1] == m_cSilentAt) m_bQuiet = true;
            if (m_bQuiet) return {};
            return {frame + '\n'};
        };
    }
    void OnRestoreFinished() override { ++m_nFinished; }
    void OnRestoreStopped(char letter) override { m_stoppedAt += letter; }

    CParameterRestore m_restore;
    char m_cSilentAt = 0;
    bool m_bQuiet = false;
    int m_nFinished = 0;
    std::string m_stoppedAt;
};

TEST_F(ParameterRestoreTest, GoldenFileGoesOutInChainOrderWithItsPausesThenReadsBack) {
    m_restore.Start(GoldenValues());
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
    EXPECT_EQ(m_nFinished, 1);
    m_clock.Advance(10s);
    EXPECT_TRUE(m_stoppedAt.empty());
}

TEST_F(ParameterRestoreTest, MissingEchoEndsTheRestoreAfterTwoSeconds) {
    for (char silent : {'j', 'C', 'i', 'O'}) {
        m_cSilentAt = silent;
        m_bQuiet = false;
        m_stoppedAt.clear();
        m_restore.Start(GoldenValues());
        Pump();
        const std::size_t sent = m_line->Sent().size();
        EXPECT_EQ(SentFrames().back()[1], silent);
        m_clock.Advance(1999ms);
        EXPECT_TRUE(m_stoppedAt.empty()) << silent;
        m_clock.Advance(1ms);
        EXPECT_EQ(m_stoppedAt, std::string(1, silent));
        EXPECT_EQ(m_state.m_nRxMode, ProtocolState::kModeReadBack);
        m_clock.Advance(10s);
        EXPECT_EQ(m_stoppedAt.size(), 1u) << "told once";
        EXPECT_EQ(m_line->Sent().size(), sent) << "nothing sent after the stop";
    }
    EXPECT_EQ(m_nFinished, 0);
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
