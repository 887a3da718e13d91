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

    // How much later than due a time-out may run before it counts as late, and how many times
    // in a row a late one is started again (RestartIfLate).
    static constexpr std::chrono::milliseconds kBusySlack{50};
    static constexpr int kMostLateRestarts = 3;

    void Start(std::chrono::milliseconds after) {
        m_nLateRestarts = 0;
        Arm(after);
    }
    // For a time-out that measures a line's silence: when it ran out late, the event loop was
    // busy (building a window, a message box), and the controller may have been kept waiting
    // with it. It is then started again for `after` (a few times in a row at most) and true is
    // returned: the line gets that time of the program's attention before it counts as silent.
    bool RestartIfLate(std::chrono::milliseconds after) {
        if (m_firedAt - m_due <= kBusySlack || m_nLateRestarts >= kMostLateRestarts) return false;
        ++m_nLateRestarts;
        Arm(after);
        return true;
    }
    void Stop() {
        if (m_nId != 0) m_clock.CancelTimer(std::exchange(m_nId, 0));
    }
    bool IsActive() const { return m_nId != 0; }

    std::function<void()> onExpired;

private:
    void Arm(std::chrono::milliseconds after) {
        Stop();
        m_due = m_clock.Now() + after;
        m_nId = m_clock.StartTimer(after, [this] {
            m_nId = 0;
            m_firedAt = m_clock.Now();
            if (onExpired) onExpired();
        });
    }

    IClock& m_clock;
    int m_nId = 0;
    std::chrono::nanoseconds m_due{};
    std::chrono::nanoseconds m_firedAt{};
    int m_nLateRestarts = 0;
};
