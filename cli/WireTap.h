#pragma once

#include <QByteArray>
#include <functional>

#include "ForwardingBackend.h"

// Passes everything through to the backend it wraps and tells, after each write, what was
// written: vexactl times every wait from the last frame sent and names that frame when no
// answer comes.
class WireTap : public ForwardingBackend {
public:
    using ForwardingBackend::ForwardingBackend;

    void Write(const QByteArray& bytes) override {
        ForwardingBackend::Write(bytes);
        if (onWritten) onWritten(bytes);
    }

    std::function<void(const QByteArray&)> onWritten;
};
