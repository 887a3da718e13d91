#pragma once

#include <QObject>
#include <memory>
#include <optional>

#include "CMSComm.h"
#include "FakeClock.h"
#include "IProtocolListener.h"
#include "LineReader.h"
#include "MemoryLine.h"
#include "ProtocolState.h"

// The session's line reader wired to an in-memory line and a fake clock the way the session
// wires it to the port. The Qt objects are built once per process; Reset gives every input a
// fresh protocol state, clock and reader, so a run costs microseconds and no real time.
class DispatcherHarness {
public:
    DispatcherHarness() : m_comm(MakeLine()) {
        m_comm.SetInputMode(CMSComm::comInputModeBinary);
        m_comm.SetRThreshold(1);
        m_comm.SetPortOpen(true);
        QObject::connect(&m_comm, &CMSComm::OnComm, [this] {
            if (m_reader) m_reader->OnComm();
        });
    }

    void Reset() {
        m_reader.reset();  // its time-out goes with it, before the clock is replaced
        m_clock = FakeClock();
        m_state = ProtocolState();
        if (!m_comm.GetPortOpen()) m_comm.SetPortOpen(true);
        m_comm.GetInput();
        m_line->ClearSent();
        m_reader.emplace(m_state, m_comm, m_listener);
    }

    // Bytes from the controller, as one receive event.
    void Arrive(QByteArrayView bytes) { m_line->Inject(bytes.toByteArray()); }

    FakeClock& Clock() { return m_clock; }
    MemoryLine& Line() { return *m_line; }
    CMSComm& Port() { return m_comm; }
    ProtocolState& Protocol() { return m_state; }
    LineReader& Reader() { return *m_reader; }

private:
    // Hears everything and keeps nothing: a window would only show it.
    struct Listener : IProtocolListener {
        void OnFirmwareVersion(int) override {}
    };

    std::unique_ptr<ICommBackend> MakeLine() {
        auto line = std::make_unique<MemoryLine>(m_clock);
        m_line = line.get();
        return line;
    }

    FakeClock m_clock;
    MemoryLine* m_line = nullptr;
    CMSComm m_comm;
    ProtocolState m_state;
    Listener m_listener;
    std::optional<LineReader> m_reader;
};
