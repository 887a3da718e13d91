#pragma once

#include <chrono>
#include <vector>

#include "IClock.h"

// A clock for tests: Wait advances time at once, so "at least 50 ms between links" can be
// checked without sleeping. Every wait is recorded.
class FakeClock : public IClock {
public:
    std::chrono::nanoseconds Now() const override { return m_now; }
    void Wait(std::chrono::milliseconds duration) override {
        m_waits.push_back(duration);
        m_now += duration;
    }
    void Advance(std::chrono::nanoseconds by) { m_now += by; }
    const std::vector<std::chrono::milliseconds>& Waits() const { return m_waits; }

private:
    std::chrono::nanoseconds m_now{1'000'000'000};
    std::vector<std::chrono::milliseconds> m_waits;
};
