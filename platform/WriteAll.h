#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

// The system calls a file writer goes through. Tests put failing ones in their place (a full
// disk, a failing flush) without needing a full file system.
struct WriteCalls {
    std::function<long(int fd, const char* data, std::size_t size)> write;
    std::function<int(int fd)> sync;  // flush to the disk; may fail like a write (ENOSPC, EIO)
};
const WriteCalls& SystemWriteCalls();

// Writes every byte to fd, going on after short writes; EINTR is retried unless a termination
// signal has arrived. The system's reason ("No space left on device", "Broken pipe") on failure.
std::optional<QString> WriteAll(int fd, QByteArrayView bytes, const WriteCalls& calls);

// The system's words for an errno value.
QString SystemErrorText(int error);
