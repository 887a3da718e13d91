// The controller session's chains over their outcomes: every chain that waits for echoes ends
// once, told to the caller, whether its last echo came, one did not come in time, the line was
// lost, or another intent took the line; a timer of an ended chain never fires into another.
#include <QCoreApplication>
#include <string>

#include "BulkWriteChain.h"
#include "CommError.h"
#include "CommandFrames.h"
#include "GoldenFile.h"
#include "ParamTable.h"
#include "SessionFixture.h"

using namespace std::chrono_literals;

namespace {

const std::array<int, 15> kRecord{6, 650, 600, -120, 300, 120, 300, -120,
                                  -300, 120, -300, -250, 0, 250, 0};

struct ChainCase {
    const char* name;
    Chain chain;
    std::function<void(CControllerSession&)> start;
    std::string echoes;  // the letters whose echoes the chain waits for, in order
    std::chrono::milliseconds timeout;
};

std::vector<ChainCase> Chains() {
    return {
        {"calibration", Chain::Calibration,
         [](CControllerSession& s) { s.Calibrate({420, 415, 418, 410}); }, "0123", 1s},
        {"frame save", Chain::FrameSave, [](CControllerSession& s) { s.SaveFrame(kRecord); },
         "klmnopqrstuvwxy", 1s},
        {"declination", Chain::Declination, [](CControllerSession& s) { s.SetDeclination(-5); },
         "Q", 1s},
        {"directions", Chain::Directions, [](CControllerSession& s) { s.SetMotorDirections(9); },
         "z", 1s},
        {"restore", Chain::Restore, [](CControllerSession& s) { s.Restore(GoldenValues()); },
         "j" + std::string(kBulkWriteOrder), 2s},
    };
}

enum class Ending { AllEchoed, SilentHalfway, LineLostHalfway, ReplacedHalfway };

class ChainRig : public SessionRig {
public:
    // Runs a chain to the given ending and returns what the caller was told about it.
    std::vector<ChainEnd> Run(const ChainCase& c, Ending ending) {
        const char halfway = c.echoes[c.echoes.size() / 2];
        EchoSetCommandsUntil(ending == Ending::AllEchoed ? 0 : halfway);
        c.start(m_session);
        Pump();
        switch (ending) {
            case Ending::AllEchoed:
                break;
            case Ending::SilentHalfway:
                m_clock.Advance(c.timeout - 1ms);
                EXPECT_TRUE(m_listener.ends.empty()) << c.name << ": ended before its time-out";
                m_clock.Advance(1ms);
                break;
            case Ending::LineLostHalfway:
                m_line->HangUp();
                QCoreApplication::processEvents();  // the loss is told from the event loop
                break;
            case Ending::ReplacedHalfway:
                m_session.SetParameter('C', 45);
                break;
        }
        const std::size_t sent = m_line->Sent().size();
        // Whatever comes late changes nothing: no second end, nothing sent on its behalf.
        if (ending != Ending::LineLostHalfway) m_line->Inject(SetCommand(halfway, 0) + '\n');
        m_clock.Advance(10s);
        if (ending != Ending::AllEchoed) {
            EXPECT_EQ(m_line->Sent().size(), sent) << c.name << ": sent after its end";
        }
        return m_listener.ends;
    }
};

TEST(ChainOutcome, EveryChainEndsOnceWithItsOutcome) {
    const struct {
        Ending ending;
        ChainResult result;
    } endings[] = {{Ending::AllEchoed, ChainResult::Done},
                   {Ending::SilentHalfway, ChainResult::NoAnswer},
                   {Ending::LineLostHalfway, ChainResult::LineLost},
                   {Ending::ReplacedHalfway, ChainResult::Replaced}};
    for (const ChainCase& c : Chains()) {
        for (const auto& [ending, result] : endings) {
            SCOPED_TRACE(std::string(c.name) + " / " + std::to_string(int(result)));
            ChainRig fresh;
            const std::vector<ChainEnd> ends = fresh.Run(c, ending);
            ASSERT_EQ(ends.size(), 1u);
            EXPECT_EQ(ends[0].chain, c.chain);
            EXPECT_EQ(ends[0].result, result);
            const char expected =
                result == ChainResult::Done ? (c.chain == Chain::Restore ? 'O' : c.echoes.back())
                                            : c.echoes[c.echoes.size() / 2];
            EXPECT_EQ(ends[0].letter, expected);
            if (c.chain != Chain::FrameSave) continue;
            // The cache keeps the frame only once the controller has echoed all of it.
            const auto cache = fresh.m_session.Cache().subspan(ProtocolState::kFrameRecordFirstSlot, 15);
            const bool kept = std::equal(cache.begin(), cache.end(), kRecord.begin());
            EXPECT_EQ(kept, result == ChainResult::Done);
        }
    }
}

TEST_F(SessionTest, ChainsSendEachValueOnceAndAnUploadHoldsEveryIntent) {
    // A set command is never sent twice, even when its echo never comes.
    EchoSetCommandsUntil('1');
    m_session.Calibrate({420, 415, 418, 410});
    Pump();
    m_clock.Advance(5s);
    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"S00420\r", "S10835\r"}));
    EXPECT_EQ(m_session.Mode(), RxMode::ReadBack);
}

TEST_F(SessionTest, ARefusedSendLeavesTheCacheAsTheControllerConfirmedIt) {
    EchoSetCommandsUntil(0);
    m_session.SetParameter('C', 45);
    EXPECT_EQ(m_session.Cache()[*CacheSlotOf('C')], 45);
    m_session.Comm().SetPortOpen(false);
    EXPECT_THROW(m_session.SetParameter('C', 60), CommError);
    EXPECT_THROW(m_session.SetSwitchRow('a', 5), CommError);
    EXPECT_EQ(m_session.Cache()[*CacheSlotOf('C')], 45);
    EXPECT_EQ(MaskFromCache('a', m_session.Cache()), 0);
    EXPECT_THROW(m_session.Calibrate({1, 2, 3, 4}), CommError);
    ASSERT_EQ(m_listener.ends.size(), 1u);
    EXPECT_EQ(m_listener.ends[0].result, ChainResult::Refused);
}

}  // namespace
