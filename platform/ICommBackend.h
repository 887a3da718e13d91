#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Line settings as the serial control's "Settings" text gives them ("115200,n,8,1").
struct LineSettings {
    int baud = 9600;
    char parity = 'n';  // n, e, o, m, s
    int dataBits = 8;
    int stopBits = 1;
};

// What lies behind the serial control: a real port, an in-memory line, or the simulated
// controller. Every operation that fails throws CommError with a text for the operator.
class ICommBackend {
public:
    virtual ~ICommBackend() = default;

    virtual void Open(int portNumber) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual void Configure(const LineSettings& settings) = 0;
    virtual void SetHardwareHandshake(bool on) = 0;
    // Hands the bytes to the operating system (or the far end) before it returns.
    virtual void Write(const QByteArray& bytes) = 0;
    // Every byte received so far, removed from the receive buffer.
    virtual QByteArray ReadAll() = 0;
    // Where a port number leads, for tooltips and messages ("/dev/ttyUSB2").
    virtual QString DeviceOf(int portNumber) const = 0;

    // Set by the serial control. The backend calls them on the GUI thread from its own
    // event notifications, never from inside Write.
    std::function<void()> onBytesArrived;
    std::function<void(const QString& reason)> onLineLost;
};
