#include "SessionNotes.h"

#include "PortSession.h"
#include "OutOfRangeNote.h"

QString HeldOutOfRangeNote(PortSession& session) {
    const QString held = DescribeHeldOutOfRange(
        ParametersHeldOutOfRange(session.Record().WireValues(), session.Core().Cache(),
                                 session.Core().FirmwareVersion()),
        true);
    return held.isEmpty() ? held : session.PortName() + QLatin1String(": ") + held;
}
