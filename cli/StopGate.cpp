#include "StopGate.h"

#include "CommError.h"
#include "CommandFrames.h"

void StopGate::Write(const QByteArray& bytes) {
    if (m_stopRequested && m_stopRequested() && bytes != kLiveDisplayOff) {
        if (onRefused) onRefused();
        throw CommError(QStringLiteral("interrupted; the frame was not sent"));
    }
    ForwardingBackend::Write(bytes);
}
