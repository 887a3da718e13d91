#include "WireTap.h"

WireTap::WireTap(std::unique_ptr<ICommBackend> inner) : m_inner(std::move(inner)) {
    m_inner->onBytesArrived = [this] {
        if (onBytesArrived) onBytesArrived();
    };
    m_inner->onLineLost = [this](const QString& reason) {
        if (onLineLost) onLineLost(reason);
    };
}

WireTap::~WireTap() {
    m_inner->onBytesArrived = nullptr;
    m_inner->onLineLost = nullptr;
}

void WireTap::Write(const QByteArray& bytes) {
    m_inner->Write(bytes);
    if (onWritten) onWritten(bytes);
}
