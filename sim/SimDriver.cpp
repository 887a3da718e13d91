#include "SimDriver.h"

#include <algorithm>
#include <cmath>

#include "ControllerSim.h"
#include "IClock.h"

namespace {

// Live rounds are skipped while this much output is still on its way, as a controller skips
// telemetry its UART cannot carry.
constexpr qsizetype kMaxLiveBacklog = 3 * SimLiveStream::kFrameSize;

}  // namespace

SimDriver::SimDriver(ControllerSim& sim, const IClock& clock, QObject* parent)
    : QObject(parent), m_sim(sim), m_clock(clock) {
    m_sim.onOutput = [this](const QByteArray& bytes) { Enqueue(bytes); };
    m_sim.onLiveChanged = [this](bool on) { LiveChanged(on); };
    m_wake.onFired = [this] { Wake(); };
    m_live.setTimerType(Qt::PreciseTimer);
    connect(&m_live, &QTimer::timeout, this, &SimDriver::LiveTick);
    SetLiveRate(10.0);
    LiveChanged(m_sim.LiveOn());
}

SimDriver::~SimDriver() {
    m_sim.onOutput = nullptr;
    m_sim.onLiveChanged = nullptr;
}

void SimDriver::SetBaud(int baud) {
    m_nBaud = std::max(0, baud);
    m_byteTime = m_nBaud > 0 ? Nanos(10'000'000'000LL / m_nBaud) : Nanos(0);
}

void SimDriver::SetLiveRate(double hz) {
    const double rate = hz > 0.0 ? hz : 10.0;
    m_live.setInterval(std::max(1, static_cast<int>(std::lround(1000.0 / rate))));
}

void SimDriver::Receive(const QByteArray& bytes) {
    if (m_byteTime.count() > 0)
        m_inEnd = std::max(m_inEnd, m_clock.Now()) + m_byteTime * bytes.size();
    m_sim.Receive(bytes);
}

void SimDriver::Enqueue(const QByteArray& bytes) {
    const Nanos start = std::max({m_clock.Now(), m_outEnd, m_inEnd});
    m_outEnd = start + m_byteTime * bytes.size();
    m_queue.push_back({bytes, start});
    if (!m_wake.Armed()) Arm();
}

qsizetype SimDriver::DueCount(const Unit& unit, Nanos now) const {
    const qsizetype size = unit.bytes.size();
    if (m_byteTime.count() == 0) return size;
    if (now < unit.start) return 0;
    const qsizetype through = std::min<qsizetype>(size, (now - unit.start) / m_byteTime);
    if (m_bByteByByte) return through;
    return through == size ? size : 0;
}

SimDriver::Nanos SimDriver::DueTime(const Unit& unit) const {
    const qsizetype upTo = m_bByteByByte ? unit.taken + 1 : unit.bytes.size();
    return unit.start + m_byteTime * upTo;
}

QByteArray SimDriver::TakeDue() {
    const Nanos now = m_clock.Now();
    QByteArray due;
    while (!m_queue.empty()) {
        Unit& unit = m_queue.front();
        const qsizetype count = DueCount(unit, now);
        due += unit.bytes.mid(unit.taken, count - unit.taken);
        unit.taken = std::max(unit.taken, count);
        if (unit.taken < unit.bytes.size()) break;
        m_queue.pop_front();
    }
    return due;
}

qsizetype SimDriver::Pending() const {
    qsizetype pending = 0;
    for (const Unit& unit : m_queue) pending += unit.bytes.size() - unit.taken;
    return pending;
}

void SimDriver::Discard() {
    m_queue.clear();
    m_wake.Stop();
}

void SimDriver::Arm() {
    if (m_queue.empty()) return m_wake.Stop();
    m_wake.Start(DueTime(m_queue.front()) - m_clock.Now());
}

void SimDriver::Wake() {
    const QByteArray due = TakeDue();
    Arm();
    if (!due.isEmpty() && onBytes) onBytes(due);
}

void SimDriver::LiveTick() {
    if (Pending() <= kMaxLiveBacklog) m_sim.TickLive();
}

void SimDriver::LiveChanged(bool on) {
    if (on)
        m_live.start();
    else
        m_live.stop();
}
