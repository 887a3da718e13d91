#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CMSComm.h"
#include "CommandFrames.h"
#include "ControllerSession.h"
#include "EchoedSets.h"
#include "FakeClock.h"
#include "ISessionListener.h"
#include "LineReader.h"
#include "MemoryLine.h"
#include "ProtocolState.h"
#include "RestoreWrite.h"
#include "ScriptedAnswers.h"
#include "SessionTestAccess.h"

// Everything the listener was told, in order.
struct RecordingListener : ISessionListener {
    std::vector<std::pair<char, int>> values;
    std::vector<int> versions;
    int readBackFinished = 0;
    int bulkWriteFinished = 0;
    std::string bulkWriteLinks;  // the letter of every bulk-write link sent
    int calibrationFinished = 0;
    int frameGeometryRead = 0;
    std::vector<std::pair<char, int>> replies;  // every reply taken, wire value as it came
    std::vector<char> echoes;
    int chosenReadFinished = 0;
    std::function<void(char)> onValue;             // runs when a value is heard
    std::function<void(const LiveFrame&)> onLive;  // runs inside OnLiveFrame
    std::function<void(char)> onBulkWriteLink;     // runs inside OnBulkWriteLinkSent
    std::function<void()> onBulkWriteEnd;          // runs when the bulk write has ended
    std::vector<char> incomplete;  // the letters read-back chains ended at without a reply

    // Every value the controller reports, as the controls watching the cache hear it.
    void Heard(char letter, int shown) {
        values.emplace_back(letter, shown);
        if (onValue) onValue(letter);
    }
    void OnFirmwareVersion(int version) override { versions.push_back(version); }
    // Each conversation's end, counted by what ended with its last answer or without it.
    void OnChainEnded(const ChainEnd& end) override {
        const bool lastAnswer = LastAnswerCame(end);
        if (IsQueryRead(end.chain) && end.result == ChainResult::NoAnswer)
            incomplete.push_back(end.letter);
        if (!lastAnswer) return;
        switch (end.chain) {
            case Chain::ReadBack:
                ++readBackFinished;
                break;
            case Chain::ChosenRead:
                ++chosenReadFinished;
                break;
            case Chain::AwaitedEcho:
                echoes.push_back(end.letter);
                break;
            case Chain::Calibration:
                ++calibrationFinished;
                break;
            case Chain::Restore:
                ++bulkWriteFinished;
                if (onBulkWriteEnd) onBulkWriteEnd();
                break;
            default:
                break;
        }
    }
    void OnBulkWriteLinkSent(char letter) override {
        bulkWriteLinks += letter;
        if (onBulkWriteLink) onBulkWriteLink(letter);
    }
    void OnFrameGeometryRead() override { ++frameGeometryRead; }
    void OnLiveFrame(const LiveFrame& frame) override {
        if (onLive) onLive(frame);
    }
    void OnQueryReply(char letter, int wire) override { replies.emplace_back(letter, wire); }

    std::vector<int> ValuesOf(char letter) const {
        std::vector<int> found;
        for (const auto& [l, v] : values)
            if (l == letter) found.push_back(v);
        return found;
    }
};

// A query reply as the controller gives it: echo, one byte, four digits, two bytes.
inline QByteArray Reply(char letter, const QByteArray& digits) {
    return QueryCommand(letter) + ' ' + digits + "\r\n";
}
inline QByteArray Reply(char letter, int value) {
    return Reply(letter, QByteArray::number(value).rightJustified(4, '0'));
}

// The session's dispatcher and conversations on an in-memory line, wired the way the main
// window wires the session to the port. A scripted controller may answer each frame written; its
// answers are delivered one event each by Pump(), so that a frame is only ever sent in reaction
// to an answer already taken.
class DispatcherTest : public ::testing::Test, public ScriptedAnswers {
protected:
    DispatcherTest()
        : m_session(MakeLine(), m_clock, m_listener),
          m_comm(SessionTestAccess::Comm(m_session)),
          m_state(SessionTestAccess::State(m_session)),
          m_reader(SessionTestAccess::Reader(m_session)) {
        m_comm.SetInputMode(CMSComm::comInputModeBinary);
        m_comm.SetRThreshold(1);
        m_comm.SetPortOpen(true);
        QObject::connect(&m_comm, &CMSComm::OnComm, [this] { m_session.OnComm(); });
        AnswerFramesWrittenTo(*m_line);
        for (char letter = ' '; letter <= '~'; ++letter)
            m_session.Cache().Watch(letter, &m_watcher,
                                    [this, letter](int shown) { m_listener.Heard(letter, shown); });
    }

    // The conversations, started as the session starts them.
    void StartBulkWrite() { SessionTestAccess::Begin(m_session, std::make_shared<RestoreWrite>()); }
    void SendDeclination(int wire) {
        SessionTestAccess::Begin(
            m_session, std::make_shared<SingleEchoedSet>(SingleEchoedSet::Declination(wire)));
    }
    void StartCalibration(const std::array<int, 4>& cells) { m_session.Calibrate(cells); }
    void StartFrameSave(const std::array<int, 15>& record) { m_session.SaveFrame(record); }
    void StartReferenceSet(int set) { m_session.LoadReferenceSet(set); }
    void SetAwaitingEcho(char letter, int shown) { m_session.SetAwaitingEcho(letter, shown); }
    void StartReadBack() { m_session.ReadBack(); }
    void StartFrameGeometryRead() { m_session.ReadFrame(); }
    void StartChosenRead(QByteArrayView letters) { m_session.ReadChosen(letters); }
    void AfterReadBack(std::function<void()> next) { m_session.AfterReadBack(std::move(next)); }

    void Arrive(const QByteArray& bytes) { m_line->Inject(bytes); }

    // Brings the dispatcher into a receive mode through the step that enters it, as the session
    // does, and forgets what that step sent. The upload's modes are entered by the upload alone.
    void EnterMode(RxMode mode) {
        switch (mode) {
            case RxMode::BulkWrite:
                StartBulkWrite();
                m_listener.bulkWriteLinks.clear();
                break;
            case RxMode::Live:
                m_session.StartLiveDisplay();
                break;
            case RxMode::SpecialSet:
                SendDeclination(175);
                break;
            case RxMode::ReverseReread:
                SendDeclination(175);
                m_session.SetReverseMask('N', 0);
                Arrive("SN0000\r\n");
                break;
            default:
                m_session.EnterIdle(false);
                break;
        }
        ForgetWrittenFrames();
    }

    FakeClock m_clock;
    MemoryLine* m_line = nullptr;
    RecordingListener m_listener;
    QObject m_watcher;
    CControllerSession m_session;
    CMSComm& m_comm;
    ProtocolState& m_state;
    LineReader& m_reader;

private:
    std::unique_ptr<ICommBackend> MakeLine() {
        auto line = std::make_unique<MemoryLine>(m_clock);
        m_line = line.get();
        return line;
    }
};
