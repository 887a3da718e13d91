#include "SteadyClock.h"

#include <QTimer>
#include <thread>

SteadyClock::SteadyClock() = default;

SteadyClock::~SteadyClock() {
    for (auto& [id, pending] : m_pending) delete pending.timer;
}

std::chrono::nanoseconds SteadyClock::Now() const {
    return std::chrono::steady_clock::now().time_since_epoch();
}

void SteadyClock::Wait(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    // sleep_until may wake early on a signal; go back to sleep until the time has passed.
    while (std::chrono::steady_clock::now() < until) std::this_thread::sleep_until(until);
}

int SteadyClock::StartTimer(std::chrono::milliseconds after, std::function<void()> expired) {
    auto* timer = new QTimer;
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    int id = 0;
    {
        const QMutexLocker lock(&m_mutex);
        id = ++m_nLastId;
        m_pending[id] = {timer, std::move(expired)};
    }
    QObject::connect(timer, &QTimer::timeout, timer, [this, id] { Expire(id); });
    timer->start(after);
    return id;
}

void SteadyClock::CancelTimer(int id) {
    QTimer* timer = nullptr;
    {
        const QMutexLocker lock(&m_mutex);
        const auto found = m_pending.find(id);
        if (found == m_pending.end()) return;
        timer = found->second.timer;
        m_pending.erase(found);
    }
    timer->stop();
    timer->deleteLater();
}

void SteadyClock::Expire(int id) {
    Pending pending{};
    {
        const QMutexLocker lock(&m_mutex);
        const auto found = m_pending.find(id);
        if (found == m_pending.end()) return;
        pending = std::move(found->second);
        m_pending.erase(found);
    }
    // The timer is still delivering its signal: it goes once control is back in the loop.
    pending.timer->deleteLater();
    pending.expired();
}
