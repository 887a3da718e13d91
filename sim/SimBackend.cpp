#include "SimBackend.h"

#include "CommError.h"

SimBackend::SimBackend(const SimConfig& config, QObject* parent)
    : QObject(parent), m_sim(config), m_driver(m_sim, m_clock) {
    m_driver.SetBaud(config.paceBaud);
    m_driver.SetByteByByte(config.byteByByte);
    m_driver.SetLiveRate(config.liveRateHz);
    m_driver.onBytes = [this](const QByteArray& bytes) { Arrived(bytes); };
}

SimBackend::~SimBackend() { m_driver.onBytes = nullptr; }

void SimBackend::Open(int portNumber) {
    if (portNumber < 1)
        throw CommError(QStringLiteral("Invalid port number %1").arg(portNumber),
                        QStringLiteral("无效的串口号 %1").arg(portNumber));
    if (m_bOpen) throw CommError(QStringLiteral("Port already open"), QStringLiteral("串口已经打开"));
    m_bOpen = true;
    m_rx.clear();
    m_driver.Discard();
}

void SimBackend::Close() {
    m_bOpen = false;
    m_rx.clear();
}

void SimBackend::Configure(const LineSettings& settings) { m_settings = settings; }

bool SimBackend::LineMatches() const {
    // The stop bits do not matter: each side's receiver checks only the first.
    return m_settings.baud == SimConfig::kLineBaud && m_settings.dataBits == 8 &&
           m_settings.parity == 'n';
}

void SimBackend::Write(const QByteArray& bytes) {
    if (!m_bOpen)
        throw CommError(QStringLiteral("simulator: write on a closed port"),
                        QStringLiteral("模拟器：串口已关闭，无法发送"));
    if (LineMatches()) m_driver.Receive(bytes);
}

QByteArray SimBackend::ReadAll() {
    // What the line has carried by now is there to read, announced or not.
    const QByteArray due = m_driver.TakeDue();
    if (m_bOpen && LineMatches()) m_rx += due;
    QByteArray bytes;
    bytes.swap(m_rx);
    return bytes;
}

QString SimBackend::DeviceOf(int) const { return QStringLiteral("simulator"); }

void SimBackend::Arrived(const QByteArray& bytes) {
    // A closed port, or a line on the wrong settings, loses what the controller sends.
    if (!m_bOpen || !LineMatches() || bytes.isEmpty()) return;
    m_rx += bytes;
    if (onBytesArrived) onBytesArrived();
}
