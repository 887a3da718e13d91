#pragma once

class CMSComm;
class IClock;
class IProtocolListener;
struct ProtocolState;

// The handler of every byte the controller sends.
class CReceiveDispatcher {
public:
    CReceiveDispatcher(ProtocolState& state, CMSComm& comm, IClock& clock, IProtocolListener& listener);
    void OnComm();

private:
    ProtocolState& m_state;
    CMSComm& m_comm;
    IClock& m_clock;
    IProtocolListener& m_listener;
};
