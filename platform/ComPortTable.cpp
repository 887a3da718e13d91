#include "ComPortTable.h"

ComPortTable::ComPortTable() = default;

QString ComPortTable::DefaultDeviceOf(int portNumber) {
    if (portNumber < kFirstPort || portNumber > kLastPort) return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    if (portNumber <= 10) return QStringLiteral("/dev/ttyUSB%1").arg(portNumber - 1);
    return QStringLiteral("/dev/ttyACM%1").arg(portNumber - 11);
#endif
}

QString ComPortTable::DeviceOf(int portNumber) const {
    const auto it = m_overrides.find(portNumber);
    return it != m_overrides.end() ? it->second : DefaultDeviceOf(portNumber);
}

void ComPortTable::Override(int portNumber, const QString& device) {
    m_overrides[portNumber] = device;
}

// All or nothing: a bad assignment leaves the table as it was.
QString ComPortTable::ApplyOptions(const QStringList& assignments) {
    std::map<int, QString> parsed;
    for (const QString& assignment : assignments) {
        const qsizetype eq = assignment.indexOf(QLatin1Char('='));
        bool ok = false;
        const int port = eq > 0 ? assignment.left(eq).trimmed().toInt(&ok) : 0;
        const QString device = eq > 0 ? assignment.mid(eq + 1).trimmed() : QString();
        if (!ok || port < kFirstPort || port > kLastPort || device.isEmpty())
            return QStringLiteral("--com %1: expected N=DEVICE with N from %2 to %3")
                .arg(assignment)
                .arg(kFirstPort)
                .arg(kLastPort);
        parsed[port] = device;
    }
    for (const auto& [port, device] : parsed) Override(port, device);
    return {};
}
