#pragma once

#include <chrono>
#include <functional>

// Time source for the protocol's short waits, the send time stamps and the time-outs of the
// reply-driven chains. The program uses the monotonic clock; tests use a fake whose waits and
// time-outs advance at once, without sleeping.
class IClock {
public:
    virtual ~IClock() = default;
    virtual std::chrono::nanoseconds Now() const = 0;
    // Blocks the calling thread for at least the given time.
    virtual void Wait(std::chrono::milliseconds duration) = 0;

    // Runs `expired` once, from the event loop of the calling thread, when `after` has passed.
    // It is never run from inside StartTimer, CancelTimer or Wait. Returns the number that
    // CancelTimer takes.
    virtual int StartTimer(std::chrono::milliseconds after, std::function<void()> expired) = 0;
    // Forgets a timer that has not run yet; a number already spent or unknown is ignored.
    virtual void CancelTimer(int id) = 0;
};
