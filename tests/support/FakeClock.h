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

    // Moves time on as an idle event loop lives through it: every timer that comes due runs,
    // in time order, at the time it was due.
    void Advance(std::chrono::nanoseconds by) {
        const std::chrono::nanoseconds end = m_now + by;
        while (const Timer* next = Earliest()) {
            if (next->at > end) break;
            m_now = std::max(m_now, next->at);
            RunDueTimers();
        }
        m_now = end;
    }
    // Runs every timer due by now, at this time: after a Wait, as a busy handler leaves them
    // to run late.
    void RunDueTimers() {
        for (;;) {
            const Timer* due = Earliest();
            if (due == nullptr || due->at > m_now) return;
            const std::function<void()> expired = std::move(due->expired);
            m_timers.erase(m_timers.begin() + (due - m_timers.data()));
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
    const Timer* Earliest() const {
        const auto earliest =
            std::min_element(m_timers.begin(), m_timers.end(),
                             [](const Timer& a, const Timer& b) { return a.at < b.at; });
        return earliest == m_timers.end() ? nullptr : &*earliest;
    }
    std::chrono::nanoseconds m_now{1'000'000'000};
    std::vector<std::chrono::milliseconds> m_waits;
    std::vector<Timer> m_timers;
    int m_nLastId = 0;
};
