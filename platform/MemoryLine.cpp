#include "MemoryLine.h"

#include "ComPortTable.h"
#include "CommError.h"
#include "IClock.h"

MemoryLine::MemoryLine(const IClock& clock, QObject* parent) : QObject(parent), m_clock(clock) {}

void MemoryLine::Open(int portNumber) {
    // Like the real ports, a number outside the port table leads nowhere.
    if (portNumber < ComPortTable::kFirstPort || portNumber > ComPortTable::kLastPort)
        throw CommError(QStringLiteral("There is no port COM%1: the ports are COM%2 to COM%3")
                            .arg(portNumber)
                            .arg(ComPortTable::kFirstPort)
                            .arg(ComPortTable::kLastPort));
    if (m_unavailable.count(portNumber))
        throw CommError(
            QStringLiteral("COM%1 cannot be opened: the port is in use or absent").arg(portNumber));
    m_bOpen = true;
    m_nOpenedPort = portNumber;
    ++m_nOpenCount;
    m_rx.clear();
}

void MemoryLine::Close() {
    m_bOpen = false;
    m_rx.clear();
}

void MemoryLine::Write(const QByteArray& bytes) {
    if (!m_bOpen) throw CommError(QStringLiteral("memory line: write on a closed port"));
    m_sent.push_back({bytes, m_clock.Now()});
    if (onWritten) onWritten(bytes);
}

QByteArray MemoryLine::ReadAll() {
    QByteArray bytes;
    bytes.swap(m_rx);
    return bytes;
}

QString MemoryLine::DeviceOf(int portNumber) const {
    return QStringLiteral("memory:%1").arg(portNumber);
}

void MemoryLine::Feed(const QByteArray& bytes) {
    if (!m_bOpen) return;
    m_rx += bytes;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_bOpen && !m_rx.isEmpty() && onBytesArrived) onBytesArrived();
        },
        Qt::QueuedConnection);
}

void MemoryLine::Inject(const QByteArray& bytes) {
    if (!m_bOpen) return;
    m_rx += bytes;
    if (onBytesArrived) onBytesArrived();
}

void MemoryLine::HangUp() {
    if (!m_bOpen) return;
    Close();
    const int connection = m_nOpenCount;
    QMetaObject::invokeMethod(
        this,
        [this, connection] {
            if (connection == m_nOpenCount && !m_bOpen && onLineLost)
                onLineLost(QStringLiteral("the device was removed"));
        },
        Qt::QueuedConnection);
}

void MemoryLine::SetUnavailable(int portNumber, bool unavailable) {
    if (unavailable)
        m_unavailable.insert(portNumber);
    else
        m_unavailable.erase(portNumber);
}

QByteArray MemoryLine::SentBytes() const {
    QByteArray all;
    for (const SentFrame& frame : m_sent) all += frame.bytes;
    return all;
}
