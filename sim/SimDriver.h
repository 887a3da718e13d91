#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>

#include "WakeTimer.h"

class ControllerSim;
class IClock;

// Runs a ControllerSim on the event loop: a timer drives its live stream, and its output is
// paced as a serial line at the given baud rate would carry it (ten bits a byte, after the
// bytes the tool sent have come in). Each reply leaves whole once its last byte is through,
// as a USB adapter passes it on; or byte by byte on request.
//
// Output reaches the user in two ways, both never from inside Receive: onBytes from the event
// loop when bytes become due, or TakeDue(), which gives what is due right now (as a serial
// port's driver hands over what has arrived even while the program is busy).
class SimDriver : public QObject {
    Q_OBJECT

public:
    SimDriver(ControllerSim& sim, const IClock& clock, QObject* parent = nullptr);
    ~SimDriver() override;

    // 0: no pacing, output is due at once.
    void SetBaud(int baud);
    int Baud() const { return m_nBaud; }
    void SetByteByByte(bool on) { m_bByteByByte = on; }
    void SetLiveRate(double hz);

    // Bytes from the tool.
    void Receive(const QByteArray& bytes);
    // The controller's bytes that have arrived by now, removed from the line.
    QByteArray TakeDue();
    // Bytes on their way that have not arrived yet.
    qsizetype Pending() const;
    // Everything on the way is lost (nobody listens at the far end).
    void Discard();

    std::function<void(const QByteArray&)> onBytes;

private:
    using Nanos = std::chrono::nanoseconds;
    struct Unit {
        QByteArray bytes;
        Nanos start;
        qsizetype taken = 0;
    };

    void Enqueue(const QByteArray& bytes);
    qsizetype DueCount(const Unit& unit, Nanos now) const;
    Nanos DueTime(const Unit& unit) const;
    void Arm();
    void Wake();
    void LiveTick();
    void LiveChanged(bool on);

    ControllerSim& m_sim;
    const IClock& m_clock;
    int m_nBaud = 0;
    Nanos m_byteTime{0};
    bool m_bByteByByte = false;
    std::deque<Unit> m_queue;
    Nanos m_outEnd{0};
    Nanos m_inEnd{0};
    WakeTimer m_wake;
    QTimer m_live;
};
