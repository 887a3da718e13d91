#pragma once

#include <memory>

#include "ICommBackend.h"

// A backend that passes everything through to the one it wraps, its notifications included; a
// wrapper overrides only what it adds to (vexactl's wire tap and stop gate override Write).
class ForwardingBackend : public ICommBackend {
public:
    explicit ForwardingBackend(std::unique_ptr<ICommBackend> inner) : m_inner(std::move(inner)) {
        m_inner->onBytesArrived = [this] {
            if (onBytesArrived) onBytesArrived();
        };
        m_inner->onLineLost = [this](const QString& reason) {
            if (onLineLost) onLineLost(reason);
        };
    }
    ~ForwardingBackend() override {
        m_inner->onBytesArrived = nullptr;
        m_inner->onLineLost = nullptr;
    }

    void Open(int portNumber) override { m_inner->Open(portNumber); }
    void Close() override { m_inner->Close(); }
    bool IsOpen() const override { return m_inner->IsOpen(); }
    void Configure(const LineSettings& settings) override { m_inner->Configure(settings); }
    void SetHardwareHandshake(bool on) override { m_inner->SetHardwareHandshake(on); }
    void Write(const QByteArray& bytes) override { m_inner->Write(bytes); }
    QByteArray ReadAll() override { return m_inner->ReadAll(); }
    QString DeviceOf(int portNumber) const override { return m_inner->DeviceOf(portNumber); }

private:
    std::unique_ptr<ICommBackend> m_inner;
};
