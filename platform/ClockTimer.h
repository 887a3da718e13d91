#pragma once

#include <chrono>
#include <functional>
#include <utility>

#include "IClock.h"

// A one-shot time-out on a clock, owned by the code that waits: Start arms it (again), Stop
// disarms it, and when it runs out onExpired is called from the event loop. Destroying it
// disarms it, so a callback never outlives its owner.
class ClockTimer {
public:
    explicit ClockTimer(IClock& clock) : m_clock(clock) {}
    ~ClockTimer() { Stop(); }
    ClockTimer(const ClockTimer&) = delete;
    ClockTimer& operator=(const ClockTimer&) = delete;

    void Start(std::chrono::milliseconds after) {
        Stop();
        m_nId = m_clock.StartTimer(after, [this] {
            m_nId = 0;
            if (onExpired) onExpired();
        });
    }
    void Stop() {
        if (m_nId != 0) m_clock.CancelTimer(std::exchange(m_nId, 0));
    }
    bool IsActive() const { return m_nId != 0; }

    std::function<void()> onExpired;

private:
    IClock& m_clock;
    int m_nId = 0;
};
