#pragma once

#include <QString>
#include <QStringList>
#include <map>

// Where each COM number 1-20 leads. On Linux COM1-COM10 are /dev/ttyUSB0-9 and COM11-COM20
// are /dev/ttyACM0-9; on Windows COMn is itself. "--com N=DEVICE" overrides one entry.
class ComPortTable {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 20;

    ComPortTable();

    // The device of a port number; empty for a number with no device.
    QString DeviceOf(int portNumber) const;
    void Override(int portNumber, const QString& device);
    // Reads every "N=DEVICE" of the --com options; returns an error text, empty when all fit.
    QString ApplyOptions(const QStringList& assignments);

    static QString DefaultDeviceOf(int portNumber);

private:
    std::map<int, QString> m_overrides;
};
