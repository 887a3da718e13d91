#include "ReceiveDispatcher.h"

#include "CMSComm.h"
#include "ProtocolState.h"

CReceiveDispatcher::CReceiveDispatcher(ProtocolState& state, CMSComm& comm, IClock& clock,
                                       IProtocolListener& listener)
    : m_state(state), m_comm(comm), m_clock(clock), m_listener(listener) {}

void CReceiveDispatcher::OnComm() {
    if (m_comm.GetCommEvent() != CMSComm::comEvReceive) return;
    const QByteArray bytes = m_comm.GetInput();
    m_state.m_strRxBuf += bytes;
    m_state.m_nRxCount += static_cast<int>(bytes.size());
}
