#pragma once

#include <QString>
#include <vector>

#include "ComPortTable.h"

struct Invocation;

// One port a command runs on: the COM number the serial control opens, the table that leads
// that number to its device, and the port as the user named it.
struct PortTarget {
    QString label;  // "COM3" or the device path given
    int number = 3;
    ComPortTable table;

    QString Device() const { return table.DeviceOf(number); }
    // The port in messages: "COM3 (/dev/ttyUSB2)" for a COM number, a device path as given.
    QString Description() const;
};

// A message of the serial control about this port, which names it the window's way
// ("COM3 (/dev/pts/7)"), with the port named as the user gave it.
QString InUserTerms(const PortTarget& target, const QString& message);

// Why the port could not be opened, in the user's terms; for a device that is not there,
// also how to list the ports and how to try vexactl without hardware.
QString OpenFailure(const PortTarget& target, const QString& reason);

// The ports of the --port options; without one, the port kept in the window's port file
// (--port-file, else the window's configuration folder, else ./qzmcconfig.ini; only read,
// never created or written), else COM3. A device path that no COM number leads to is opened
// as COM3 (its own table leads COM3 there). Empty, with `error` set, when the port file names
// a port that does not exist; `warning` is set when a port file is there but is not read.
std::vector<PortTarget> ResolvePorts(const Invocation& invocation, QString* error,
                                     QString* warning = nullptr);
