#pragma once

#include <QObject>
#include <QSerialPort>

#include "ComPortTable.h"
#include "CommError.h"
#include "ICommBackend.h"

// The serial control's backend on a real port (a USB adapter, or a pseudo-terminal such as
// /dev/pts/N) through QSerialPort. Input is event-driven from readyRead; nothing polls.
class SerialPortBackend : public QObject, public ICommBackend {
    Q_OBJECT

public:
    explicit SerialPortBackend(const ComPortTable& ports, QObject* parent = nullptr);

    void Open(int portNumber) override;
    void Close() override;
    bool IsOpen() const override { return m_port.isOpen(); }
    void Configure(const LineSettings& settings) override;
    void SetHardwareHandshake(bool on) override;
    void Write(const QByteArray& bytes) override;
    QByteArray ReadAll() override;
    QString DeviceOf(int portNumber) const override { return m_ports.DeviceOf(portNumber); }

    // Whether the last Open could put the port in low-latency mode.
    bool LowLatency() const { return m_bLowLatency; }

private:
    void OnError(QSerialPort::SerialPortError error);
    void EndConnection(const QString& reason);
    void PullWaiting();
    CommError OpenError(const QString& device) const;
    CommError WriteFailed() const;
    QString PortName() const;
    bool WaitWritable(int timeoutMs);

    const ComPortTable& m_ports;
    QSerialPort m_port{this};
    int m_nPortNumber = 0;
    // Counts the connections, so that a lost-line notice still queued from an earlier
    // connection is not delivered on a port that has been opened again since.
    quint64 m_nConnection = 0;
    bool m_bEnding = false;
    bool m_bLowLatency = false;
};
