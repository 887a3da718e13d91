#pragma once

#include <QByteArray>
#include <functional>
#include <memory>

#include "ForwardingBackend.h"

// Holds back every frame once a stop was asked for (Ctrl-C, SIGTERM, SIGHUP), so that a signal
// is taken at the boundary of a write and never after it: the frame that would have gone out
// next is refused with a CommError and `onRefused` is told first (the session ends its wait as
// interrupted). Only "S~0000\r", which ends the live stream and changes nothing, still passes.
class StopGate : public ForwardingBackend {
public:
    StopGate(std::unique_ptr<ICommBackend> inner, std::function<bool()> stopRequested)
        : ForwardingBackend(std::move(inner)), m_stopRequested(std::move(stopRequested)) {}

    void Write(const QByteArray& bytes) override;

    std::function<void()> onRefused;

private:
    std::function<bool()> m_stopRequested;
};
