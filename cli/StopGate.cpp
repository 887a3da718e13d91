#include "StopGate.h"

#include "CommError.h"
#include "CommandFrames.h"

StopGate::StopGate(std::unique_ptr<ICommBackend> inner, std::function<bool()> stopRequested)
    : m_inner(std::move(inner)), m_stopRequested(std::move(stopRequested)) {
    m_inner->onBytesArrived = [this] {
        if (onBytesArrived) onBytesArrived();
    };
    m_inner->onLineLost = [this](const QString& reason) {
        if (onLineLost) onLineLost(reason);
    };
}

StopGate::~StopGate() {
    m_inner->onBytesArrived = nullptr;
    m_inner->onLineLost = nullptr;
}

void StopGate::Write(const QByteArray& bytes) {
    if (m_stopRequested && m_stopRequested() && bytes != kLiveDisplayOff) {
        if (onRefused) onRefused();
        throw CommError(QStringLiteral("interrupted; the frame was not sent"));
    }
    m_inner->Write(bytes);
}
