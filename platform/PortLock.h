#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The lock file a serial port library keeps beside a port it holds ("LCK..ttyUSB0", or
// "LCK..pts_3" for /dev/pts/3, in the system's lock folder) and whether the program that made
// it still runs. QSerialPort keeps one while a port is open and removes it on close; a program
// that died leaves it behind, and only its owner's user may remove it from /var/lock.
struct PortLock {
    QString path;
    qint64 pid = 0;
    // False only when the file names a process of this machine that no longer runs.
    bool ownerRunning = true;
};

// The folders searched, in the order QSerialPort tries them.
QStringList PortLockFolders();
// The lock file of `device` in the first of `folders` that has one.
std::optional<PortLock> FindPortLock(const QString& device,
                                     const QStringList& folders = PortLockFolders());
