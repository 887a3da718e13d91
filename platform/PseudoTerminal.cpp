#include "PseudoTerminal.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

#include "WriteAll.h"

PseudoTerminal::PseudoTerminal(QObject* parent) : QObject(parent) {}

PseudoTerminal::~PseudoTerminal() {
    delete m_masterNotifier;
    delete m_watchNotifier;
    for (int fd : {m_watch, m_slave, m_master}) {
        if (fd >= 0) ::close(fd);
    }
}

bool PseudoTerminal::Open(QString* reason) {
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        *reason = SystemErrorText(errno);
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    // Raw on the slave side: no echo, no line editing, no CR/NL translation, 8 bits clean.
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);

    m_masterNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_masterNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::ReadMaster);
    WatchSlave();
    return true;
}

void PseudoTerminal::WatchSlave() {
    m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch < 0) return;
    const QByteArray path = m_slavePath.toLocal8Bit();
    if (::inotify_add_watch(m_watch, path.constData(), IN_OPEN | IN_CLOSE) < 0) {
        ::close(m_watch);
        m_watch = -1;
        return;
    }
    m_nListeners = 0;
    m_watchNotifier = new QSocketNotifier(m_watch, QSocketNotifier::Read, this);
    connect(m_watchNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::ReadWatch);
}

void PseudoTerminal::ReadWatch() {
    alignas(inotify_event) char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(m_watch, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_OPEN) ++m_nListeners;
            if ((event->mask & IN_CLOSE) && m_nListeners > 0) {
                if (--m_nListeners == 0) {
                    // The port was closed: what is on its way or still unread is lost.
                    if (onClosedByAll) onClosedByAll();
                    ::tcflush(m_slave, TCIFLUSH);
                }
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

void PseudoTerminal::ReadMaster() {
    // Opens and closes come first: a program that reopened the port and asked at once must get
    // its answer, and nothing of the closed session's output.
    if (m_watch >= 0) ReadWatch();
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            if (onReceived) onReceived(QByteArray(buffer, static_cast<qsizetype>(n)));
            continue;
        }
        // EAGAIN: all read. EIO cannot last: the terminal's own slave descriptor keeps the
        // line up.
        if (n < 0 && errno == EINTR) continue;
        return;
    }
}

void PseudoTerminal::Write(const QByteArray& bytes) {
    if (m_watch >= 0) ReadWatch();
    if (!Listening()) return;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const ssize_t n =
            ::write(m_master, bytes.constData() + at, static_cast<size_t>(bytes.size() - at));
        if (n > 0) {
            at += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            // The far end does not read and the terminal's buffer is full: the rest is lost,
            // as on a serial line whose receiver has overrun.
            return;
        }
    }
}
