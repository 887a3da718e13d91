#include "SessionNotes.h"

#include "PortSession.h"
#include "OutOfRangeNote.h"

QString HeldOutOfRangeNote(PortSession& session) {
    const ProtocolState& state = session.State();
    const QString held =
        DescribeHeldOutOfRange(ParametersHeldOutOfRange(session.Record().WireValues(),
                                                        state.m_nParamCache, state.m_nFwVersion),
                               true);
    return held.isEmpty() ? held : session.PortName() + QLatin1String(": ") + held;
}
