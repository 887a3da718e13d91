#pragma once

#include <QByteArray>
#include <functional>
#include <memory>

#include "ICommBackend.h"

// Passes everything through to the backend it wraps and tells, after each write, what was
// written: vexactl times every wait from the last frame sent and names that frame when no
// answer comes.
class WireTap : public ICommBackend {
public:
    explicit WireTap(std::unique_ptr<ICommBackend> inner);
    ~WireTap() override;

    void Open(int portNumber) override { m_inner->Open(portNumber); }
    void Close() override { m_inner->Close(); }
    bool IsOpen() const override { return m_inner->IsOpen(); }
    void Configure(const LineSettings& settings) override { m_inner->Configure(settings); }
    void SetHardwareHandshake(bool on) override { m_inner->SetHardwareHandshake(on); }
    void Write(const QByteArray& bytes) override;
    QByteArray ReadAll() override { return m_inner->ReadAll(); }
    QString DeviceOf(int portNumber) const override { return m_inner->DeviceOf(portNumber); }

    std::function<void(const QByteArray&)> onWritten;

private:
    std::unique_ptr<ICommBackend> m_inner;
};
