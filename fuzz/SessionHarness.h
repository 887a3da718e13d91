#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

#include "CMSComm.h"
#include "ControllerSession.h"
#include "FakeClock.h"
#include "ISessionListener.h"
#include "MemoryLine.h"

// The controller session on an in-memory line and a fake clock, its port open and set up as the
// programs set it up. Reset gives every input a fresh session and clock, so a run costs
// microseconds and no real time.
class SessionHarness {
public:
    void Reset() {
        m_session.reset();  // its time-outs go with it, before the clock is replaced
        m_clock = FakeClock();
        auto line = std::make_unique<MemoryLine>(m_clock);
        m_line = line.get();
        m_session.emplace(std::move(line), m_clock, m_listener);
        m_session->WhenBytesArrive(nullptr, [this] { m_session->OnComm(); });
        m_session->OpenPort();
        m_session->PrepareLine();
    }

    // Bytes from the controller, as one receive event.
    void Arrive(QByteArrayView bytes) { m_line->Inject(bytes.toByteArray()); }

    FakeClock& Clock() { return m_clock; }
    MemoryLine& Line() { return *m_line; }
    CControllerSession& Session() { return *m_session; }

    // Hears the end of every chain, when it is told (none: nothing hears it).
    std::function<void(const ChainEnd&)> onChainEnded;

private:
    // Hears everything and keeps nothing but what onChainEnded takes: a window would only show it.
    struct Listener : ISessionListener {
        explicit Listener(SessionHarness& harness) : m_harness(harness) {}
        void OnFirmwareVersion(int) override {}
        void OnChainEnded(const ChainEnd& end) override {
            if (m_harness.onChainEnded) m_harness.onChainEnded(end);
        }
        SessionHarness& m_harness;
    };

    FakeClock m_clock;
    MemoryLine* m_line = nullptr;
    Listener m_listener{*this};
    std::optional<CControllerSession> m_session;
};
