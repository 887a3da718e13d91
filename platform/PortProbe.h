#pragma once

#include <QString>

// What a serial device is like at this moment, for a list of ports: missing, there and free,
// held by another program, or closed to this user. Where the device is there, opening it is
// tried (and undone at once): only an open tells whether another program holds it.
struct PortProbe {
    enum class State { Absent, Present, Busy, NoPermission };

    State state = State::Absent;
    // Absent: why, when the device exists but is no usable serial port ("not a serial port").
    QString detail;
    // Busy: the program holding it, "1234 (minicom)", when it can be found; else empty.
    QString holder;
    // NoPermission: the group whose members may open the device ("dialout").
    QString group;
};

PortProbe ProbePort(const QString& device);

// The name the state is listed under: "absent", "present", "busy", "no-permission".
QString StateName(PortProbe::State state);
