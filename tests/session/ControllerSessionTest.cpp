// The controller session's chains over their outcomes: every chain ends once, told to the
// caller, and only the answer it waits for (its own frame's echo, its own query's reply) moves
// it on, however late, stale or slow to be read that answer is.
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "BulkWriteChain.h"
#include "CommError.h"
#include "CommandFrames.h"
#include "ControllerSim.h"
#include "FirmwareImage.h"
#include "GoldenFile.h"
#include "ParamTable.h"
#include "ReadBackChain.h"
#include "SessionFixture.h"

using namespace std::chrono_literals;

namespace {

const std::array<int, 15> kRecord{6,    650, 600,  -120, 300, 120, 300, -120,
                                  -300, 120, -300, -250, 0,   250, 0};

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
         [](CControllerSession& s) {
             s.Calibrate({420, 415, 418, 410});
         },
         "0123", 1s},
        {"frame save", Chain::FrameSave, [](CControllerSession& s) { s.SaveFrame(kRecord); },
         "klmnopqrstuvwxy", 1s},
        {"declination", Chain::Declination, [](CControllerSession& s) { s.SetDeclination(-5); },
         "Q", 1s},
        {"directions", Chain::Directions, [](CControllerSession& s) { s.SetMotorDirections(9); },
         "z", 1s},
        {"restore", Chain::Restore, [](CControllerSession& s) { s.Restore(GoldenValues()); },
         "j" + std::string(kBulkWriteOrder), 2s},
        {"reference set", Chain::ReferenceSet, [](CControllerSession& s) { s.LoadReferenceSet(2); },
         "j", 1s},
    };
}

enum class Ending {
    AllEchoed,
    SilentHalfway,
    LineLostHalfway,
    ReplacedHalfway,
    LateEchoIntoTheSameChain,  // timed out halfway; its echo comes as the chain starts again
    LateEchoIntoAnotherChain,  // timed out halfway; its echo comes as a direction click starts
    StaleCopyBeforeEachEcho,   // each echo in one read behind a copy of the one before
    BusyWhileTheEchoWaits,     // the halfway echo reaches the port while the loop is blocked
    BusyThenTheEchoComes,      // the loop is blocked past the time-out; the echo comes after
    MessageOpenAtTheLastEcho,  // the caller keeps a message open 4 s at the last answer
};

// The chain a direction click starts, or for the directions themselves the declination.
ChainCase NextChainAfter(const ChainCase& c) {
    for (const ChainCase& other : Chains())
        if (other.chain == (c.chain == Chain::Directions ? Chain::Declination : Chain::Directions))
            return other;
    return c;
}

class ChainRig : public SessionRig {
public:
    // The controller echoes every set command: from `silentAt` on it says nothing; the echo of
    // `heldAt` it holds back; with `repeat` each echo comes behind a copy of the one before;
    // `lateFirst` comes in front of the first echo.
    void Script(char silentAt, char heldAt, bool repeat, QByteArray lateFirst = {}) {
        m_strLate = std::move(lateFirst);
        controller = [=, this, quiet = false, previous = QByteArray()](
                         const QByteArray& frame) mutable -> std::vector<QByteArray> {
            if (!frame.startsWith('S') || frame.size() < 2) return {};
            quiet = quiet || frame[1] == silentAt;
            const QByteArray echo = frame + '\n';
            if (frame[1] == heldAt) m_strHeld = echo;
            if (quiet || frame[1] == heldAt) return {};
            std::vector<QByteArray> answers;
            if (!m_strLate.isEmpty()) answers.push_back(std::exchange(m_strLate, {}));
            answers.push_back(repeat ? std::exchange(previous, echo) + echo : echo);
            return answers;
        };
    }

    // The frames a chain sends when every echo comes, and the end it is told.
    static std::pair<std::vector<QByteArray>, std::vector<ChainEnd>> Answered(const ChainCase& c) {
        ChainRig rig;
        rig.Script(0, 0, false);
        c.start(rig.m_session);
        rig.Pump();
        return {rig.SentFrames(), rig.m_listener.ends};
    }

    // The echo of the last frame sent for a letter.
    QByteArray EchoOfSent(char letter) const {
        const std::vector<QByteArray> frames = SentFrames();
        for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame)
            if (frame->size() > 1 && (*frame)[0] == 'S' && (*frame)[1] == letter)
                return *frame + '\n';
        return {};
    }

    // Runs a chain to the ending; returns the frames sent from the chain's start on.
    std::vector<QByteArray> Run(const ChainCase& c, Ending ending) {
        using enum Ending;
        const char halfway = c.echoes[c.echoes.size() / 2];
        const bool busy = ending == BusyWhileTheEchoWaits || ending == BusyThenTheEchoComes;
        const bool silent = ending != AllEchoed && ending != MessageOpenAtTheLastEcho &&
                            ending != StaleCopyBeforeEachEcho && !busy;
        Script(silent ? halfway : 0, busy ? halfway : 0, ending == StaleCopyBeforeEachEcho);
        if (ending == MessageOpenAtTheLastEcho)
            m_listener.atLastAnswer = [this] { m_clock.Advance(4s); };
        m_listener.lastLetter = c.chain == Chain::Restore ? 'O' : c.echoes.back();
        c.start(m_session);
        Pump();
        if (ending == SilentHalfway || ending == LateEchoIntoTheSameChain ||
            ending == LateEchoIntoAnotherChain) {
            m_clock.Advance(c.timeout - 1ms);
            EXPECT_TRUE(m_listener.ends.empty()) << "ended before its time-out";
            m_clock.Advance(1ms);
        }
        if (ending == LineLostHalfway) {
            m_line->HangUp();
            QCoreApplication::processEvents();  // the loss is told from the event loop
        }
        if (ending == ReplacedHalfway) m_session.SetParameter('C', 45);
        if (ending == LateEchoIntoTheSameChain || ending == LateEchoIntoAnotherChain) {
            const QByteArray late = EchoOfSent(halfway);
            ForgetWrittenFrames();
            Script(0, 0, false, late);
            (ending == LateEchoIntoTheSameChain ? c : NextChainAfter(c)).start(m_session);
            Pump();
            return SentFrames();
        }
        if (busy) {
            // Blocked past the time-out: with the echo already on the port, the time-out and
            // the echo are both due and the time-out runs first; with the controller starved
            // too, its echo comes 300 ms after the loop is free. Either way the echo counts.
            if (ending == BusyWhileTheEchoWaits) m_line->Feed(m_strHeld);
            m_clock.Wait(c.timeout + 500ms);
            m_clock.RunDueTimers();
            QCoreApplication::processEvents();
            if (ending == BusyThenTheEchoComes) {
                EXPECT_TRUE(m_listener.ends.empty()) << "a busy program took for a silent line";
                m_clock.Advance(300ms);
                m_line->Inject(m_strHeld);
            }
            Pump();
        }
        const std::vector<QByteArray> sent = SentFrames();
        // Whatever comes late changes nothing: no second end, nothing sent on its behalf.
        // (A restore or reference set that ended well has started the read-back, which asks on.)
        const bool readsBack = c.chain == Chain::Restore || c.chain == Chain::ReferenceSet;
        if (ending == SilentHalfway || ending == ReplacedHalfway ||
            (!readsBack && (ending == StaleCopyBeforeEachEcho || busy))) {
            m_line->Inject(EchoOfSent(halfway));
            m_clock.Advance(10s);
            EXPECT_EQ(SentFrames(), sent) << "sent after its end";
        }
        return sent;
    }

private:
    QByteArray m_strLate;
    QByteArray m_strHeld;
};

auto Key(const std::vector<ChainEnd>& ends) {
    std::vector<std::tuple<int, int, char>> keys;
    for (const ChainEnd& end : ends) keys.emplace_back(int(end.chain), int(end.result), end.letter);
    return keys;
}

TEST(ChainOutcome, EveryChainEndsOnceWithItsOutcomeAndOnlyItsOwnAnswersMoveIt) {
    for (const ChainCase& c : Chains()) {
        const auto [answeredFrames, answeredEnds] = ChainRig::Answered(c);
        ASSERT_EQ(answeredEnds.size(), 1u) << c.name;
        const ChainEnd done{c.chain, ChainResult::Done, answeredEnds[0].letter};
        const char halfway = c.echoes[c.echoes.size() / 2];
        const ChainEnd silent{c.chain, ChainResult::NoAnswer, halfway};
        const auto [nextFrames, nextEnds] = ChainRig::Answered(NextChainAfter(c));
        const struct Row {
            Ending ending;
            std::vector<ChainEnd> ends;
            std::vector<QByteArray> frames;  // the chain's own frames, each once; empty: unchecked
        } rows[] = {
            {Ending::AllEchoed, {done}, answeredFrames},
            {Ending::SilentHalfway, {silent}, {}},
            {Ending::LineLostHalfway, {{c.chain, ChainResult::LineLost, halfway}}, {}},
            {Ending::ReplacedHalfway, {{c.chain, ChainResult::Replaced, halfway}}, {}},
            {Ending::LateEchoIntoTheSameChain, {silent, done}, answeredFrames},
            {Ending::LateEchoIntoAnotherChain, {silent, nextEnds[0]}, nextFrames},
            {Ending::StaleCopyBeforeEachEcho, {done}, answeredFrames},
            {Ending::BusyWhileTheEchoWaits, {done}, answeredFrames},
            {Ending::BusyThenTheEchoComes, {done}, answeredFrames},
            {Ending::MessageOpenAtTheLastEcho, {done}, {}},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(c.name) + " / ending " + std::to_string(int(row.ending)));
            ChainRig rig;
            std::vector<QByteArray> frames = rig.Run(c, row.ending);
            EXPECT_EQ(Key(rig.m_listener.ends), Key(row.ends));
            frames.resize(std::min(frames.size(), row.frames.size()));
            EXPECT_EQ(frames, row.frames);
            if (c.chain != Chain::FrameSave) continue;
            // The cache keeps the frame only once the controller has echoed all of it.
            const auto cache =
                rig.m_session.Cache().subspan(ProtocolState::kFrameRecordFirstSlot, 15);
            EXPECT_EQ(std::equal(cache.begin(), cache.end(), kRecord.begin()),
                      row.ends.back().result == ChainResult::Done &&
                          row.ends.back().chain == Chain::FrameSave);
        }
    }
}

// The read-back takes only the reply to its own query: a stale copy in one read with the
// awaited reply, a reply left unread while the program was busy for 1.5 s, and a reply that
// waits on the port when the frame editor asks for the frame, are each taken, not re-asked.
TEST(ReadBackOutcome, EachQueryGoesOutOnceWhateverComesAroundItsReply) {
    enum class Line {
        Answered,
        StaleCopyBeforeEachReply,
        BusyWhileTheVersionWaits,
        BusyThenTheVersionComes,
        FrameReadWhileTheVersionWaits
    };
    for (Line line :
         {Line::Answered, Line::StaleCopyBeforeEachReply, Line::BusyWhileTheVersionWaits,
          Line::BusyThenTheVersionComes, Line::FrameReadWhileTheVersionWaits}) {
        SCOPED_TRACE(int(line));
        SessionRig rig;
        QByteArray previous, held;
        rig.controller = [&](const QByteArray& frame) -> std::vector<QByteArray> {
            if (frame.size() != 3 || frame[0] != '?') return {};
            const QByteArray reply =
                QueryCommand(frame[1]) + ' ' + (frame[1] == 'V' ? "1218" : "0050") + "\r\n";
            if (line > Line::StaleCopyBeforeEachReply && frame[1] == 'V' && held.isEmpty()) {
                held = reply;
                return {};
            }
            const QByteArray read =
                line == Line::StaleCopyBeforeEachReply ? previous + reply : reply;
            previous = reply;
            return {read};
        };
        rig.m_session.ReadBack();
        rig.Pump();
        std::vector<QByteArray> queries;
        for (char letter : kReadBackOrder) queries.push_back(QueryCommand(letter));
        if (line == Line::BusyThenTheVersionComes) {
            rig.m_clock.Wait(1500ms);
            rig.m_clock.RunDueTimers();
            rig.m_clock.Advance(300ms);  // the reply comes 300 ms after the busy spell
            rig.m_line->Inject(held);
        } else if (line != Line::Answered && line != Line::StaleCopyBeforeEachReply) {
            rig.m_line->Feed(held);  // on the port, its notification not yet run
            if (line == Line::BusyWhileTheVersionWaits) {
                rig.m_clock.Wait(1500ms);
                rig.m_clock.RunDueTimers();
            } else {
                rig.m_session.ReadFrame();
                for (char letter : kFrameGeometryOrder) queries.push_back(QueryCommand(letter));
            }
            QCoreApplication::processEvents();
        }
        rig.Pump();
        rig.m_clock.Advance(3s);
        EXPECT_EQ(rig.SentFrames(), queries);
        EXPECT_EQ(rig.m_listener.readBacksFinished, 1);
    }
}

// Whatever takes the line from a chain that waits for its echo ends that chain as replaced, at
// once and once: its time-out never fires, and its late echo sends nothing.
TEST(ReplacedChain, EveryIntentThatTakesTheLineEndsTheWaitingChainAsReplaced) {
    const std::pair<const char*, std::function<void(CControllerSession&)>> intents[] = {
        {"idle", [](CControllerSession& s) { s.EnterIdle(); }},
        {"read-back", [](CControllerSession& s) { s.ReadBack(); }},
        {"chosen read", [](CControllerSession& s) { s.ReadChosen("C"); }},
        {"set awaiting its echo", [](CControllerSession& s) { s.SetAwaitingEcho('C', 45); }},
        {"setting", [](CControllerSession& s) { s.SetParameter('C', 45); }},
        {"switch row", [](CControllerSession& s) { s.SetSwitchRow('a', 3); }},
        {"live display", [](CControllerSession& s) { s.StartLiveDisplay(); }},
        {"live display off", [](CControllerSession& s) { s.StopLiveDisplay(); }},
        {"restore", [](CControllerSession& s) { s.Restore(GoldenValues()); }},
        {"reference set", [](CControllerSession& s) { s.LoadReferenceSet(1); }},
        {"new port", [](CControllerSession& s) { s.StartAfresh(); }},
    };
    for (const auto& [name, intent] : intents) {
        SCOPED_TRACE(name);
        SessionRig rig;
        rig.m_session.SetDeclination(-5);
        intent(rig.m_session);
        ASSERT_FALSE(rig.m_listener.ends.empty());
        EXPECT_EQ(Key({rig.m_listener.ends.front()}),
                  Key({{Chain::Declination, ChainResult::Replaced, 'Q'}}));
        const std::size_t sent = rig.SentFrames().size();
        rig.m_line->Inject("SQ0175\r\n");
        rig.m_clock.Advance(1500ms);
        // (A read-back asks again after its second; a reference set ends on its own.)
        const std::vector<QByteArray> frames = rig.SentFrames();
        EXPECT_TRUE(std::none_of(frames.begin() + sent, frames.end(),
                                 [](const QByteArray& f) { return f.startsWith('S'); }));
        EXPECT_EQ(std::count_if(rig.m_listener.ends.begin(), rig.m_listener.ends.end(),
                                [](const ChainEnd& e) { return e.chain == Chain::Declination; }),
                  1);
    }
}

TEST_F(SessionTest, ChainsSendEachValueOnceAndAnUploadHoldsEveryIntent) {
    // A set command is never sent twice, even when its echo never comes.
    EchoSetCommandsUntil('1');
    m_session.Calibrate({420, 415, 418, 410});
    Pump();
    m_clock.Advance(5s);
    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"S00420\r", "S10835\r"}));
    // An echo that comes after the chain gave up moves nothing.
    m_line->Inject("S10835\r\n");
    EXPECT_EQ(SentFrames().size(), 2u);
}

// An image that did not load starts nothing: no frame goes out, and a live display that was
// streaming goes on.
TEST(UploadOutcome, NoImageStartsNothingAndLeavesTheLiveDisplayStreaming) {
    struct Quiet : IUploadListener {
        void OnUploadProgress(const UploadProgress&) override {}
    } quiet;
    SessionRig rig;
    rig.m_session.StartLiveDisplay();
    const std::size_t sent = rig.SentFrames().size();
    EXPECT_FALSE(rig.m_session.StartUpload(FirmwareImage(), quiet));
    EXPECT_EQ(rig.SentFrames().size(), sent);
    rig.m_line->Inject("CHDA10001100120013001400150016001700\r\n");
    EXPECT_EQ(rig.m_listener.liveFrames, 1);
}

// The new firmware is read by the session itself once the upload is confirmed, whoever started
// it, after the caller is told; a failed upload is followed by nothing.
TEST(UploadOutcome, ASuccessfulUploadIsReadBackByTheSessionAndAFailedOneIsNot) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("fw.bin")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(111, '\x5a')) == 111);
    file.close();
    FirmwareImage image;
    ASSERT_EQ(image.Load(file.fileName()), FirmwareCheck::Ok);
    struct Steps : IUploadListener {
        void OnUploadProgress(const UploadProgress&) override {}
    } steps;
    for (const bool confirmed : {true, false}) {
        SCOPED_TRACE(confirmed);
        SessionRig rig;
        ControllerSim sim;
        if (!confirmed) sim.Faults().BadSum();
        std::vector<QByteArray> answers;
        sim.onOutput = [&answers](const QByteArray& bytes) { answers.push_back(bytes); };
        rig.controller = [&](const QByteArray& frame) {
            sim.Receive(frame);
            return std::exchange(answers, {});
        };
        std::optional<UploadResult> result;
        std::size_t framesAtEnd = 0;
        rig.m_listener.onEnded = [&](const ChainEnd& end) {
            if (!end.upload) return;
            result = end.upload->result;
            framesAtEnd = rig.SentFrames().size();
        };
        ASSERT_TRUE(rig.m_session.StartUpload(image, steps));
        rig.Pump();
        ASSERT_EQ(result, confirmed ? UploadResult::Succeeded : UploadResult::ChecksumMismatch);
        // "?W", the start word, start + 2 data + end packets, and the confirm packet when the
        // sums agree; then the whole read-back, whose first query has gone out when the upload's
        // end is told.
        const std::size_t upload = confirmed ? 7 : 6;
        ASSERT_EQ(framesAtEnd, confirmed ? upload + 1 : upload);
        const std::vector<QByteArray> frames = rig.SentFrames();
        std::vector<QByteArray> expected(frames.begin(), frames.begin() + std::ptrdiff_t(upload));
        if (confirmed)
            for (char letter : kReadBackOrder) expected.push_back(QueryCommand(letter));
        EXPECT_EQ(frames, expected);
        EXPECT_EQ(rig.m_listener.readBacksFinished, confirmed ? 1 : 0);
    }
}

// Every intent the closed port refuses, one after another on the same session: CommError for
// the caller, nothing sent, the cache as the controller confirmed it, each chain told once that
// it was refused, and nothing later (no time-out, no work queued behind a read-back).
TEST(RefusedSend, EveryIntentThrowsAndChangesNothing) {
    using Intent = std::function<void(CControllerSession&)>;
    const std::pair<Intent, std::optional<Chain>> rows[] = {
        {[](CControllerSession& s) { s.SetParameter('C', 60); }, {}},
        {[](CControllerSession& s) { s.SetSwitchRow('a', 5); }, {}},
        {[](CControllerSession& s) { s.SetLinkedSwitchRows('d', 1, 'e', 4); }, {}},
        {[](CControllerSession& s) { s.SetReverseMask('N', 5); }, {}},
        {[](CControllerSession& s) { s.SetDeclination(-5); }, Chain::Declination},
        {[](CControllerSession& s) { s.SetMotorDirections(9); }, Chain::Directions},
        {[](CControllerSession& s) {
             s.Calibrate({1, 2, 3, 4});
         },
         Chain::Calibration},
        {[](CControllerSession& s) { s.SaveFrame(kRecord); }, Chain::FrameSave},
        {[](CControllerSession& s) { s.ReadFrame(); }, {}},
        {[](CControllerSession& s) { s.StartLiveDisplay(); }, {}},
        {[](CControllerSession& s) { s.StopLiveDisplay(); }, {}},
        {[](CControllerSession& s) { s.ReadBack(); }, {}},
        {[](CControllerSession& s) { s.LoadReferenceSet(2); }, Chain::ReferenceSet},
        {[](CControllerSession& s) { s.Restore(GoldenValues()); }, Chain::Restore},
        {[](CControllerSession& s) { s.ReadChosen("VK"); }, {}},
        {[](CControllerSession& s) { s.SetAwaitingEcho('C', 45); }, Chain::AwaitedEcho},
    };
    SessionRig rig;
    rig.EchoSetCommandsUntil(0);
    rig.m_session.SetParameter('C', 45);
    rig.Pump();
    const ParameterCache confirmed = rig.m_session.Cache();
    ASSERT_EQ(confirmed[*CacheSlotOf('C')], 45);
    rig.m_session.ClosePort();
    rig.m_line->ClearSent();
    std::vector<Chain> refused;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_THROW(rows[i].first(rig.m_session), CommError);
        if (rows[i].second) refused.push_back(*rows[i].second);
        ASSERT_EQ(rig.m_listener.ends.size(), refused.size());
        if (rows[i].second) {
            EXPECT_EQ(rig.m_listener.ends.back().chain, *rows[i].second);
            EXPECT_EQ(rig.m_listener.ends.back().result, ChainResult::Refused);
        }
        bool ranAfterReadBack = false;
        rig.m_session.AfterReadBack([&] { ranAfterReadBack = true; });
        EXPECT_TRUE(ranAfterReadBack);
    }
    rig.m_clock.Advance(10s);
    EXPECT_TRUE(rig.SentFrames().empty());
    EXPECT_EQ(rig.m_session.Cache(), confirmed);
    EXPECT_EQ(rig.m_listener.ends.size(), refused.size());
    EXPECT_EQ(rig.m_clock.PendingTimers(), 0u);
}

// Every conversation is told to its caller once, with how it ended, and only once the line has
// been handed on: a restore or a reference set is told before the read-back it started, which
// is told on its own; a read given up names the letter it waited for.
TEST(ConversationEnd, EachIsToldOnceWithHowItEnded) {
    using Ends = std::vector<std::pair<Chain, ChainResult>>;
    constexpr auto kDone = ChainResult::Done;
    struct Row {
        const char* name;
        std::function<void(CControllerSession&)> start;
        Ends told;
    };
    const Row rows[] = {
        {"read-back", [](CControllerSession& s) { s.ReadBack(); }, {{Chain::ReadBack, kDone}}},
        {"frame read", [](CControllerSession& s) { s.ReadFrame(); }, {{Chain::FrameRead, kDone}}},
        {"chosen read",
         [](CControllerSession& s) { s.ReadChosen("VK"); },
         {{Chain::ChosenRead, kDone}}},
        {"chosen read of nothing",
         [](CControllerSession& s) { s.ReadChosen(""); },
         {{Chain::ChosenRead, kDone}}},
        {"awaited set",
         [](CControllerSession& s) { s.SetAwaitingEcho('C', 45); },
         {{Chain::AwaitedEcho, kDone}}},
        {"reference set",
         [](CControllerSession& s) { s.LoadReferenceSet(2); },
         {{Chain::ReferenceSet, kDone}, {Chain::ReadBack, kDone}}},
        {"restore",
         [](CControllerSession& s) { s.Restore(GoldenValues()); },
         {{Chain::Restore, kDone}, {Chain::ReadBack, kDone}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SessionRig rig;
        ControllerSim sim;
        std::vector<QByteArray> answers;
        sim.onOutput = [&](const QByteArray& bytes) { answers.push_back(bytes); };
        rig.controller = [&](const QByteArray& frame) {
            answers.clear();
            sim.Receive(frame);
            return answers;
        };
        Ends told;
        row.start(rig.m_session);
        rig.Pump();
        rig.m_clock.Advance(5s);
        for (const ChainEnd& end : rig.m_listener.allEnds) told.emplace_back(end.chain, end.result);
        EXPECT_EQ(told, row.told);
    }
}

// vexactl's set goes through the session as the window's does: the value as shown, encoded for
// the firmware read; the linked switch row loses the positions the row before now holds, 20 ms
// after it; a letter without a linked row sends nothing more.
TEST_F(SessionTest, AnAwaitedSetIsEncodedAndItsLinkedRowClearedAsTheGridClearsIt) {
    controller = [](const QByteArray& frame) -> std::vector<QByteArray> {
        if (frame == "?e\r") return {"?e\r 0007\r\n"};
        if (frame.startsWith('S')) return {frame + '\n'};
        return {};
    };
    m_session.ReadChosen("e");
    Pump();
    m_line->ClearSent();
    m_session.SetAwaitingEcho('Q', -12);
    Pump();
    m_session.SetAwaitingEcho('d', 3);
    Pump();
    const std::size_t waits = m_clock.Waits().size();
    EXPECT_EQ(m_session.ClearLinkedRowAwaitingEcho('d', 3), std::make_optional(std::pair('e', 4)));
    Pump();
    ASSERT_EQ(m_clock.Waits().size(), waits + 1);
    EXPECT_EQ(m_clock.Waits().back(), 20ms);
    EXPECT_EQ(m_session.ClearLinkedRowAwaitingEcho('C', 60), std::nullopt);
    EXPECT_EQ(SentFrames(), (std::vector<QByteArray>{"SQ0168\r", "Sd0003\r", "Se0004\r"}));
    EXPECT_EQ(m_listener.echoes, "Qde");
}

}  // namespace
