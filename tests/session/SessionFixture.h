#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CMSComm.h"
#include "ControllerSession.h"
#include "FakeClock.h"
#include "ISessionListener.h"
#include "MemoryLine.h"
#include "ScriptedAnswers.h"
#include "SessionTestAccess.h"

// What the session told its caller, in order.
struct SessionRecorder : ISessionListener {
    std::vector<ChainEnd> ends;
    std::vector<ChainEnd> allEnds;  // reads and the live display included
    std::vector<std::pair<char, int>> values;
    std::vector<std::pair<char, int>> replies;  // every query reply, wire value as it came
    int readBacksFinished = 0;
    int liveFrames = 0;
    std::string echoes;  // the letters of the awaited echoes taken (SetAwaitingEcho)
    // Runs once when the last answer of a chain (`lastLetter`) is told, as a message box the
    // caller keeps open would run the event loop.
    char lastLetter = 0;
    std::function<void()> atLastAnswer;

    // Runs at every end told, when it is told.
    std::function<void(const ChainEnd&)> onEnded;

    // The ends of the writes and uploads in `ends`; the reads' and the live display's counted
    // apart.
    void OnChainEnded(const ChainEnd& end) override {
        const bool lastAnswer = LastAnswerCame(end);
        if (end.chain == Chain::ReadBack && lastAnswer) ++readBacksFinished;
        if (end.chain == Chain::AwaitedEcho && lastAnswer) echoes += end.letter;
        allEnds.push_back(end);
        if (!IsQueryRead(end.chain) && end.chain != Chain::LiveDisplay) ends.push_back(end);
        if (onEnded) onEnded(end);
        if (lastAnswer && (end.chain == Chain::Restore || end.chain == Chain::Calibration ||
                           end.chain == Chain::ReferenceSet))
            AtLastAnswer();
    }
    void OnSpecialSetEchoed(char letter) override {
        if (letter == lastLetter) AtLastAnswer();
    }
    void AtLastAnswer() {
        if (auto run = std::exchange(atLastAnswer, nullptr)) run();
    }
    void Heard(char letter, int shown) { values.emplace_back(letter, shown); }
    void OnFirmwareVersion(int) override {}
    void OnQueryReply(char letter, int wire) override { replies.emplace_back(letter, wire); }
    void OnLiveFrame(const LiveFrame&) override { ++liveFrames; }
};

// The controller session on an in-memory line with an open port. A scripted controller may
// answer each frame written; Pump() delivers its answers one receive event each.
class SessionRig : public ScriptedAnswers {
public:
    SessionRig() : m_session(MakeLine(), m_clock, m_listener) {
        CMSComm& comm = SessionTestAccess::Comm(m_session);
        comm.SetInputMode(CMSComm::comInputModeBinary);
        comm.SetRThreshold(1);
        comm.SetPortOpen(true);
        QObject::connect(&comm, &CMSComm::OnComm, [this] { m_session.OnComm(); });
        AnswerFramesWrittenTo(*m_line);
        for (char letter = ' '; letter <= '~'; ++letter)
            m_session.Cache().Watch(letter, &m_watcher,
                                    [this, letter](int shown) { m_listener.Heard(letter, shown); });
    }

    // A controller that echoes every set command (eight bytes) until the command of `silentAt`,
    // which it takes without a word, as it does everything after it.
    void EchoSetCommandsUntil(char silentAt) {
        m_bQuiet = false;
        controller = [this, silentAt](const QByteArray& frame) -> std::vector<QByteArray> {
            if (!frame.startsWith('S') || frame.size() < 2) return {};
            if (frame[1] == silentAt) m_bQuiet = true;
            if (m_bQuiet) return {};
            return {frame + '\n'};
        };
    }

    FakeClock m_clock;
    MemoryLine* m_line = nullptr;
    SessionRecorder m_listener;
    QObject m_watcher;
    CControllerSession m_session;

private:
    std::unique_ptr<ICommBackend> MakeLine() {
        auto line = std::make_unique<MemoryLine>(m_clock);
        m_line = line.get();
        return line;
    }

    bool m_bQuiet = false;
};

class SessionTest : public ::testing::Test, public SessionRig {};
