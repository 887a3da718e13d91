#pragma once

#include <QObject>
#include <QSerialPort>

#include "ComPortTable.h"
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
    QString OpenErrorText(int portNumber, const QString& device) const;

    const ComPortTable& m_ports;
    QSerialPort m_port;
    bool m_bLowLatency = false;
};
