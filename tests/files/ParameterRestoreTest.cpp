// The restore of a checked file: the exact frames of the bulk write in their order and pauses,
// and the time-out that ends a restore whose echo does not come.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <string>

#include "CMSComm.h"
#include "FakeClock.h"
#include "GoldenFile.h"
#include "IProtocolListener.h"
#include "MemoryLine.h"
#include "ParamTable.h"
#include "ParameterRestore.h"
#include "ReceiveDispatcher.h"

using namespace std::chrono_literals;

namespace {

// The wiring the window and the command line use: the dispatcher's listener hands the bulk
// write's progress to the restore, and the restore's outcome is recorded.
class ParameterRestoreTest : public ::testing::Test,
                             public IProtocolListener,
                             public IRestoreListener {
protected:
    ParameterRestoreTest()
        : m_comm(MakeLine()),
          m_dispatcher(m_state, m_comm, m_clock, *this),
          m_restore(m_state, m_dispatcher, m_clock, *this) {
        m_comm.SetInputMode(CMSComm::comInputModeBinary);
        m_comm.SetRThreshold(1);
        m_comm.SetPortOpen(true);
        QObject::connect(&m_comm, &CMSComm::OnComm, [this] { m_dispatcher.OnComm(); });
        // The controller echoes every set command the way it stores it, "\r\n" after it,
        // unless it has gone quiet.
        m_line->onWritten = [this](const QByteArray& frame) {
            if (!frame.startsWith('S')) return;
            if (frame[1] == m_cSilentFrom) m_bQuiet = true;
            if (!m_bQuiet) m_line->Feed(frame + '\n');
        };
    }

    void OnValueRead(char, int) override {}
    void OnFirmwareVersion(int) override {}
    void OnBulkWriteLinkSent(char letter) override { m_restore.OnLinkSent(letter); }
    void OnBulkWriteFinished() override { m_restore.OnFinished(); }
    void OnRestoreFinished() override { ++m_nFinished; }
    void OnRestoreStopped(char letter) override { m_stoppedAt += letter; }

    // Lets the echoes arrive until the line is still.
    void Settle() {
        std::size_t sent = 0;
        do {
            sent = m_line->Sent().size();
            QCoreApplication::processEvents();
        } while (m_line->Sent().size() != sent || m_line->PendingBytes() > 0);
    }

    std::vector<QByteArray> SentFrames() const {
        std::vector<QByteArray> frames;
        for (const auto& sent : m_line->Sent()) frames.push_back(sent.bytes);
        return frames;
    }

    ParameterValues Golden() const {
        ParameterValues values{};
        const auto cache = GoldenCache();
        std::copy_n(cache.begin(), values.size(), values.begin());
        return values;
    }

    FakeClock m_clock;
    MemoryLine* m_line = nullptr;
    CMSComm m_comm;
    ProtocolState m_state;
    CReceiveDispatcher m_dispatcher;
    CParameterRestore m_restore;
    char m_cSilentFrom = 0;  // the controller goes quiet at this letter's set command
    bool m_bQuiet = false;
    int m_nFinished = 0;
    std::string m_stoppedAt;

private:
    std::unique_ptr<ICommBackend> MakeLine() {
        auto line = std::make_unique<MemoryLine>(m_clock);
        m_line = line.get();
        return line;
    }
};

TEST_F(ParameterRestoreTest, GoldenFileGoesOutInChainOrderWithItsPausesThenReadsBack) {
    m_restore.Start(Golden());
    Settle();
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
    ASSERT_EQ(sent.size(), expected.size());
    for (std::size_t i = 2; i < sent.size(); ++i)
        EXPECT_GE(sent[i].at - sent[i - 1].at, 50ms) << expected[i].toStdString();
    EXPECT_EQ(m_nFinished, 1);
    EXPECT_FALSE(m_restore.IsRunning());
    m_clock.Advance(10s);
    EXPECT_TRUE(m_stoppedAt.empty());
    EXPECT_EQ(m_state.m_nRxMode, ProtocolState::kModeReadBack);
}

TEST_F(ParameterRestoreTest, MissingEchoEndsTheRestoreAfterTwoSecondsNamingItsLink) {
    for (char silent : {'j', 'C', 'K', 'i', 'O'}) {
        m_line->ClearSent();
        m_stoppedAt.clear();
        m_cSilentFrom = silent;
        m_bQuiet = false;
        m_restore.Start(Golden());
        Settle();
        const QByteArray last = SentFrames().back();
        EXPECT_EQ(last[1], silent);
        EXPECT_EQ(m_state.m_nRxMode, ProtocolState::kModeBulkWrite);

        m_clock.Advance(1999ms);
        EXPECT_TRUE(m_stoppedAt.empty()) << silent;
        m_clock.Advance(1ms);
        EXPECT_EQ(m_stoppedAt, std::string(1, silent));
        EXPECT_EQ(m_state.m_nRxMode, ProtocolState::kModeReadBack);
        EXPECT_FALSE(m_restore.IsRunning());
        m_clock.Advance(10s);
        EXPECT_EQ(m_stoppedAt.size(), 1u) << "told once";
        EXPECT_EQ(SentFrames().back(), last) << "nothing sent after the stop";
    }
    EXPECT_EQ(m_nFinished, 0);
}

TEST_F(ParameterRestoreTest, EveryValueGoesOutWholeEvenWhenTheFileHeldItShort) {
    ParameterValues values = Golden();
    values[4] = 5;  // "辅 助  稳定度5"
    values[26] = 300;
    FillRestoreTable(values, m_state);
    EXPECT_EQ(BulkWriteFrame('D', m_state), "SD0005\r");
    EXPECT_EQ(BulkWriteFrame('L', m_state), "SL0300\r");
    EXPECT_EQ(BulkWriteFrame('&', m_state), "S&0097\r");
}

TEST(ParameterRestore, ValuesNotTakenAreNamedByLetterAndLine) {
    ParameterValues restored{};
    const auto golden = GoldenCache();
    std::copy_n(golden.begin(), restored.size(), restored.begin());
    auto cache = golden;
    EXPECT_EQ(LettersNotRestored(restored, cache), "");
    cache[31] = 0;   // the battery bit of M goes out set whatever the file says
    cache[175] = 6;  // frame values are not restored
    EXPECT_EQ(LettersNotRestored(restored, cache), "");
    cache[3] = 44;
    cache[36] = 1;
    cache[174] = 0;
    EXPECT_EQ(LettersNotRestored(restored, cache), "CiM");

    EXPECT_EQ(RestoreLinkName('C', false), "参数C（文件第5行“主  稳  定 度”）");
    EXPECT_EQ(RestoreLinkName('a', true), "parameter a (lines 57 to 68 of the file)");
    EXPECT_EQ(RestoreLinkName('j', true), "the restore start command Sj0004");
}

}  // namespace
