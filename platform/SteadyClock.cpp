#include "SteadyClock.h"

#include <thread>

std::chrono::nanoseconds SteadyClock::Now() const {
    return std::chrono::steady_clock::now().time_since_epoch();
}

void SteadyClock::Wait(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    // sleep_until may wake early on a signal; go back to sleep until the time has passed.
    while (std::chrono::steady_clock::now() < until) std::this_thread::sleep_until(until);
}
