#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

#include "IClock.h"

// A clock for tests: Wait advances time at once, so "at least 50 ms between links" can be
// checked without sleeping. Every wait is recorded. Timers run only when the test advances
// time past them (Advance), as the event loop would run them after the handler returned.
class FakeClock : public IClock {
public:
    std::chrono::nanoseconds Now() const override { return m_now; }
    void Wait(std::chrono::milliseconds duration) override {
        m_waits.push_back(duration);
        m_now += duration;
    }
    int StartTimer(std::chrono::milliseconds after, std::function<void()> expired) override {
        m_timers.push_back({m_now + after, ++m_nLastId, std::move(expired)});
        return m_nLastId;
    }
    void CancelTimer(int id) override {
        std::erase_if(m_timers, [id](const Timer& timer) { return timer.id == id; });
    }

    // Moves time on and runs, in time order, every timer that has come due.
    void Advance(std::chrono::nanoseconds by) {
        m_now += by;
        RunDueTimers();
    }
    void RunDueTimers() {
        for (;;) {
            const auto due =
                std::min_element(m_timers.begin(), m_timers.end(),
                                 [](const Timer& a, const Timer& b) { return a.at < b.at; });
            if (due == m_timers.end() || due->at > m_now) return;
            const std::function<void()> expired = std::move(due->expired);
            m_timers.erase(due);
            expired();
        }
    }
    std::size_t PendingTimers() const { return m_timers.size(); }
    const std::vector<std::chrono::milliseconds>& Waits() const { return m_waits; }

private:
    struct Timer {
        std::chrono::nanoseconds at;
        int id;
        std::function<void()> expired;
    };
    std::chrono::nanoseconds m_now{1'000'000'000};
    std::vector<std::chrono::milliseconds> m_waits;
    std::vector<Timer> m_timers;
    int m_nLastId = 0;
};
