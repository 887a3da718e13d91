#pragma once

#include <QByteArray>
#include <functional>
#include <memory>

#include "ICommBackend.h"

// Holds back every frame once a stop was asked for (Ctrl-C, SIGTERM, SIGHUP), so that a signal
// is taken at the boundary of a write and never after it: the frame that would have gone out
// next is refused with a CommError and `onRefused` is told first (the session ends its wait as
// interrupted). Only "S~0000\r", which ends the live stream and changes nothing, still passes.
class StopGate : public ICommBackend {
public:
    StopGate(std::unique_ptr<ICommBackend> inner, std::function<bool()> stopRequested);
    ~StopGate() override;

    void Open(int portNumber) override { m_inner->Open(portNumber); }
    void Close() override { m_inner->Close(); }
    bool IsOpen() const override { return m_inner->IsOpen(); }
    void Configure(const LineSettings& settings) override { m_inner->Configure(settings); }
    void SetHardwareHandshake(bool on) override { m_inner->SetHardwareHandshake(on); }
    void Write(const QByteArray& bytes) override;
    QByteArray ReadAll() override { return m_inner->ReadAll(); }
    QString DeviceOf(int portNumber) const override { return m_inner->DeviceOf(portNumber); }

    std::function<void()> onRefused;

private:
    std::unique_ptr<ICommBackend> m_inner;
    std::function<bool()> m_stopRequested;
};
