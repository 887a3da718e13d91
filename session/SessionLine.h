#pragma once

#include <functional>

#include "CMSComm.h"
#include "Conversation.h"
#include "IClock.h"
#include "ISessionListener.h"
#include "ProtocolState.h"
#include "ReceiveDispatcher.h"

// The line as the session's conversations use it: the dispatcher's sends and receive state, the
// clock's pauses, the protocol state and the caller's listener.
class SessionLine final : public ConversationLine {
public:
    SessionLine(CReceiveDispatcher& dispatcher, CMSComm& comm, IClock& clock, ProtocolState& state,
                ISessionListener& listener, std::function<void()> continueWithReadBack)
        : m_dispatcher(dispatcher),
          m_comm(comm),
          m_clock(clock),
          m_state(state),
          m_listener(listener),
          m_continueWithReadBack(std::move(continueWithReadBack)) {}

    void Send(const QByteArray& frame) override { m_dispatcher.SendLink(frame); }
    void SendAsIs(const QByteArray& frame) override { m_comm.SetOutput(frame); }
    void Pause(std::chrono::milliseconds pause) override { m_clock.Wait(pause); }
    void BackToIdle() override { m_dispatcher.EnterIdle(false); }
    void ClearReceive() override { m_dispatcher.ClearReceive(); }
    void ResetReceive() override {
        m_dispatcher.ClearReceive();
        m_state.ResetReceive();
    }
    void DiscardWaiting() override { m_dispatcher.DiscardInput(); }
    void ContinueWithReadBack() override { m_continueWithReadBack(); }
    void ApplyReply(char letter, int wire) override { m_dispatcher.ApplyValue(letter, wire); }
    void ResumeLiveDisplay() override { m_dispatcher.ResumeLiveDisplay(); }
    ProtocolState& State() override { return m_state; }
    ISessionListener& News() override { return m_listener; }

private:
    CReceiveDispatcher& m_dispatcher;
    CMSComm& m_comm;
    IClock& m_clock;
    ProtocolState& m_state;
    ISessionListener& m_listener;
    std::function<void()> m_continueWithReadBack;
};
