#include "PortLock.h"

#include <QFile>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <signal.h>

#include <cerrno>
#endif

namespace {

// Lock files are a few lines; a larger file is read no further.
constexpr qint64 kMaxLockFileBytes = 4096;

QString LockFileName(const QString& device) {
    QString name = device;
    if (name.startsWith(QLatin1String("/dev/"))) name.remove(0, 5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("LCK..") + name;
}

bool ProcessRuns(qint64 pid) {
#ifdef Q_OS_UNIX
    if (pid <= 0 || pid > 0x7fffffff) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(pid);
    return true;
#endif
}

}  // namespace

QStringList PortLockFolders() {
    return {QStringLiteral("/var/lock"),
            QStringLiteral("/etc/locks"),
            QStringLiteral("/var/spool/locks"),
            QStringLiteral("/var/spool/uucp"),
            QStringLiteral("/tmp"),
            QStringLiteral("/var/tmp"),
            QStringLiteral("/var/lock/lockdev"),
            QStringLiteral("/run/lock")};
}

std::optional<PortLock> FindPortLock(const QString& device, const QStringList& folders) {
    const QString name = LockFileName(device);
    for (const QString& folder : folders) {
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly)) continue;
        // The process number on the first line (QLockFile's, or the ten-column UUCP form),
        // then, in QLockFile's form, the program's name and the host's.
        const QList<QByteArray> lines = file.read(kMaxLockFileBytes).split('\n');
        PortLock lock;
        lock.path = file.fileName();
        bool isNumber = false;
        lock.pid = lines.value(0).trimmed().toLongLong(&isNumber);
        const QByteArray host = lines.value(2).trimmed();
        const bool thisHost = host.isEmpty() || host == QSysInfo::machineHostName().toUtf8();
        lock.ownerRunning = !isNumber || !thisHost || ProcessRuns(lock.pid);
        return lock;
    }
    return std::nullopt;
}
