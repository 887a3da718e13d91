#include "SerialPortBackend.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSignalBlocker>

#include "CommError.h"
#include "LowLatency.h"
#include "PortLock.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

// Why a line ends on a read error or a hang-up, in terms the user can act on; the system's own
// words for it ("Inappropriate ioctl for device", "Input/output error") say nothing to them.
const QString kDeviceGone = QStringLiteral("the adapter was unplugged or the device went away");

// Time allowed for one Write to reach the driver: twice its time on the wire plus a second,
// so a stalled line (hardware handshake held off, a far end that stopped reading) ends it.
int WriteTimeoutMs(qsizetype bytes, qint32 baud) {
    const qint64 wireMs = baud > 0 ? bytes * 10 * 1000 / baud : 0;
    return static_cast<int>(1000 + 2 * wireMs);
}

#ifdef Q_OS_UNIX
// EACCES from access() means this user may not open the device at all, as opposed to a
// device another program holds.
bool AccessDenied(const QString& device) {
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES;
}
#else
bool AccessDenied(const QString&) { return false; }
#endif

}  // namespace

SerialPortBackend::SerialPortBackend(const ComPortTable& ports, QObject* parent)
    : QObject(parent), m_ports(ports) {
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        if (onBytesArrived) onBytesArrived();
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPortBackend::OnError);
}

QString SerialPortBackend::PortName() const {
    return QStringLiteral("COM%1 (%2)").arg(m_nPortNumber).arg(m_port.portName());
}

void SerialPortBackend::Open(int portNumber) {
    const QString device = m_ports.DeviceOf(portNumber);
    if (device.isEmpty())
        throw CommError(QStringLiteral("There is no port COM%1: the ports are COM%2 to COM%3")
                            .arg(portNumber)
                            .arg(ComPortTable::kFirstPort)
                            .arg(ComPortTable::kLastPort),
                        QStringLiteral("没有串口 COM%1：串口为 COM%2 到 COM%3")
                            .arg(portNumber)
                            .arg(ComPortTable::kFirstPort)
                            .arg(ComPortTable::kLastPort));
    m_nPortNumber = portNumber;
    m_port.setPortName(device);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const CommError error = OpenError(device);
        m_port.clearError();
        throw error;
    }
    ++m_nConnection;
    m_bLowLatency = SetLowLatency(m_port.handle());
}

CommError SerialPortBackend::OpenError(const QString& device) const {
    const QString port = QStringLiteral("COM%1 (%2)").arg(m_nPortNumber).arg(device);
    const QString detail = m_port.errorString();
    switch (m_port.error()) {
        case QSerialPort::DeviceNotFoundError:
            return CommError(
                QStringLiteral("%1 is not present: connect the adapter or choose another port")
                    .arg(port),
                QStringLiteral("%1 不存在：请连接适配器或选择其他串口").arg(port));
        case QSerialPort::PermissionError:
            // Qt reports a lock held by another program, an exclusive open (EBUSY) and a
            // refused access all as PermissionError; only the last is the user's rights.
            if (AccessDenied(device))
                return CommError(
                    QStringLiteral(
                        "%1 may not be opened by this user (%2). Add the user to the dialout "
                        "group (sudo adduser $USER dialout), then log in again")
                        .arg(port, detail),
                    QStringLiteral("当前用户无权打开 %1（%2）。请将用户加入 dialout 组"
                                   "（sudo adduser $USER dialout），然后重新登录")
                        .arg(port, detail));
            // A lock file whose owner has died is no user of the port: Qt removes such a file
            // itself, unless it belongs to another user (the lock folder is sticky).
            if (const auto lock = FindPortLock(device); lock && !lock->ownerRunning)
                return CommError(
                    QStringLiteral(
                        "%1 is still locked by %2, left behind by a program that no longer "
                        "runs (process %3). Remove that file (sudo rm %2), then open the port "
                        "again")
                        .arg(port, lock->path)
                        .arg(lock->pid),
                    QStringLiteral("%1 仍被锁定文件 %2 占用，它由一个已不再运行的程序（进程 %3）"
                                   "留下。请删除该文件（sudo rm %2），然后重新打开串口")
                        .arg(port, lock->path)
                        .arg(lock->pid));
            return CommError(QStringLiteral("%1 is in use by another program (%2)").arg(port, detail),
                             QStringLiteral("%1 正被其他程序使用（%2）").arg(port, detail));
        case QSerialPort::UnsupportedOperationError:
            return CommError(QStringLiteral("%1 is not a serial port (%2)").arg(port, detail),
                             QStringLiteral("%1 不是串口（%2）").arg(port, detail));
        default:
            return CommError(QStringLiteral("%1 cannot be opened (%2)").arg(port, detail),
                             QStringLiteral("无法打开 %1（%2）").arg(port, detail));
    }
}

void SerialPortBackend::Close() {
    if (m_port.isOpen()) m_port.close();
    m_port.clearError();
}

namespace {

QSerialPort::Parity ToQtParity(char parity) {
    switch (parity) {
        case 'e':
            return QSerialPort::EvenParity;
        case 'o':
            return QSerialPort::OddParity;
        case 'm':
            return QSerialPort::MarkParity;
        case 's':
            return QSerialPort::SpaceParity;
        default:
            return QSerialPort::NoParity;
    }
}

}  // namespace

// A device that refuses a setting (a pseudo-terminal keeps 8 bits without parity) must not
// leave the control believing the line runs as asked.
void SerialPortBackend::Configure(const LineSettings& s) {
    const bool applied =
        m_port.setBaudRate(s.baud) &&
        m_port.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) &&
        m_port.setParity(ToQtParity(s.parity)) &&
        m_port.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    if (applied) return;
    const QString detail = m_port.errorString();
    m_port.clearError();
    const QString line = QStringLiteral("%1,%2,%3,%4")
                             .arg(s.baud)
                             .arg(QLatin1Char(s.parity))
                             .arg(s.dataBits)
                             .arg(s.stopBits);
    throw CommError(
        QStringLiteral("%1 does not accept the line settings %2 (%3)").arg(PortName(), line, detail),
        QStringLiteral("%1 不接受串口参数 %2（%3）").arg(PortName(), line, detail));
}

void SerialPortBackend::SetHardwareHandshake(bool on) {
    if (m_port.setFlowControl(on ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl))
        return;
    const QString detail = m_port.errorString();
    m_port.clearError();
    throw CommError(
        QStringLiteral("%1 does not accept the handshaking (%2)").arg(PortName(), detail),
        QStringLiteral("%1 不接受所设的握手方式（%2）").arg(PortName(), detail));
}

// Hands every byte to the driver before returning: frames are sent from inside waits and right
// before a port is closed, where bytes left in Qt's buffer would go out late or be lost.
// waitForBytesWritten is not used because it also delivers readyRead and errors from inside
// the call, which would raise OnComm in the middle of a send.
void SerialPortBackend::Write(const QByteArray& bytes) {
    if (!m_port.isOpen())
        throw CommError(QStringLiteral("%1 is not open").arg(PortName()),
                        QStringLiteral("%1 未打开").arg(PortName()));
    if (m_port.write(bytes) != bytes.size()) throw WriteFailed();
    QDeadlineTimer deadline(WriteTimeoutMs(bytes.size(), m_port.baudRate()));
    while (m_port.isOpen() && m_port.bytesToWrite() > 0) {
        // flush() writes at once and fails on a full driver buffer, so it only runs once the
        // descriptor has room.
        if (!WaitWritable(static_cast<int>(deadline.remainingTime())))
            throw CommError(
                QStringLiteral("%1: write timed out, the line does not take data").arg(PortName()),
                QStringLiteral("%1：发送超时，线路不接收数据").arg(PortName()));
        if (!m_port.flush() && m_port.isOpen()) throw WriteFailed();
    }
    if (!m_port.isOpen())
        throw CommError(
            QStringLiteral("%1: the connection was lost while sending").arg(PortName()),
            QStringLiteral("%1：发送时连接已断开").arg(PortName()));
}

CommError SerialPortBackend::WriteFailed() const {
    return CommError(QStringLiteral("%1: write failed (%2)").arg(PortName(), m_port.errorString()),
                     QStringLiteral("%1：发送失败（%2）").arg(PortName(), m_port.errorString()));
}

bool SerialPortBackend::WaitWritable(int timeoutMs) {
#ifdef Q_OS_UNIX
    pollfd descriptor{static_cast<int>(m_port.handle()), POLLOUT, 0};
    int ready;
    do {
        ready = ::poll(&descriptor, 1, qMax(timeoutMs, 0));
    } while (ready < 0 && errno == EINTR);
    // A hung-up line also reports ready; the write then fails and ends the connection.
    return ready > 0;
#else
    return m_port.waitForBytesWritten(qMax(timeoutMs, 0)) || m_port.bytesToWrite() == 0;
#endif
}

// Input means every byte received so far: bytes the driver already holds count too, also when
// the event loop has not run since they came (a chain empties the input right before it sends
// its next link, and a late byte of the last reply would otherwise spoil the next one).
QByteArray SerialPortBackend::ReadAll() {
    PullWaiting();
    return m_port.readAll();
}

void SerialPortBackend::PullWaiting() {
    if (!m_port.isOpen()) return;
    {
        // The bytes are taken here and now; no receive notification may run inside Input.
        const QSignalBlocker blocker(&m_port);
        m_port.waitForReadyRead(0);
    }
    const QSerialPort::SerialPortError error = m_port.error();
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
        EndConnection(kDeviceGone);
    else if (error != QSerialPort::NoError)
        m_port.clearError();  // a zero wait with nothing to read reports a time-out
}

void SerialPortBackend::OnError(QSerialPort::SerialPortError error) {
    // After a hang-up Qt 6.4 reports ReadError over and over (its read notifier stays armed
    // unless errno happened to say EAGAIN or EIO), or ResourceError once. Either is the end of
    // the connection: the port is closed at once, which stops the notifier.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError) return;
    if (!m_port.isOpen() || m_bEnding) return;
    EndConnection(kDeviceGone);
}

// Closes the port and tells the serial control once. The notice is queued, so that it never
// arrives from inside Write or from inside Qt's read notification.
void SerialPortBackend::EndConnection(const QString& reason) {
    m_bEnding = true;
    m_port.close();
    m_port.clearError();
    m_bEnding = false;
    const quint64 connection = m_nConnection;
    QMetaObject::invokeMethod(
        this,
        [this, connection, reason] {
            if (connection == m_nConnection && !m_port.isOpen() && onLineLost) onLineLost(reason);
        },
        Qt::QueuedConnection);
}
