#include "SerialPortBackend.h"

#include "CommError.h"
#include "LowLatency.h"

SerialPortBackend::SerialPortBackend(const ComPortTable& ports, QObject* parent)
    : QObject(parent), m_ports(ports) {
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        if (onBytesArrived) onBytesArrived();
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPortBackend::OnError);
}

void SerialPortBackend::Open(int portNumber) {
    const QString device = m_ports.DeviceOf(portNumber);
    if (device.isEmpty())
        throw CommError(QStringLiteral("COM%1 has no device (use --com %1=DEVICE)").arg(portNumber));
    m_port.setPortName(device);
    if (!m_port.open(QIODevice::ReadWrite)) throw CommError(OpenErrorText(portNumber, device));
    m_bLowLatency = SetLowLatency(m_port.handle());
}

QString SerialPortBackend::OpenErrorText(int portNumber, const QString& device) const {
    switch (m_port.error()) {
        case QSerialPort::DeviceNotFoundError:
            return QStringLiteral("COM%1 (%2) is not present").arg(portNumber).arg(device);
        case QSerialPort::PermissionError:
#ifdef Q_OS_LINUX
            return QStringLiteral(
                       "COM%1 (%2) is in use by another program, or this user may not open it "
                       "(add the user to the dialout group: sudo adduser $USER dialout, then log "
                       "in again)")
                .arg(portNumber)
                .arg(device);
#else
            return QStringLiteral("COM%1 (%2) is in use by another program").arg(portNumber).arg(device);
#endif
        default:
            return QStringLiteral("COM%1 (%2) cannot be opened: %3")
                .arg(portNumber)
                .arg(device, m_port.errorString());
    }
}

void SerialPortBackend::Close() {
    if (m_port.isOpen()) m_port.close();
}

void SerialPortBackend::Configure(const LineSettings& s) {
    m_port.setBaudRate(s.baud);
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits));
    m_port.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    switch (s.parity) {
        case 'e': m_port.setParity(QSerialPort::EvenParity); break;
        case 'o': m_port.setParity(QSerialPort::OddParity); break;
        case 'm': m_port.setParity(QSerialPort::MarkParity); break;
        case 's': m_port.setParity(QSerialPort::SpaceParity); break;
        default: m_port.setParity(QSerialPort::NoParity); break;
    }
}

void SerialPortBackend::SetHardwareHandshake(bool on) {
    m_port.setFlowControl(on ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
}

void SerialPortBackend::Write(const QByteArray& bytes) {
    if (!m_port.isOpen()) throw CommError(QStringLiteral("%1 is not open").arg(m_port.portName()));
    qint64 written = m_port.write(bytes);
    // Hand everything to the operating system now: frames are sent from inside waits and right
    // before a port is closed, where bytes left in Qt's buffer would go out late or be lost.
    while (written >= 0 && m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(1000)) break;
    }
    if (written != bytes.size() || m_port.bytesToWrite() > 0)
        throw CommError(QStringLiteral("%1: write failed (%2)").arg(m_port.portName(), m_port.errorString()));
}

QByteArray SerialPortBackend::ReadAll() { return m_port.readAll(); }

void SerialPortBackend::OnError(QSerialPort::SerialPortError error) {
    // After a hang-up Qt 6.4 can report ReadError over and over; any read or resource error is
    // therefore the end of the connection, reported once.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError) return;
    if (!m_port.isOpen()) return;
    const QString reason = m_port.errorString();
    m_port.close();
    m_port.clearError();
    if (onLineLost) onLineLost(reason);
}
