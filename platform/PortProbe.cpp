#include "PortProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

#ifdef Q_OS_UNIX
bool AccessDenied(const QString& device) {
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES;
}

QString GroupOf(const QString& device) {
    struct stat info {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0) return {};
    const group* entry = ::getgrgid(info.st_gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(info.st_gid);
}

QString ProcessName(const QString& pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

QString Describe(const QString& pid) {
    const QString name = ProcessName(pid);
    return name.isEmpty() ? pid : QStringLiteral("%1 (%2)").arg(pid, name);
}

// A process with the device among its open files (only processes this user may look into).
QString OpenedBy(const QString& device) {
    const QString target = QFileInfo(device).canonicalFilePath();
    const QString self = QString::number(::getpid());
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& pid : pids) {
        if (pid.isEmpty() || !pid[0].isDigit() || pid == self) continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QFileInfo& fd :
             fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            if (fd.symLinkTarget() == target) return Describe(pid);
    }
    return {};
}

// The owner named in a UUCP-style lock file ("LCK..ttyUSB0", "LCK..pts_4"), which serial
// programs (Qt's among them) leave beside the port while they hold it.
QString LockedBy(const QString& device) {
    QString name = device;
    if (name.startsWith(QLatin1String("/dev/"))) name = name.mid(5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const char* folder : {"/var/lock", "/run/lock", "/var/spool/locks", "/tmp"}) {
        QFile lock(QStringLiteral("%1/LCK..%2").arg(QLatin1String(folder), name));
        if (!lock.open(QIODevice::ReadOnly)) continue;
        const QString pid = QString::fromLatin1(lock.readLine()).trimmed();
        bool number = false;
        pid.toLongLong(&number);
        if (number) return Describe(pid);
    }
    return {};
}
#else
bool AccessDenied(const QString&) { return false; }
QString GroupOf(const QString&) { return {}; }
QString OpenedBy(const QString&) { return {}; }
QString LockedBy(const QString&) { return {}; }
#endif

}  // namespace

PortProbe ProbePort(const QString& device) {
    PortProbe probe;
    if (device.isEmpty() || !QFileInfo::exists(device)) return probe;
    if (AccessDenied(device)) {
        probe.state = PortProbe::State::NoPermission;
        probe.group = GroupOf(device);
        return probe;
    }
    QSerialPort port(device);
    if (port.open(QIODevice::ReadWrite)) {
        port.close();
        probe.state = PortProbe::State::Present;
        return probe;
    }
    switch (port.error()) {
        case QSerialPort::PermissionError:
            // The user may open it (checked above), so another program holds it.
            probe.state = PortProbe::State::Busy;
            // The lock names the program that took the port; without one, any program that has
            // the device open.
            probe.holder = LockedBy(device);
            if (probe.holder.isEmpty()) probe.holder = OpenedBy(device);
            return probe;
        case QSerialPort::DeviceNotFoundError:
            return probe;
        case QSerialPort::UnsupportedOperationError:
            probe.detail = QStringLiteral("not a serial port");
            return probe;
        default:
            probe.detail = port.errorString();
            return probe;
    }
}

QString StateName(PortProbe::State state) {
    switch (state) {
        case PortProbe::State::Present:
            return QStringLiteral("present");
        case PortProbe::State::Busy:
            return QStringLiteral("busy");
        case PortProbe::State::NoPermission:
            return QStringLiteral("no-permission");
        case PortProbe::State::Absent:
            break;
    }
    return QStringLiteral("absent");
}
