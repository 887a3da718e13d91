#pragma once

#include <functional>

#include "CMSComm.h"
#include "Conversation.h"
#include "IClock.h"
#include "ISessionListener.h"
#include "LineReader.h"
#include "ProtocolState.h"
#include "ReadBackRecord.h"

// The line as the session's conversations use it: the reader's sends and receive state, the
// clock's pauses, the protocol state and the caller's listener.
class SessionLine final : public ConversationLine {
public:
    SessionLine(LineReader& reader, CMSComm& comm, IClock& clock, ProtocolState& state,
                ReadBackRecord& record, ISessionListener& listener,
                std::function<void(std::shared_ptr<Conversation>)> followWith)
        : m_reader(reader),
          m_comm(comm),
          m_clock(clock),
          m_state(state),
          m_record(record),
          m_listener(listener),
          m_followWith(std::move(followWith)) {}

    void Send(const QByteArray& frame) override { m_reader.SendLink(frame); }
    void SendAsIs(const QByteArray& frame) override { m_comm.SetOutput(frame); }
    void Pause(std::chrono::milliseconds pause) override { m_clock.Wait(pause); }
    void BackToIdle() override { m_reader.EnterIdle(false); }
    void ClearReceive() override { m_reader.ClearReceive(); }
    void ResetReceive() override {
        m_reader.ClearReceive();
        m_state.ResetReceive();
    }
    void DiscardWaiting() override { m_reader.DiscardInput(); }
    void FollowWith(std::shared_ptr<Conversation> next) override { m_followWith(std::move(next)); }
    void RecordReply(char letter, int wire) override {
        m_record.OnQueryReply(letter, wire);
        m_listener.OnQueryReply(letter, wire);
    }
    void RecordReadBackEnd(bool complete) override {
        if (complete)
            m_record.OnReadBackFinished();
        else
            m_record.OnReadBackIncomplete();
    }
    void ApplyReply(char letter, int wire) override { m_reader.ApplyValue(letter, wire); }
    void StartLiveStream() override { m_reader.StartLiveDisplay(); }
    ProtocolState& State() override { return m_state; }
    ISessionListener& News() override { return m_listener; }

private:
    LineReader& m_reader;
    CMSComm& m_comm;
    IClock& m_clock;
    ProtocolState& m_state;
    ReadBackRecord& m_record;
    ISessionListener& m_listener;
    std::function<void(std::shared_ptr<Conversation>)> m_followWith;
};
