#pragma once

#include <chrono>

// Time source for the protocol's short waits and the send time stamps. The program uses the
// monotonic clock; tests use a fake whose waits advance time without sleeping.
class IClock {
public:
    virtual ~IClock() = default;
    virtual std::chrono::nanoseconds Now() const = 0;
    // Blocks the calling thread for at least the given time.
    virtual void Wait(std::chrono::milliseconds duration) = 0;
};
