#pragma once

#include <memory>

#include "ControllerSession.h"
#include "Conversation.h"

// What a test may do behind the session's back: set up a protocol state (a cache, a firmware
// version) without a controller, and work the serial control directly (close the port under a
// page, write a frame of its own).
class SessionTestAccess {
public:
    static ProtocolState& State(CControllerSession& session) { return session.m_state; }
    static CMSComm& Comm(CControllerSession& session) { return session.m_comm; }
    static LineReader& Reader(CControllerSession& session) { return session.m_reader; }
    // Starts a conversation as the session's intents start theirs.
    static void Begin(CControllerSession& session, std::shared_ptr<Conversation> conversation) {
        session.BeginConversation(std::move(conversation));
    }
};
