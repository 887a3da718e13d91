#pragma once

#include "IClock.h"

// The monotonic clock; Wait sleeps (it never spins) and returns only after the full duration.
class SteadyClock : public IClock {
public:
    std::chrono::nanoseconds Now() const override;
    void Wait(std::chrono::milliseconds duration) override;
};
