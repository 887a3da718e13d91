#pragma once

#include <QObject>
#include <chrono>
#include <functional>

class QSocketNotifier;
class QTimer;

// A one-shot alarm on the event loop with sub-millisecond resolution where the system has it
// (a timerfd on Linux), so that paced bytes can leave at the times a 115200-baud line would
// free them; elsewhere a precise QTimer rounded up to whole milliseconds.
class WakeTimer : public QObject {
    Q_OBJECT

public:
    explicit WakeTimer(QObject* parent = nullptr);
    ~WakeTimer() override;

    // Fires once, no earlier than `delay` from now (at the next turn of the event loop when the
    // delay is not positive). A new Start replaces the previous one.
    void Start(std::chrono::nanoseconds delay);
    void Stop();
    bool Armed() const { return m_bArmed; }

    std::function<void()> onFired;

private:
    void Fire();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_timer = nullptr;
    bool m_bArmed = false;
};
