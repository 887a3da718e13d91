// Every export restores: a controller holding a value is read back, exported, given another
// value, restored from the file and read again; on firmware up to 1.211 and from 1.212 on, for
// every letter the restore sends, at the ends and the middle of what it can hold. Values the
// controller should not hold are exported as restorable ones and named in a note.
#include <set>
#include <variant>

#include "BulkWriteChain.h"
#include "ControllerSim.h"
#include "OutOfRangeNote.h"
#include "ParamTable.h"
#include "ParameterDiff.h"
#include "ParameterExport.h"
#include "ParameterRestore.h"
#include "SessionFixture.h"

namespace {

constexpr int kLegacy = kGimbalOffsetLastVersion;
constexpr int kCurrent = kGimbalOffsetLastVersion + 7;
constexpr int kLargestWire = 9999;

// The simulated controller (its own model of the line, independent of the protocol core)
// behind the session's in-memory line.
class RoundTripTest : public SessionTest {
protected:
    RoundTripTest() {
        m_sim.onOutput = [this](const QByteArray& bytes) { m_answers.push_back(bytes); };
        controller = [this](const QByteArray& frame) {
            m_answers.clear();
            m_sim.Receive(frame);
            return m_answers;
        };
    }
    QByteArray ReadBackAndExport() {
        m_session.ReadBack();
        Pump();
        return ParameterFileBytes(m_session.Cache(), 3, m_session.FirmwareVersion());
    }
    // Checks the file as the restore does; false (and a failure) when it is refused.
    bool Restore(const QByteArray& file) {
        const auto read = ReadParameterFile(file);
        if (const auto* problem = std::get_if<FileProblem>(&read)) {
            ADD_FAILURE() << problem->Describe(true).toStdString();
            return false;
        }
        m_listener.ends.clear();
        m_session.Restore(std::get<ParameterValues>(read));
        Pump();
        return m_listener.ends.size() == 1 && m_listener.ends[0].chain == Chain::Restore &&
               m_listener.ends[0].result == ChainResult::Done;
    }
    int Held(char letter) const { return m_sim.Parameters().Value(letter); }

    ControllerSim m_sim;
    std::vector<QByteArray> m_answers;
};

// The wire values a letter can hold, found through the table's own check.
std::vector<int> HeldValues(char letter) {
    std::vector<int> held;
    for (int wire = 0; wire <= kLargestWire; ++wire)
        if (IsWireValueHeld(letter, wire)) held.push_back(wire);
    return held;
}

// The ends and the middle: of the values held for a setting, of the masks for a bit field
// (M always has its four low bits set by the restore).
std::vector<int> Probes(char letter) {
    if (const int bits = BitCountOf(letter)) {
        const int all = (1 << bits) - 1;
        const int forced = letter == 'M' ? 0x0F : 0;
        return {forced, (0x5555 & all) | forced, all};
    }
    const std::vector<int> held = HeldValues(letter);
    return {held.front(), held[held.size() / 2], held.back()};
}

// Wire values just outside what a setting can hold (none for bit fields).
std::vector<int> OutsideProbes(char letter) {
    if (BitCountOf(letter)) return {};
    const std::vector<int> held = HeldValues(letter);
    std::vector<int> outside;
    if (held.front() > 0) outside.push_back(held.front() - 1);
    if (held.back() < kLargestWire) outside.push_back(held.back() + 1);
    // A list whose codes leave gaps (P: 1, 3, 4, 7): the first gap too.
    for (std::size_t i = 1; i < held.size(); ++i)
        if (held[i] != held[i - 1] + 1) {
            outside.push_back(held[i - 1] + 1);
            break;
        }
    return outside;
}

TEST_F(RoundTripTest, EveryHeldValueComesBackOnBothFirmwareGenerations) {
    for (int version : {kLegacy, kCurrent}) {
        m_sim.SetFirmwareVersion(version);
        for (char letter : kBulkWriteOrder) {
            for (int wire : Probes(letter)) {
                m_sim.Parameters().Reset();
                m_sim.Parameters().Set(letter, wire);
                const std::map<char, int> before = [&] {
                    std::map<char, int> all;
                    for (char l : kBulkWriteOrder) all[l] = Held(l);
                    return all;
                }();
                const QByteArray file = ReadBackAndExport();
                const int other = Probes(letter)[wire == Probes(letter)[0] ? 2 : 0];
                m_sim.Parameters().Set(letter, other);
                ASSERT_TRUE(Restore(file)) << version << ' ' << letter << '=' << wire;
                for (char l : kBulkWriteOrder)
                    EXPECT_EQ(Held(l), before.at(l))
                        << "firmware " << version << ", " << letter << '=' << wire << ": " << l
                        << " came back otherwise";
            }
        }
    }
}

TEST_F(RoundTripTest, ValuesTheControllerShouldNotHoldAreNamedAndRestoredInRange) {
    for (int version : {kLegacy, kCurrent}) {
        m_sim.SetFirmwareVersion(version);
        for (char letter : kBulkWriteOrder) {
            for (int wire : OutsideProbes(letter)) {
                m_sim.Parameters().Reset();
                m_sim.Parameters().Set(letter, wire);
                m_listener.replies.clear();
                const QByteArray file = ReadBackAndExport();
                std::map<char, int> read;
                for (const auto& [l, w] : m_listener.replies) read[l] = w;
                const auto held =
                    ParametersHeldOutOfRange(read, m_session.Cache(), m_session.FirmwareVersion());
                ASSERT_EQ(held.size(), 1u) << version << ' ' << letter << '=' << wire;
                EXPECT_EQ(held[0].letter, letter);
                EXPECT_EQ(held[0].wire, wire);
                EXPECT_TRUE(DescribeHeldOutOfRange(held, true)
                                .contains(QStringLiteral("%1 (").arg(QLatin1Char(letter))));
                ASSERT_TRUE(Restore(file)) << version << ' ' << letter << '=' << wire;
                EXPECT_TRUE(IsWireValueHeld(letter, Held(letter)))
                    << version << ' ' << letter << '=' << wire << " restored as " << Held(letter);
            }
        }
    }
}

// On firmware up to 1.211 the gimbal sliders send other offsets than the read-back removes;
// the cache keeps what the controller then holds in the read-back's form, so the export made
// after moving them restores exactly what the controller held, and the restore's own check
// compares like with like.
TEST_F(RoundTripTest, LegacyGimbalExportAfterSliderMovesRestoresWhatTheControllerHeld) {
    m_sim.SetFirmwareVersion(1211);
    ReadBackAndExport();
    const std::pair<char, int> moves[] = {{'K', 40}, {'%', 60}, {'J', -20}, {')', 0}, {'+', 0}};
    for (const auto& [letter, shown] : moves) m_session.SetParameter(letter, shown);
    Pump();
    // Sent as K 140, % 60, J 80, ) 100, + 100.
    const std::map<char, int> held{{'K', 140}, {'%', 60}, {'J', 80}, {')', 100}, {'+', 100}};
    for (const auto& [letter, wire] : held) ASSERT_EQ(Held(letter), wire) << letter;

    const QByteArray file = ParameterFileBytes(m_session.Cache(), 3, m_session.FirmwareVersion());
    for (const auto& [letter, wire] : held) m_sim.Parameters().Set(letter, 50);
    ASSERT_TRUE(Restore(file));
    for (const auto& [letter, wire] : held) EXPECT_EQ(Held(letter), wire) << letter;
    const auto values = std::get<ParameterValues>(ReadParameterFile(file));
    EXPECT_EQ(LettersNotReadBack(values, m_session.Cache(), m_session.FirmwareVersion()), "");
}

}  // namespace
