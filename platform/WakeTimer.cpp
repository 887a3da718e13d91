#include "WakeTimer.h"

#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>
#endif

WakeTimer::WakeTimer(QObject* parent) : QObject(parent) {
#ifdef Q_OS_LINUX
    m_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            quint64 expirations = 0;
            if (::read(m_fd, &expirations, sizeof expirations) > 0) Fire();
        });
        return;
    }
#endif
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &WakeTimer::Fire);
}

WakeTimer::~WakeTimer() {
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        delete m_notifier;
        ::close(m_fd);
    }
#endif
}

void WakeTimer::Start(std::chrono::nanoseconds delay) {
    using namespace std::chrono;
    m_bArmed = true;
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        // A zero time would disarm the timer; one nanosecond fires at once.
        const nanoseconds at = std::max(delay, nanoseconds(1));
        itimerspec timer{};
        timer.it_value.tv_sec = static_cast<time_t>(duration_cast<seconds>(at).count());
        timer.it_value.tv_nsec = static_cast<long>((at % seconds(1)).count());
        timerfd_settime(m_fd, 0, &timer, nullptr);
        return;
    }
#endif
    m_timer->start(ceil<milliseconds>(std::max(delay, nanoseconds(0))));
}

void WakeTimer::Stop() {
    m_bArmed = false;
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        itimerspec timer{};
        timerfd_settime(m_fd, 0, &timer, nullptr);
        return;
    }
#endif
    m_timer->stop();
}

void WakeTimer::Fire() {
    if (!m_bArmed) return;
    m_bArmed = false;
    if (onFired) onFired();
}
