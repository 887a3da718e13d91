#pragma once

#include <QMutex>
#include <map>
#include <memory>

#include "IClock.h"

class QTimer;

// The monotonic clock; Wait sleeps (it never spins) and returns only after the full duration.
// Timers are Qt timers of the thread that starts them.
class SteadyClock : public IClock {
public:
    SteadyClock();
    ~SteadyClock() override;

    std::chrono::nanoseconds Now() const override;
    void Wait(std::chrono::milliseconds duration) override;
    int StartTimer(std::chrono::milliseconds after, std::function<void()> expired) override;
    void CancelTimer(int id) override;

private:
    struct Pending {
        QTimer* timer;
        std::function<void()> expired;
    };
    void Expire(int id);

    QMutex m_mutex;
    int m_nLastId = 0;
    std::map<int, Pending> m_pending;
};
