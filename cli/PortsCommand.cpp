#include "PortsCommand.h"

#include "ComPortTable.h"
#include "CommandLine.h"
#include "Json.h"
#include "PortProbe.h"

namespace {

// What to do about a port that cannot be opened.
QString Remedy(const PortProbe& probe) {
    switch (probe.state) {
        case PortProbe::State::Busy:
            return probe.holder.isEmpty()
                       ? QStringLiteral(
                             "held by another program (not visible to this user); "
                             "close it or choose another port")
                       : QStringLiteral("held by %1; close that program or choose another port")
                             .arg(probe.holder);
        case PortProbe::State::NoPermission:
            return QStringLiteral(
                       "this user may not open it; add the user to the %1 group "
                       "(sudo adduser $USER %1), then log in again")
                .arg(probe.group.isEmpty() ? QStringLiteral("dialout") : probe.group);
        case PortProbe::State::Absent:
            return probe.detail;
        case PortProbe::State::Present:
            break;
    }
    return {};
}

}  // namespace

CommandResult ListPorts(const Invocation& invocation) {
    ComPortTable table;
    table.ApplyOptions(invocation.comAssignments);
    CommandResult result;
    QStringList entries;
    for (int n = ComPortTable::kFirstPort; n <= ComPortTable::kLastPort; ++n) {
        // In the demo every port reaches the simulated controller.
        const QString device = invocation.demo ? QStringLiteral("simulator") : table.DeviceOf(n);
        PortProbe probe;
        if (invocation.demo)
            probe.state = PortProbe::State::Present;
        else
            probe = ProbePort(device);
        const QString state = StateName(probe.state);
        const QString remedy = Remedy(probe);
        result.lines << QStringLiteral("COM%1  %2  %3%4")
                            .arg(n, -2)
                            .arg(device, -16)
                            .arg(state, -13)
                            .arg(remedy.isEmpty() ? QString() : QLatin1String("  ") + remedy)
                            .trimmed();
        entries << JsonObject({{QStringLiteral("com"), QString::number(n)},
                               {QStringLiteral("device"), JsonString(device)},
                               {QStringLiteral("state"), JsonString(state)}});
    }
    result.json = JsonArray(entries);
    return result;
}
