#include "LowLatency.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>

bool SetLowLatency(long long nativeHandle) {
    const int fd = static_cast<int>(nativeHandle);
    serial_struct info{};
    if (ioctl(fd, TIOCGSERIAL, &info) != 0) return false;
    info.flags |= ASYNC_LOW_LATENCY;
    return ioctl(fd, TIOCSSERIAL, &info) == 0;
}
#else
bool SetLowLatency(long long) { return false; }
#endif
