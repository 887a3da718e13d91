#include "PortTarget.h"

#include <QFileInfo>

#include "CommandLine.h"
#include "PortFileLocation.h"

namespace {

constexpr int kDefaultPort = 3;

// The window's choice: an empty or missing file means COM3, and so does one that is not read
// (a FIFO, a folder), which is said once on `warning`.
int PortOfFile(const PortFile& file, QString* error, QString* warning) {
    const PortFile::Content content = file.Read();
    if (!content.problem.isEmpty() && warning)
        *warning = QStringLiteral("the port file %1 is not read (%2); COM3 is used")
                       .arg(file.Path(), content.problem);
    if (content.empty) return kDefaultPort;
    if (content.number >= ComPortTable::kFirstPort && content.number <= ComPortTable::kLastPort)
        return content.number;
    *error = QStringLiteral(
                 "%1 names port %2, which does not exist (COM%3 to COM%4): give "
                 "--port")
                 .arg(file.Path())
                 .arg(content.text.isEmpty() ? QString::number(content.number) : content.text)
                 .arg(ComPortTable::kFirstPort)
                 .arg(ComPortTable::kLastPort);
    return 0;
}

}  // namespace

std::vector<PortTarget> ResolvePorts(const Invocation& invocation, QString* error,
                                     QString* warning) {
    ComPortTable table;
    table.ApplyOptions(invocation.comAssignments);
    std::vector<PortTarget> targets;
    if (invocation.ports.isEmpty()) {
        const int number = PortOfFile(CommandLinePortFile(invocation.portFile), error, warning);
        if (number == 0) return {};
        targets.push_back({QStringLiteral("COM%1").arg(number), number, table});
        return targets;
    }
    for (const QString& port : invocation.ports) {
        PortTarget target{port, kDefaultPort, table};
        if (IsComName(port, &target.number)) {
            target.label = QStringLiteral("COM%1").arg(target.number);
        } else {
            int known = 0;
            for (int n = ComPortTable::kFirstPort; n <= ComPortTable::kLastPort && !known; ++n)
                if (table.DeviceOf(n) == port) known = n;
            if (known)
                target.number = known;
            else
                target.table.Override(kDefaultPort, port);
        }
        targets.push_back(std::move(target));
    }
    return targets;
}

QString PortTarget::Description() const {
    if (IsComName(label)) return QStringLiteral("COM%1 (%2)").arg(number).arg(Device());
    return label;
}

QString InUserTerms(const PortTarget& target, const QString& message) {
    const QString windowName = QStringLiteral("COM%1 (%2)").arg(target.number).arg(target.Device());
    return QString(message).replace(windowName, target.Description());
}

QString OpenFailure(const PortTarget& target, const QString& reason) {
    QString text = InUserTerms(target, reason);
    if (!QFileInfo::exists(target.Device()))
        text += QStringLiteral(
            " (vexactl ports lists the ports and their state; vexactl --demo tries the "
            "command without hardware)");
    return text;
}
